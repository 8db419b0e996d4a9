#include "recovery/recovery_keeper.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "framework/user_files.h"
#include "ledger/ledger_view.h"
#include "recovery/recovery_file.h"

namespace velmo::recovery {

namespace {

QString full_path(const QString& file) {
    const QFileInfo info(file);
    const QString canonical = info.canonicalFilePath();  // empty while the file does not exist
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

QString recovery_folder() { return QFileInfo(user_file_write_path(QStringLiteral("velmo.lst"))).absolutePath(); }

RecoveryKeeper::RecoveryKeeper(LedgerView& view, QString folder, QObject* parent)
    : QObject(parent), view_(view), folder_(std::move(folder)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { write_now(Durability::Unsynced); });
    // Coalesced: the first change of a burst starts the timer, the rest ride on it.
    connect(&view_, &LedgerView::changed, this, [this] {
        if (!timer_.isActive()) timer_.start();
    });
    connect(&view_, &LedgerView::settled, this, [this] {
        timer_.stop();
        remove_copies();
    });
    const QDir dir(folder_);
    for (const QString& old : dir.entryList({QStringLiteral("*.recovery.discarded")}, QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(old));
}

QString RecoveryKeeper::copy_path(const QString& ledger) const { return copy_path_for(folder_, full_path(ledger)); }

void RecoveryKeeper::write_now(Durability durability) {
    timer_.stop();
    if (!view_.unsaved()) return;
    RecoveryCopy copy;
    copy.ledger_path = full_path(view_.file_name());
    copy.taken_ms = QDateTime::currentMSecsSinceEpoch();
    copy.ledger_bytes = encode_ledger(snapshot(view_));
    const QString path = copy_path_for(folder_, copy.ledger_path);
    // The folder holds the user's own files: made private when it does not exist.
    if (!QFileInfo::exists(folder_) && QDir().mkpath(folder_))
        QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Another ledger's copy is never touched here: only that ledger's save question settles it.
    if (write_file_atomic(path, encode_copy(copy), durability)) {
        ++writes_;
        written_for_ = path;
    }
}

void RecoveryKeeper::remove_copies() {
    if (!written_for_.isEmpty()) QFile::remove(written_for_);
    written_for_.clear();
    QFile::remove(copy_path(view_.file_name()));
}

std::optional<std::string> RecoveryKeeper::offer(const QString& ledger) {
    const QString path = copy_path(ledger);
    const FileRead read = read_input_file(path);
    if (read.status == ReadStatus::Missing) return std::nullopt;
    const std::optional<RecoveryCopy> copy = read.status == ReadStatus::Ok ? decode_copy(read.bytes) : std::nullopt;
    const std::optional<LedgerImage> restored = copy ? ledger_image_of(copy->ledger_bytes) : std::nullopt;
    const QString aside = discarded_path(path);
    if (!restored || copy->ledger_path != full_path(ledger)) {
        // Not a copy this program can use: named once and put aside.
        QFile::remove(aside);
        QFile::rename(path, aside);
        dialogs().message(path + QString::fromUtf8(" は壊れているため使えません。") + aside +
                          QString::fromUtf8(" として次の起動まで残します"));
        return std::nullopt;
    }
    const std::optional<std::string> on_disk = read_file(ledger);
    const std::optional<LedgerImage> saved = on_disk ? ledger_image_of(*on_disk) : std::nullopt;
    const int differing = differing_records(*restored, saved.value_or(LedgerImage{}));
    if (on_disk && *on_disk == copy->ledger_bytes) {
        QFile::remove(path);  // the file already holds what the copy holds
        return std::nullopt;
    }
    if (dialogs().question(offer_question(ledger, copy->taken_ms, differing, aside))) {
        written_for_ = path;
        return copy->ledger_bytes;
    }
    QFile::remove(aside);
    QFile::rename(path, aside);
    return std::nullopt;
}

namespace {

int g_signal_pipe[2] = {-1, -1};

void on_signal(int) {
    const char byte = 1;
    (void)!::write(g_signal_pipe[1], &byte, 1);
}

}  // namespace

void end_cleanly_on_signals(RecoveryKeeper& keeper) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signal_pipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, &keeper);
    QObject::connect(notifier, &QSocketNotifier::activated, &keeper, [&keeper] {
        // The copy holds every committed record; then the program ends at once,
        // from wherever the event loop is (a question may be open): nothing is
        // asked, and nothing on disk but the copy changes.
        keeper.write_now();
        std::fflush(nullptr);
        ::_exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    ::sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(sig, &sa, nullptr);
}

}  // namespace velmo::recovery
