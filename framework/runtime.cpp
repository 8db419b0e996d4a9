#include "framework/runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo {

namespace {
QString g_program_dir;
std::optional<QDate> g_today;
std::optional<std::size_t> g_write_fault;
}  // namespace

QString program_dir() {
    QString dir = g_program_dir;
    if (dir.isEmpty()) {
        dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                           : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    }
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

void set_program_dir(const QString& dir) { g_program_dir = dir; }

QDate today() { return g_today ? *g_today : QDate::currentDate(); }
void set_today(std::optional<QDate> date) { g_today = date; }

int days_in_month(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2) {
        bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return kDays[month - 1];
}

bool is_valid_date(int year, int month, int day) {
    return year >= 1 && year <= 9999 && day >= 1 && day <= days_in_month(year, month);
}

int day_of_week(int year, int month, int day) {
    // Sakamoto's method: 0 = Sunday.
    static const int t[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    int w = (year + year / 4 - year / 100 + year / 400 + t[(month - 1) % 12] + day) % 7;
    return w + 1;
}

FileRead read_input_file(const QString& path, std::size_t limit) {
    FileRead out;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Only regular files are opened: a FIFO would wait for a writer for ever, a
    // device such as /dev/zero would never end.
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return out;
    if (static_cast<std::uint64_t>(st.st_size) > limit) {
        out.status = ReadStatus::TooLarge;
        return out;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return out;
    // The name may have been given to something else since stat.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return out;
    }
    // One buffer of the file's size; a file that grew meanwhile is read on in
    // steps, up to one byte past the limit.
    std::string& bytes = out.bytes;
    bytes.resize(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), limit) + 1);
    std::size_t done = 0;
    bool failed = false;
    while (true) {
        if (done == bytes.size()) {
            if (bytes.size() > limit) break;
            bytes.resize(std::min(bytes.size() + 65536, limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) { failed = true; break; }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (failed) {
        out.bytes = std::string();
        return out;
    }
    if (done > limit) {
        out.bytes = std::string();
        out.status = ReadStatus::TooLarge;
        return out;
    }
    bytes.resize(done);
    out.status = ReadStatus::Ok;
    return out;
}

std::optional<std::string> read_file(const QString& path) {
    FileRead r = read_input_file(path);
    if (r.status != ReadStatus::Ok) return std::nullopt;
    return std::move(r.bytes);
}

QString too_large_message(const QString& path) {
    return path + QString::fromUtf8(" は大きすぎるため読み込めません（%1MBまで）。このファイルは変更しません").arg(kMaxInputFileBytes / (1024 * 1024));
}

QString damaged_file_message(const QString& path) {
    return path + QString::fromUtf8(" の一部を読み込めませんでした（ファイルが壊れています）");
}

QString overwrite_damaged_question(const QString& path) {
    return path + QString::fromUtf8(" は壊れていたため一部しか読み込めていません。読み込めた内容で上書きしますか？");
}

FileStamp file_stamp(const QString& path) {
    FileStamp s;
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) return s;
    s.exists = true;
    s.size = static_cast<std::int64_t>(st.st_size);
    s.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

QString changed_on_disk_question(const QString& path) {
    return path + QString::fromUtf8(" は読み込んだ後にほかのプログラムで変更されています。上書きしますか？");
}

namespace {

// ".<name>." or ".<name>.backup." followed by the six letters and digits mkstemp puts in.
bool is_temporary_of(std::string_view entry, std::string_view name) {
    if (entry.size() < name.size() + 8 || entry.front() != '.' || entry.substr(1, name.size()) != name ||
        entry[name.size() + 1] != '.')
        return false;
    std::string_view rest = entry.substr(name.size() + 2);
    if (rest.size() == 13 && rest.substr(0, 7) == "backup.") rest.remove_prefix(7);
    // ".<name>.backup" itself is the copy of an unfinished save, never a temporary.
    if (rest.size() != 6 || rest == "backup") return false;
    for (char c : rest)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

int remove_leftover_temporaries(const QString& path) {
    const QFileInfo info(path);
    const QByteArray dir_name = QFile::encodeName(info.absolutePath());
    const QByteArray file_name = QFile::encodeName(info.fileName());
    const std::string_view name(file_name.constData(), static_cast<std::size_t>(file_name.size()));
    DIR* dir = ::opendir(dir_name.constData());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (!is_temporary_of(e->d_name, name)) continue;
        struct stat st {};
        // Only plain files of this user: never a link, a folder or someone else's file.
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (::unlinkat(::dirfd(dir), e->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

void ignore_file_size_signal() {
    struct sigaction sa {};
    sa.sa_handler = SIG_IGN;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(SIGXFSZ, &sa, nullptr);
}

int command_failure(const std::string& message, int status) {
    std::fprintf(stderr, "velmorant: %s\n", message.c_str());
    return status;
}

namespace {

struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};
QtMessageHandler g_previous_handler = nullptr;
std::vector<HeldMessage>* g_held_messages = nullptr;

void hold_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // The platform could not be made: the display is missing or refused us.
        command_failure(no_display_message(std::getenv("DISPLAY")));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_held_messages) g_held_messages->push_back({type, QString::fromUtf8(context.category), text});
}

}  // namespace

std::string no_display_message(const char* display) {
    if (!display || !*display) return "ディスプレイを開けません（DISPLAY が設定されていません）";
    return std::string("ディスプレイを開けません（DISPLAY=") + display + "）";
}

DisplayOpening::DisplayOpening() {
    g_held_messages = new std::vector<HeldMessage>;
    g_previous_handler = qInstallMessageHandler(hold_message);
}

DisplayOpening::~DisplayOpening() {
    qInstallMessageHandler(g_previous_handler);
    std::vector<HeldMessage> held = std::move(*g_held_messages);
    delete g_held_messages;
    g_held_messages = nullptr;
    // The display opened: what Qt said on the way is said as it would have been.
    for (const HeldMessage& m : held) {
        const QByteArray category = m.category.toUtf8();
        QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(m.type, context, m.text);
    }
}

void set_write_fault(std::optional<std::size_t> fail_after_bytes) { g_write_fault = fail_after_bytes; }

std::optional<std::string> resolve_save_target(const std::string& path) {
    std::string current = path;
    // The same limit on links followed as the system applies when opening a path.
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            // Nothing there yet (a new file, or a link to one): the save creates it.
            if (errno == ENOENT) return current;
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) return current;
        std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) return std::nullopt;
        link.resize(static_cast<std::size_t>(n));
        if (link.empty()) return std::nullopt;
        if (link.front() == '/') {
            current = link;
        } else {
            const std::size_t slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
        }
    }
    return std::nullopt;  // a loop of links
}

namespace {

SaveSteps* g_steps = nullptr;

// One step of a save that changes the disk, for the test seam: 0, or the
// error the seam makes the step fail with (it is then not taken).
int step(const char* what) {
    if (!g_steps) return 0;
    g_steps->log.emplace_back(what);
    const int n = static_cast<int>(g_steps->log.size());
    if (g_steps->kill_at && n == *g_steps->kill_at) ::raise(SIGKILL);
    return g_steps->fail_from && n >= *g_steps->fail_from ? EIO : 0;
}

// Writes bytes to fd from its start (at most limit of them, the test hook's
// failure), then cuts the file there and syncs it. 0, or the errno of the
// call that failed.
int write_all(int fd, std::string_view bytes, bool sync = true) {
    const std::size_t limit = g_write_fault ? std::min(*g_write_fault, bytes.size()) : bytes.size();
    std::size_t done = 0;
    while (done < limit) {
        std::size_t want = limit - done;
        if (g_steps && g_steps->chunk > 0) want = std::min(want, g_steps->chunk);
        if (const int err = step("write")) return err;
        const ssize_t n = ::pwrite(fd, bytes.data() + done, want, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    if (g_write_fault) return ENOSPC;
    if (const int err = step("truncate")) return err;
    if (::ftruncate(fd, static_cast<off_t>(limit)) != 0) return errno;
    if (!sync) return 0;
    if (const int err = step("fsync")) return err;
    if (::fsync(fd) != 0) return errno;
    return 0;
}

// The write_all of a copy that is not the write under test: the fault hook is held back.
int write_all_unfaulted(int fd, std::string_view bytes) {
    const auto fault = g_write_fault;
    g_write_fault.reset();
    const int err = write_all(fd, bytes);
    g_write_fault = fault;
    return err;
}

int close_file(int fd) {
    const int err = step("close");
    if (::close(fd) != 0) return errno;
    return err;
}

bool read_all(const std::string& file, std::string& out) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    const int err = errno;
    ::close(fd);
    errno = err;
    return n == 0;
}

// Makes a rename or removal in folder last through a power cut. Some file
// systems cannot sync a folder; the save does not fail for that.
void sync_folder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (step("fsync-folder") == 0) (void)::fsync(fd);
    ::close(fd);
}

void remove_file(const std::string& file) {
    if (step("unlink") == 0) ::unlink(file.c_str());
}

// The file a save replaces, split into its folder (with '/', or empty) and name.
struct Target {
    std::string path;
    std::string folder;
    std::string name;
    std::string copy() const { return folder + "." + name + ".backup"; }
};

std::optional<Target> save_target(const QString& path) {
    // The path is used as the system reads it: no cleaning of ".." past a link.
    const std::optional<std::string> resolved = resolve_save_target(QFile::encodeName(path).toStdString());
    if (!resolved || resolved->empty()) return std::nullopt;
    Target t;
    t.path = *resolved;
    const std::size_t slash = t.path.rfind('/');
    t.folder = slash == std::string::npos ? std::string() : t.path.substr(0, slash + 1);
    t.name = slash == std::string::npos ? t.path : t.path.substr(slash + 1);
    return t;
}

// A new file (mode 0600) beside the target holding bytes, synced and closed;
// its name, or the errno of the step that failed.
std::optional<std::string> write_beside(const Target& t, const char* kind, std::string_view bytes, int& err) {
    std::string file = t.folder + "." + t.name + kind + "XXXXXX";
    err = step("create");
    const int fd = err != 0 ? -1 : mkstemp(file.data());
    if (fd < 0) {
        if (err == 0) err = errno;
        return std::nullopt;
    }
    err = write_all_unfaulted(fd, bytes);
    const int closed = close_file(fd);
    if (err == 0) err = closed;
    if (err != 0) {
        remove_file(file);
        return std::nullopt;
    }
    return file;
}

// Opens the file for writing where it is. A file of this user without a write
// bit (the user agreed to replace a read-only file) is opened all the same and
// keeps its mode: the bit is given for the open and taken back at once.
int open_for_rewrite(const std::string& target, int& err) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 && errno == EACCES && ::stat(target.c_str(), &st) == 0 && st.st_uid == ::geteuid() &&
        ::chmod(target.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0) {
        fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        const int saved = errno;
        (void)::chmod(target.c_str(), st.st_mode & 07777);
        errno = saved;
    }
    err = fd < 0 ? errno : 0;
    return fd;
}

// Rewrites target where it is, so that every name it has (hard links) and its
// owner and group stay. A complete, synced copy of the old bytes is put beside
// it under its fixed name before the first byte of the file changes, and
// removed only once the new bytes are written and synced: a save that dies
// between leaves the copy for the next start. When the write fails the old
// bytes are put back; the copy stays only when even that fails, and the result
// says where it is.
SaveResult write_in_place(const Target& t, std::string_view bytes) {
    SaveResult r;
    std::string old;
    if (!read_all(t.path, old)) {
        r.error = errno != 0 ? errno : EIO;
        return r;
    }
    remove_leftover_temporaries(QFile::decodeName(QByteArray::fromStdString(t.path)));
    // A copy an earlier save left (its restore failed too) is older and whole:
    // it is kept rather than replaced by bytes that may be damaged.
    struct stat st {};
    const std::string copy = t.copy();
    const bool had_copy = ::lstat(copy.c_str(), &st) == 0;
    if (!had_copy) {
        const std::optional<std::string> made = write_beside(t, ".backup.", old, r.error);
        if (!made) return r;
        r.error = step("rename");
        if (r.error != 0 || std::rename(made->c_str(), copy.c_str()) != 0) {
            if (r.error == 0) r.error = errno;
            remove_file(*made);
            return r;
        }
        sync_folder(t.folder);
    }
    const int fd = open_for_rewrite(t.path, r.error);
    if (fd < 0) {
        if (!had_copy) {
            remove_file(copy);
            sync_folder(t.folder);
        }
        return r;
    }
    r.error = write_all(fd, bytes);
    if (r.error != 0) {
        const bool restored = write_all_unfaulted(fd, old) == 0;
        if (close_file(fd) == 0 && restored) {
            if (!had_copy) {
                remove_file(copy);
                sync_folder(t.folder);
            }
            return r;
        }
        r.maybe_damaged = true;
        r.old_copy = copy;
        return r;
    }
    r.error = close_file(fd);
    if (r.error != 0) {
        // Written and synced, but the system did not take the close: the copy stays.
        r.maybe_damaged = true;
        r.old_copy = copy;
        return r;
    }
    remove_file(copy);
    sync_folder(t.folder);
    r.ok = true;
    return r;
}

// A new file's mode: what any program's new file gets under the user's umask
// (mkstemp alone would make it 0600).
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

QString save_failure_cause(int error) {
    switch (error) {
    case 0: return {};
    case ENOSPC:
    case EDQUOT: return QString::fromUtf8("ディスクの空きが足りません");
    case EROFS: return QString::fromUtf8("読み取り専用のドライブです");
    case EACCES:
    case EPERM: return QString::fromUtf8("書き込む権限がありません");
    case EFBIG: return QString::fromUtf8("ファイルの大きさの上限を超えます");
    case ENOENT:
    case ENOTDIR: return QString::fromUtf8("保存先のフォルダーがありません");
    case ELOOP: return QString::fromUtf8("リンクをたどれません");
    case EIO: return QString::fromUtf8("ディスクの読み書きに失敗しました");
    default: return QString::fromUtf8("システムのエラー %1: %2").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

SaveResult write_file_atomic(const QString& path, std::string_view bytes, Durability durability) {
    const bool sync = durability == Durability::Synced;
    SaveResult r;
    const std::optional<Target> found = save_target(path);
    if (!found) {
        r.error = ELOOP;
        return r;
    }
    const Target& t = *found;
    ignore_file_size_signal();
    struct stat st {};
    const bool replacing = ::stat(t.path.c_str(), &st) == 0;
    // A file with other names would lose them to a rename: it is written in place.
    if (replacing && S_ISREG(st.st_mode) && st.st_nlink > 1) return write_in_place(t, bytes);
    std::string temp = t.folder + "." + t.name + ".XXXXXX";
    r.error = step("create");
    int fd = r.error != 0 ? -1 : mkstemp(temp.data());
    if (fd < 0) {
        if (r.error == 0) r.error = errno;
        return r;
    }
    if (replacing) {
        // The new file takes the old one's owner and group where this user may
        // give them, else its group alone; then its permission bits (a change
        // of owner clears the set-id bits).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Whether the group alone was kept, fstat tells below.
            [[maybe_unused]] const int group_only = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        }
        // A file that cannot keep its mode is not saved: it would change who may read it.
        if (::fchmod(fd, st.st_mode & 07777) != 0) r.error = errno;
        struct stat made {};
        if (S_ISREG(st.st_mode) && (::fstat(fd, &made) != 0 || made.st_uid != st.st_uid || made.st_gid != st.st_gid)) {
            // Owner or group cannot be kept: the file is written where it is instead.
            ::close(fd);
            ::unlink(temp.c_str());
            return write_in_place(t, bytes);
        }
    } else if (::fchmod(fd, new_file_mode()) != 0) {
        r.error = errno;
    }
    if (r.error == 0) r.error = write_all(fd, bytes, sync);
    const int closed = close_file(fd);
    if (r.error == 0) r.error = closed;
    if (r.error == 0) r.error = step("rename");
    if (r.error == 0 && std::rename(temp.c_str(), t.path.c_str()) != 0) r.error = errno;
    if (r.error != 0) {
        remove_file(temp);
        return r;
    }
    if (sync) sync_folder(t.folder);
    r.ok = true;
    remove_leftover_temporaries(QFile::decodeName(QByteArray::fromStdString(t.path)));
    // The file is whole now: the copy an earlier unfinished save left is of no more use.
    if (::lstat(t.copy().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
        remove_file(t.copy());
        sync_folder(t.folder);
    }
    return r;
}

QString cause_suffix(const QString& cause) {
    return cause.isEmpty() ? QString() : QString::fromUtf8("（") + cause + QString::fromUtf8("）");
}

QString save_failure_message(const QString& path, const SaveResult& result) {
    QString text = path + QString::fromUtf8(" に保存できませんでした") + cause_suffix(save_failure_cause(result.error));
    if (result.maybe_damaged)
        text += QString::fromUtf8("。ファイルが壊れている可能性があります。保存前の内容は ") +
                QFile::decodeName(QByteArray::fromStdString(result.old_copy)) + QString::fromUtf8(" にあります");
    return text;
}

bool is_read_only_file(const QString& path) {
    const std::optional<Target> t = save_target(path);
    struct stat st {};
    if (!t || ::stat(t->path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (::geteuid() == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) == 0;
}

QString interrupted_save_copy(const QString& path) {
    const std::optional<Target> t = save_target(path);
    return t ? QFile::decodeName(QByteArray::fromStdString(t->copy())) : QString();
}

bool has_interrupted_save(const QString& path) {
    const std::optional<Target> t = save_target(path);
    struct stat st {};
    return t && ::lstat(t->copy().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           ::stat(t->path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// A new file at kept (which must not exist yet) holding bytes, synced.
bool write_new_file(const std::string& kept, std::string_view bytes) {
    if (step("create") != 0) return false;
    const int fd = ::open(kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = write_all_unfaulted(fd, bytes) == 0;
    if (close_file(fd) != 0 || !ok) {
        remove_file(kept);
        return false;
    }
    return true;
}

}  // namespace

bool restore_interrupted_save(const QString& path, const QString& kept_as) {
    const std::optional<Target> t = save_target(path);
    std::string copy_bytes, present;
    if (!t || !has_interrupted_save(path) || !read_all(t->copy(), copy_bytes) || !read_all(t->path, present))
        return false;
    if (!write_new_file(QFile::encodeName(kept_as).toStdString(), present)) return false;
    sync_folder(t->folder);
    int err = 0;
    const int fd = open_for_rewrite(t->path, err);
    if (fd < 0) return false;
    const bool written = write_all_unfaulted(fd, copy_bytes) == 0;
    if (close_file(fd) != 0 || !written) return false;  // the copy stays for the next try
    remove_file(t->copy());
    sync_folder(t->folder);
    return true;
}

bool keep_interrupted_save_copy(const QString& path, const QString& kept_as) {
    const std::optional<Target> t = save_target(path);
    if (!t || !has_interrupted_save(path)) return false;
    const QByteArray kept = QFile::encodeName(kept_as);
    // A link, not a rename: an existing file of that name is never replaced.
    if (step("link") != 0 || ::link(t->copy().c_str(), kept.constData()) != 0) return false;
    remove_file(t->copy());
    sync_folder(t->folder);
    return true;
}

bool drop_interrupted_save_if_unchanged(const QString& path) {
    const std::optional<Target> t = save_target(path);
    std::string copy_bytes, present;
    if (!t || !has_interrupted_save(path) || !read_all(t->copy(), copy_bytes) || !read_all(t->path, present) ||
        copy_bytes != present)
        return false;
    remove_file(t->copy());
    sync_folder(t->folder);
    return true;
}

void set_save_steps(SaveSteps* steps) { g_steps = steps; }

}  // namespace velmo
