// Velmorant: a year ledger of play records for ball and slot gaming machines.
#include <QApplication>

#include <cstring>
#include <exception>

#include "assets/glyphs.h"
#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "framework/dialogs.h"
#include "framework/instance_lock.h"
#include "framework/translation.h"
#include "framework/runtime.h"
#include "ledger/csv_cli.h"
#include "month/tform6.h"
#include "print/tform4.h"
#include "records/tform5.h"
#include "shell/tform1.h"

int main(int argc, char** argv) {
    // A file-size limit makes a save fail and say so, instead of ending the program.
    velmo::ignore_file_size_signal();
    // The CSV export from the command line needs no window, no display and no lock.
    if (argc >= 2 && std::strcmp(argv[1], "--export-csv") == 0) return velmo::export_csv_command(argc - 2, argv + 2);

    // One instance at a time: a second start ends at once, showing nothing.
    velmo::InstanceLock lock;
    if (lock.acquire(QStringLiteral("Velmorant")) != velmo::LockResult::Acquired) return 1;

    QApplication app(argc, argv);
    // No display name: the window system would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("Velmorant"));
    if (!velmo::use_japanese_ui()) qWarning("Qt's Japanese translation (qtbase_ja) is not installed");
    QApplication::setWindowIcon(velmo::app_icon());

    TForm1 form1;
    TForm2 form2;
    TForm3 form3;
    TForm4 form4;
    TForm5 form5;
    TForm6 form6;
    TForm7 form7;
    form1.arguments = app.arguments().mid(1);
    form1.show();
    // A ledger of the wrong format closes the window during start-up.
    if (!form1.isVisible()) return 0;
    try {
        return QApplication::exec();
    } catch (const std::exception& e) {
        // An error no handler caught: say so, and end.
        velmo::dialogs().error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
