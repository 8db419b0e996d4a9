#pragma once
// A real input method for the tests: an X server and a session bus of the test
// program's own, started before its QApplication, and for each case a fresh
// fcitx5 with mozc. mozc does not run as root, so when the tests run as root
// the bus, fcitx5 and mozc run as the unprivileged user 65534, with their home
// and XDG folders in a temporary folder that user owns.
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <sys/types.h>

namespace velmo::testing {

class ImeSession {
public:
    ImeSession() = default;
    ~ImeSession();
    ImeSession(const ImeSession&) = delete;
    ImeSession& operator=(const ImeSession&) = delete;

    // Starts Xvfb and the bus and sets the environment the program runs with on
    // them (DISPLAY, the bus address, QT_QPA_PLATFORM=xcb, QT_IM_MODULE=fcitx ...);
    // on failure returns why, in words that say what to install.
    std::optional<QString> start_display();
    // Starts fcitx5 in a new, empty home: mozc learns nothing from an earlier case.
    // Its trigger key is Control+space; the state is shared by all windows.
    std::optional<QString> start_input_method();
    void stop_input_method();

    // What fcitx5-remote reports for the focused input context: 0 none, 1 off,
    // 2 on; -1 when it cannot be asked.
    int state() const;
    // Runs xdotool with args on the display and waits for it, events flowing.
    bool xdotool(const QStringList& args) const;
    // The end of the logs of Xvfb, the bus and fcitx5, for failure messages.
    QString logs() const;

private:
    std::string dir_;  // the temporary folder
    std::string display_;
    std::string bus_address_;
    pid_t xvfb_ = -1;
    pid_t bus_ = -1;
    pid_t fcitx_ = -1;
    int cases_ = 0;
};

// The session made by the test program's main, and why it could not start.
ImeSession& ime_session();
const std::optional<QString>& ime_session_failure();

}  // namespace velmo::testing
