#include "framework/runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
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

// ".<name>." followed by the six letters and digits mkstemp puts in.
bool is_temporary_of(std::string_view entry, std::string_view name) {
    if (entry.size() != name.size() + 8 || entry.front() != '.' || entry.substr(1, name.size()) != name ||
        entry[name.size() + 1] != '.')
        return false;
    for (char c : entry.substr(name.size() + 2))
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

// Writes bytes to fd from its start (at most limit of them, the test hook's
// failure), then cuts the file there and syncs it. False on any failure.
bool write_all(int fd, std::string_view bytes) {
    const std::size_t limit = g_write_fault ? std::min(*g_write_fault, bytes.size()) : bytes.size();
    std::size_t done = 0;
    while (done < limit) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, limit - done, static_cast<off_t>(done));
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    if (g_write_fault) return false;
    return ::ftruncate(fd, static_cast<off_t>(limit)) == 0 && ::fsync(fd) == 0;
}

bool read_all(const std::string& file, std::string& out) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return n == 0;
}

// A new file (mode 0600) beside target holding bytes, synced; its name, or
// nothing when it cannot be made.
std::optional<std::string> write_beside(const std::string& folder, const std::string& name, const char* kind,
                                        std::string_view bytes) {
    std::string file = folder + "." + name + kind + "XXXXXX";
    const int fd = mkstemp(file.data());
    if (fd < 0) return std::nullopt;
    const bool ok = write_all(fd, bytes);
    if (::close(fd) != 0 || !ok) {
        ::unlink(file.c_str());
        return std::nullopt;
    }
    return file;
}

// Rewrites target where it is, so that every name it has (hard links) and its
// owner and group stay: a copy of the old bytes is made beside it first and
// removed once the new bytes are written and synced. When the write fails the
// old bytes are put back; the copy stays only when even that fails.
bool write_in_place(const std::string& folder, const std::string& name, const std::string& target,
                    std::string_view bytes) {
    std::string old;
    if (!read_all(target, old)) return false;
    const std::optional<std::string> backup = [&] {
        const auto fault = g_write_fault;  // the copy is not the write under test
        g_write_fault.reset();
        auto made = write_beside(folder, name, ".backup.", old);
        g_write_fault = fault;
        return made;
    }();
    if (!backup) return false;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        ::unlink(backup->c_str());
        return false;
    }
    bool ok = write_all(fd, bytes);
    if (!ok) {
        const auto fault = g_write_fault;
        g_write_fault.reset();
        const bool restored = write_all(fd, old);
        g_write_fault = fault;
        if (::close(fd) == 0 && restored) ::unlink(backup->c_str());
        return false;
    }
    if (::close(fd) != 0) return false;  // the copy stays: the file may not be whole
    ::unlink(backup->c_str());
    return true;
}

}  // namespace

bool write_file_atomic(const QString& path, std::string_view bytes) {
    // The path is used as the system reads it: no cleaning of ".." past a link.
    const std::optional<std::string> resolved = resolve_save_target(QFile::encodeName(path).toStdString());
    if (!resolved || resolved->empty()) return false;
    const std::string& target = *resolved;
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    ignore_file_size_signal();
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    // A file with other names would lose them to a rename: it is written in place.
    if (replacing && S_ISREG(st.st_mode) && st.st_nlink > 1) return write_in_place(folder, name, target, bytes);
    std::string temp = folder + "." + name + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    if (replacing) {
        // The new file takes the old one's owner and group where this user may
        // give them, else its group alone; then its permission bits (a change
        // of owner clears the set-id bits).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        fchmod(fd, st.st_mode & 07777);
        struct stat made {};
        if (S_ISREG(st.st_mode) && (::fstat(fd, &made) != 0 || made.st_uid != st.st_uid || made.st_gid != st.st_gid)) {
            // Owner or group cannot be kept: the file is written where it is instead.
            ::close(fd);
            ::unlink(temp.c_str());
            return write_in_place(folder, name, target, bytes);
        }
    } else {
        fchmod(fd, 0644);
    }
    bool ok = write_all(fd, bytes);
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(temp.c_str());
    if (ok) remove_leftover_temporaries(QFile::decodeName(QByteArray::fromStdString(target)));
    return ok;
}

}  // namespace velmo
