// Preloaded (LD_PRELOAD) into a program under the start-up benchmark: once the first
// window of the program has painted its first frame, prints "frame" on standard
// output and ends the process at once, so that the process's peak memory is that
// of its start. Any Qt widgets program can be measured so, unchanged.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class FirstFrame : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window()->isVisible()) {
            seen_ = true;
            // A window paints all its widgets in one pass; the report follows that pass.
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::fputs("frame\n", stdout);
                    std::fflush(stdout);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool seen_ = false;
};

void watch_first_frame() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QCoreApplication::instance()->installEventFilter(new FirstFrame(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watch_first_frame)
