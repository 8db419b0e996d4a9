#include "tests/ime/ime_session.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velmo::testing {

namespace {

constexpr uid_t kUser = 65534;  // nobody
constexpr gid_t kGroup = 65534;
const char* const kLocale = "ja_JP.UTF-8";

bool as_root() { return geteuid() == 0; }

std::optional<std::string> find_program(const std::string& name) {
    const char* env_path = std::getenv("PATH");
    std::string path = env_path ? env_path : "";
    path += ":/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t to = std::min(path.find(':', from), path.size());
        const std::string candidate = path.substr(from, to - from) + "/" + name;
        if (to > from && access(candidate.c_str(), X_OK) == 0) return candidate;
        from = to + 1;
    }
    return std::nullopt;
}

bool write_text(const std::string& path, const std::string& text) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
}

// A folder for the unprivileged user (or for whoever runs the tests).
bool make_user_dir(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return !as_root() || chown(path.c_str(), kUser, kGroup) == 0;
}

bool give_to_user(const std::string& path) { return !as_root() || chown(path.c_str(), kUser, kGroup) == 0; }

// Starts argv in a session of its own, so that it and everything it starts form
// one process group that ends together. Standard error, and standard output
// unless it is wanted on a pipe (*out), are appended to log. The child gets only env.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log,
            int* out) {
    // Everything the child uses is made before the fork.
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> vars;
    for (const std::string& v : env) vars.push_back(const_cast<char*>(v.c_str()));
    vars.push_back(nullptr);
    int pipe_fds[2] = {-1, -1};
    if (out && pipe2(pipe_fds, O_CLOEXEC) != 0) return -1;
    const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        // Ends with the tests even when they crash (until it changes its user):
        // Xvfb so, and fcitx5 follows its display.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(null_fd, 0);
        dup2(out ? pipe_fds[1] : log_fd, 1);
        dup2(log_fd, 2);
        execve(args[0], args.data(), vars.data());
        _exit(127);
    }
    close(log_fd);
    close(null_fd);
    if (out) {
        close(pipe_fds[1]);
        *out = pid > 0 ? pipe_fds[0] : -1;
        if (pid <= 0) close(pipe_fds[0]);
    }
    return pid;
}

// The first line the child writes on fd, within the time given; fd is closed.
std::optional<std::string> read_line(int fd, int ms) {
    std::string line;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c = 0;
        if (read(fd, &c, 1) != 1) break;
        if (c == '\n') {
            close(fd);
            return line;
        }
        line += c;
    }
    close(fd);
    return std::nullopt;
}

// Ends the process group led by pid: asked first, then killed, with whatever
// of it is left (mozc_server outlives fcitx5).
void end_group(pid_t& pid) {
    if (pid <= 0) return;
    kill(-pid, SIGTERM);
    bool reaped = false;
    for (int i = 0; i < 50 && !reaped; ++i) {
        int status = 0;
        reaped = waitpid(pid, &status, WNOHANG) == pid;
        if (!reaped) usleep(100 * 1000);
    }
    kill(-pid, SIGKILL);
    if (!reaped) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    pid = -1;
}

// Runs as the unprivileged user when the tests run as root.
std::vector<std::string> as_user(std::vector<std::string> argv) {
    if (!as_root()) return argv;
    std::vector<std::string> out{*find_program("setpriv"), "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    out.insert(out.end(), argv.begin(), argv.end());
    return out;
}

QString tail(const std::string& path, int lines) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("(no %1)\n").arg(QString::fromStdString(path));
    const QStringList all = QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'));
    return QStringLiteral("--- %1\n").arg(QString::fromStdString(path)) +
           all.mid(std::max<qsizetype>(0, all.size() - lines)).join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString missing(const std::string& what, const char* package) {
    return QStringLiteral("%1 is missing: install %2 (tests/test_deps.sh)")
        .arg(QString::fromStdString(what), QString::fromLatin1(package));
}

}  // namespace

ImeSession::~ImeSession() {
    stop_input_method();
    end_group(bus_);
    end_group(xvfb_);
    if (!dir_.empty()) QDir(QString::fromStdString(dir_)).removeRecursively();
}

std::optional<QString> ImeSession::start_display() {
    const std::pair<const char*, const char*> programs[] = {
        {"Xvfb", "xvfb"},         {"dbus-daemon", "dbus-daemon"}, {"fcitx5", "fcitx5"},
        {"fcitx5-remote", "fcitx5"}, {"xdotool", "xdotool"},      {"setpriv", "util-linux"}};
    for (const auto& [program, package] : programs)
        if (!find_program(program)) return missing(program, package);
    const std::string plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() +
                               "/platforminputcontexts/libfcitx5platforminputcontextplugin.so";
    const std::pair<std::string, const char*> files[] = {
        {"/usr/lib/mozc/mozc_server", "fcitx5-mozc"},
        {"/usr/share/fcitx5/inputmethod/mozc.conf", "fcitx5-mozc"},
        {plugin, "fcitx5-frontend-qt6"}};
    for (const auto& [file, package] : files)
        if (access(file.c_str(), R_OK) != 0) return missing(file, package);
    locale_t locale = newlocale(LC_ALL_MASK, kLocale, nullptr);
    if (!locale)
        return QStringLiteral("the %1 locale is missing: tests/test_deps.sh generates it").arg(QString::fromLatin1(kLocale));
    freelocale(locale);

    char dir_template[] = "/tmp/velmo-ime-XXXXXX";
    if (!mkdtemp(dir_template)) return QStringLiteral("cannot make a temporary folder");
    dir_ = dir_template;
    chmod(dir_.c_str(), 0755);  // the unprivileged user reaches its folders inside

    const std::vector<std::string> path_only{"PATH=/usr/local/bin:/usr/bin:/bin"};
    int out = -1;
    xvfb_ = spawn({*find_program("Xvfb"), "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                  path_only, dir_ + "/xvfb.log", &out);
    const std::optional<std::string> number = xvfb_ > 0 ? read_line(out, 20000) : std::nullopt;
    if (!number || number->empty()) return QStringLiteral("Xvfb did not start:\n%1").arg(logs());
    display_ = ":" + *number;

    // A session bus that lets the tests (root) talk to fcitx5 (the unprivileged user).
    const std::string bus_dir = dir_ + "/bus";
    if (!make_user_dir(bus_dir) ||
        !write_text(bus_dir + "/bus.conf",
                    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                    "<busconfig>\n  <type>session</type>\n  <listen>unix:path=" + bus_dir + "/socket</listen>\n"
                    "  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n    <allow user=\"*\"/>\n"
                    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n    <allow eavesdrop=\"true\"/>\n"
                    "    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n") ||
        !give_to_user(bus_dir + "/bus.conf"))
        return QStringLiteral("cannot write the bus configuration in %1").arg(QString::fromStdString(bus_dir));
    bus_ = spawn(as_user({*find_program("dbus-daemon"), "--nofork", "--print-address=1",
                          "--config-file=" + bus_dir + "/bus.conf"}),
                 {"PATH=/usr/local/bin:/usr/bin:/bin", "HOME=" + bus_dir}, dir_ + "/bus.log", &out);
    const std::optional<std::string> address = bus_ > 0 ? read_line(out, 20000) : std::nullopt;
    if (!address || address->empty()) return QStringLiteral("dbus-daemon did not start:\n%1").arg(logs());
    bus_address_ = *address;

    // The program under test runs on them with the input method's Qt module.
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", bus_address_.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("QT_IM_MODULE", "fcitx", 1);
    setenv("XMODIFIERS", "@im=fcitx", 1);
    setenv("GTK_IM_MODULE", "fcitx", 1);
    setenv("LANG", kLocale, 1);
    setenv("LC_ALL", kLocale, 1);
    return std::nullopt;
}

std::optional<QString> ImeSession::start_input_method() {
    stop_input_method();
    if (dir_.empty()) return QStringLiteral("no X server and bus");
    // A new home each time: mozc keeps what it learns in its folder there.
    const std::string home = dir_ + "/case-" + std::to_string(++cases_);
    for (const char* sub : {"", "/.config", "/.config/fcitx5", "/.local", "/.local/share", "/.cache", "/run"})
        if (!make_user_dir(home + sub)) return QStringLiteral("cannot make %1").arg(QString::fromStdString(home + sub));
    // mozc the only input method after the keyboard, switched on and off with Control+space;
    // the state is shared by all windows, as a player who switched it on expects.
    const std::string profile = home + "/.config/fcitx5/profile";
    const std::string config = home + "/.config/fcitx5/config";
    if (!write_text(profile, "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n\n"
                             "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                             "[Groups/0/Items/1]\nName=mozc\nLayout=\n\n[GroupOrder]\n0=Default\n") ||
        !write_text(config, "[Hotkey]\nEnumerateWithTriggerKeys=True\n\n[Hotkey/TriggerKeys]\n0=Control+space\n\n"
                            "[Behavior]\nShareInputState=All\n") ||
        !give_to_user(profile) || !give_to_user(config))
        return QStringLiteral("cannot write the fcitx5 configuration in %1").arg(QString::fromStdString(home));
    fcitx_ = spawn(as_user({*find_program("fcitx5"), "--disable=all", "--enable=dbus,dbusfrontend,keyboard,mozc,xcb"}),
                   {"PATH=/usr/local/bin:/usr/bin:/bin", "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                    "XDG_DATA_HOME=" + home + "/.local/share", "XDG_CACHE_HOME=" + home + "/.cache",
                    "XDG_RUNTIME_DIR=" + home + "/run", "DISPLAY=" + display_,
                    "DBUS_SESSION_BUS_ADDRESS=" + bus_address_, std::string("LANG=") + kLocale,
                    std::string("LC_ALL=") + kLocale},
                   dir_ + "/fcitx5.log", nullptr);
    if (fcitx_ <= 0) return QStringLiteral("fcitx5 could not be started");
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (!bus) return QStringLiteral("the tests cannot reach the bus at %1").arg(QString::fromStdString(bus_address_));
    const bool up = QTest::qWaitFor(
        [bus] { return bus->isServiceRegistered(QStringLiteral("org.fcitx.Fcitx5")).value(); }, 30000);
    if (!up) return QStringLiteral("fcitx5 did not come up on the bus:\n%1").arg(logs());
    return std::nullopt;
}

void ImeSession::stop_input_method() { end_group(fcitx_); }

int ImeSession::state() const {
    QProcess p;
    p.start(QString::fromStdString(*find_program("fcitx5-remote")), {});
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return -1;
    bool ok = false;
    const int s = QString::fromLatin1(p.readAllStandardOutput()).trimmed().toInt(&ok);
    return ok ? s : -1;
}

bool ImeSession::xdotool(const QStringList& args) const {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForStarted(10000)) return false;
    return QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 30000) &&
           p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString ImeSession::logs() const {
    return tail(dir_ + "/xvfb.log", 10) + tail(dir_ + "/bus.log", 10) + tail(dir_ + "/fcitx5.log", 30);
}

}  // namespace velmo::testing
