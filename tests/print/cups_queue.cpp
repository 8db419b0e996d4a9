#include "tests/print/cups_queue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <cups/cups.h>

namespace velmo::testing {

namespace {

const char* const kCupsd = "/usr/sbin/cupsd";
const char* const kBackend = "/usr/lib/cups/backend/cups-pdf";
const char* const kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
const char* const kPdfConfDir = "/etc/cups";

bool write_text(const QString& path, const QString& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(text.toUtf8()) >= 0;
}

QString tail(const QString& path, int lines) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("(no %1)\n").arg(path);
    const QStringList all = QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'));
    return QStringLiteral("--- %1\n").arg(path) + all.mid(std::max<qsizetype>(0, all.size() - lines)).join(QLatin1Char('\n')) +
           QLatin1Char('\n');
}

// Configurations a killed test run left behind, of processes that are gone.
void remove_stale_pdf_confs() {
    const QDir etc(QString::fromLatin1(kPdfConfDir));
    for (const QString& name : etc.entryList({QStringLiteral("cups-pdf-velmo-test-*.conf")}, QDir::Files)) {
        const pid_t pid = name.section(QLatin1Char('-'), 4, 4).section(QLatin1Char('.'), 0, 0).toInt();
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) QFile::remove(etc.filePath(name));
    }
}

}  // namespace

CupsQueue::~CupsQueue() { stop(); }

bool CupsQueue::run_tool(const QString& program, const QStringList& args, QString* output) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), socket());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool done = p.waitForFinished(30000);
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

std::optional<QString> CupsQueue::start() {
    if (geteuid() != 0)
        return QStringLiteral("printing through a real CUPS queue needs root: the cups-pdf backend runs only as root "
                              "(run the tests as root, as ./test.sh does in CI)");
    for (const char* needed : {kCupsd, kBackend, kPpd, "/usr/sbin/lpadmin", "/usr/bin/lpstat"})
        if (!QFileInfo::exists(QString::fromLatin1(needed)))
            return QStringLiteral("%1 is missing: install cups and printer-driver-cups-pdf (./deps.sh)")
                .arg(QString::fromLatin1(needed));
    if (!dir_.isValid()) return QStringLiteral("cannot make a temporary folder for the CUPS server");
    // Filters run as the lp user and must reach the spool below this folder.
    chmod(QFile::encodeName(dir_.path()).constData(), 0755);
    const QString d = dir_.path();
    for (const char* sub : {"conf", "spool", "spool/tmp", "cache", "state", "log", "out", "pdfspool"})
        QDir().mkpath(d + QLatin1Char('/') + QLatin1String(sub));

    if (!write_text(d + QStringLiteral("/conf/cups-files.conf"),
                    QStringLiteral("ServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                                   "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                   "PageLog %1/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n")
                        .arg(d)) ||
        !write_text(d + QStringLiteral("/conf/cupsd.conf"),
                    QStringLiteral("Listen %1\nLogLevel debug\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                   "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                   "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n"
                                   "</Policy>\n")
                        .arg(socket())))
        return QStringLiteral("cannot write the CUPS configuration in %1").arg(d);

    // cups-pdf reads its settings only from /etc/cups: one file for this queue,
    // sending its output, spool and log into the temporary folder.
    remove_stale_pdf_confs();
    const QString device = QStringLiteral("velmo-test-%1").arg(getpid());
    pdf_conf_ = QStringLiteral("%1/cups-pdf-%2.conf").arg(QString::fromLatin1(kPdfConfDir), device);
    if (!write_text(pdf_conf_, QStringLiteral("Out %1/out\nSpool %1/pdfspool\nLog %1/log\nGSTmp %1/pdfspool\n"
                                              "Grp root\nLogType 7\n")
                                   .arg(d)))
        return QStringLiteral("cannot write %1").arg(pdf_conf_);

    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.setStandardOutputFile(d + QStringLiteral("/log/cupsd.out"));
    cupsd_.start(QString::fromLatin1(kCupsd), {QStringLiteral("-f"), QStringLiteral("-c"), d + QStringLiteral("/conf/cupsd.conf"),
                                               QStringLiteral("-s"), d + QStringLiteral("/conf/cups-files.conf")});
    if (!cupsd_.waitForStarted(10000)) return QStringLiteral("cupsd did not start: %1").arg(cupsd_.errorString());

    QString output;
    QElapsedTimer waited;
    waited.start();
    while (!run_tool(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &output) ||
           !output.contains(QStringLiteral("is running"))) {
        if (cupsd_.state() != QProcess::Running || waited.elapsed() > 15000)
            return QStringLiteral("cupsd did not answer on %1:\n%2\n%3").arg(socket(), output, logs());
        QThread::msleep(100);
    }
    if (!run_tool(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), QString::fromLatin1(kQueue), QStringLiteral("-E"), QStringLiteral("-v"),
                   QStringLiteral("cups-pdf:/") + device, QStringLiteral("-P"), QString::fromLatin1(kPpd)},
                  &output) ||
        !run_tool(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QString::fromLatin1(kQueue)}, &output))
        return QStringLiteral("lpadmin could not add the cups-pdf queue:\n%1\n%2").arg(output, logs());

    // This process and Qt's printing talk to this server only.
    had_server_ = qEnvironmentVariableIsSet("CUPS_SERVER");
    old_server_ = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QFile::encodeName(socket()));
    cupsSetServer(QFile::encodeName(socket()).constData());
    server_set_ = true;
    return std::nullopt;
}

void CupsQueue::stop() {
    if (server_set_) {
        cupsSetServer(nullptr);
        if (had_server_) qputenv("CUPS_SERVER", old_server_);
        else qunsetenv("CUPS_SERVER");
        server_set_ = false;
    }
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
    }
    if (!pdf_conf_.isEmpty()) {
        QFile::remove(pdf_conf_);
        pdf_conf_.clear();
    }
}

QString CupsQueue::logs() const {
    const QString d = dir_.path();
    return tail(d + QStringLiteral("/log/cupsd.out"), 10) + tail(d + QStringLiteral("/log/error_log"), 30) +
           tail(d + QStringLiteral("/log/cups-pdf-") + QString::fromLatin1(kQueue) + QStringLiteral("_log"), 15);
}

std::optional<QString> CupsQueue::wait_for_pdf(const QString& prefix, std::chrono::seconds limit, QString* why) {
    QElapsedTimer waited;
    waited.start();
    const QByteArray queue(kQueue);
    while (waited.elapsed() < std::chrono::duration_cast<std::chrono::milliseconds>(limit).count()) {
        cups_job_t* jobs = nullptr;
        const int active = cupsGetJobs(&jobs, queue.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
        cupsFreeJobs(active, jobs);
        if (active == 0) {
            jobs = nullptr;
            const int all = cupsGetJobs(&jobs, queue.constData(), 0, CUPS_WHICHJOBS_ALL);
            bool failed = false;
            for (int i = 0; i < all; ++i) failed = failed || jobs[i].state != IPP_JSTATE_COMPLETED;
            cupsFreeJobs(all, jobs);
            const QStringList files =
                QDir(out_dir()).entryList({prefix + QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
            if (!files.isEmpty() && !failed) return QDir(out_dir()).filePath(files.front());
            if (all > 0 && (failed || files.isEmpty())) {
                if (why) *why = QStringLiteral("the print job ended without a PDF named %1*.pdf:\n%2").arg(prefix, logs());
                return std::nullopt;
            }
        }
        QThread::msleep(200);
    }
    if (why) *why = QStringLiteral("no PDF after %1 s:\n%2").arg(limit.count()).arg(logs());
    return std::nullopt;
}

}  // namespace velmo::testing
