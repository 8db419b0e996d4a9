#pragma once
// A CUPS server of the test's own: cupsd as a child process with its own
// configuration, socket and spool in a temporary folder, and one cups-pdf
// queue that writes its PDF files into that folder. The cups-pdf backend runs
// only as root, so this needs root (as the CI run of ./test.sh has).
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <optional>

namespace velmo::testing {

class CupsQueue {
public:
    static constexpr const char* kQueue = "VelmoPDF";

    CupsQueue() = default;
    ~CupsQueue();
    CupsQueue(const CupsQueue&) = delete;
    CupsQueue& operator=(const CupsQueue&) = delete;

    // Starts cupsd and adds the queue as the default destination; on failure
    // returns why, in words that say what to install or fix.
    std::optional<QString> start();
    void stop();

    // Waits until every job of the queue has ended and a PDF file whose name
    // starts with `prefix` is in the output folder; its path, or nullopt with
    // `why` set to the state of the jobs and the end of the logs.
    std::optional<QString> wait_for_pdf(const QString& prefix, std::chrono::seconds limit, QString* why);

    QString socket() const { return dir_.path() + QStringLiteral("/cups.sock"); }
    QString out_dir() const { return dir_.path() + QStringLiteral("/out"); }
    QString logs() const;  // the end of cupsd's and cups-pdf's logs, for failure messages

private:
    bool run_tool(const QString& program, const QStringList& args, QString* output);

    QTemporaryDir dir_{QStringLiteral("/tmp/velmo-cups-XXXXXX")};
    QProcess cupsd_;
    QString pdf_conf_;  // the cups-pdf configuration of this queue, under /etc/cups
    QByteArray old_server_;
    bool had_server_ = false;
    bool server_set_ = false;
};

}  // namespace velmo::testing
