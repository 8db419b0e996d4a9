// Velmorant: a year ledger of play records for ball and slot gaming machines.
#include <QApplication>
#include <QSessionManager>

#include <cstring>
#include <exception>
#include <memory>

#include "analysis/analyze_cli.h"
#include "export/xlsx_cli.h"
#include "framework/dialogs.h"
#include "framework/instance_lock.h"
#include "framework/runtime.h"
#include "ledger/csv_cli.h"
#include "play/play_csv.h"
#include "play/play_settings.h"
#include "play/numbers_csv.h"
#include "recovery/recovery_keeper.h"
#include "shell/beyond_hooks.h"
#include "shell/command_line.h"
#include "shell/program_start.h"

int main(int argc, char** argv) {
    // A file-size limit makes a save fail and say so, instead of ending the program.
    velmo::ignore_file_size_signal();
    // What the command-line modes read and write beyond the specified data: the
    // play data's registry records and CSV columns (the windows register them too).
    velmo::play::register_registry_records();
    velmo::play::register_csv_columns();
    // The exports' figures (回転率 … 運) use the machine numbers of the user's registry.
    if (argc >= 2 && (std::strcmp(argv[1], "--export-csv") == 0 || std::strcmp(argv[1], "--export-xlsx") == 0)) {
        static const velmo::play::MachineNumberTable all_numbers = velmo::play::user_machine_numbers();
        velmo::play::register_csv_columns([] { return &all_numbers; });
    }
    // The CSV export from the command line needs no window, no display and no lock.
    if (argc >= 2 && std::strcmp(argv[1], "--export-csv") == 0) return velmo::export_csv_command(argc - 2, argv + 2);
    // So does the workbook export.
    if (argc >= 2 && std::strcmp(argv[1], "--export-xlsx") == 0) return velmo::export_xlsx_command(argc - 2, argv + 2);
    // The CSV import takes the program's lock instead: it writes the ledger.
    if (argc >= 2 && std::strcmp(argv[1], "--import-csv") == 0) return velmo::import_csv_command(argc - 2, argv + 2);
    // And the analysis overview.
    if (argc >= 2 && std::strcmp(argv[1], "--analyze") == 0) return velmo::analyze_command(argc - 2, argv + 2);
    // And the stores (貯玉) the ledgers leave.
    if (argc >= 2 && std::strcmp(argv[1], "--stores") == 0) return velmo::stores_command(argc - 2, argv + 2);
    // Machine numbers: printed without a lock; imported into the user's registry
    // under the program's own lock.
    if (argc >= 2 && (std::strcmp(argv[1], "--specs") == 0 || std::strcmp(argv[1], "--import-specs") == 0)) {
        velmo::register_settings_records();
        return std::strcmp(argv[1], "--specs") == 0 ? velmo::play::print_numbers_command(argc - 2, argv + 2)
                                                  : velmo::play::import_numbers_command(argc - 2, argv + 2);
    }
    // --help, --version, and an option the program does not know.
    if (const auto status = velmo::run_option(argc - 1, argv + 1)) return *status;

    // One instance per set of user files: a second start ends at once, showing nothing.
    velmo::InstanceLock lock;
    const velmo::LockResult locked = lock.acquire(QStringLiteral("velmo"));
    if (locked.state == velmo::LockState::Busy) return 1;
    // A start that cannot lock says why: first on standard error, which needs no
    // display, then in a box.
    const QString refusal = velmo::lock_failure_message(locked);
    if (!refusal.isEmpty()) velmo::command_failure(QString(refusal).replace(QLatin1Char('\n'), QString()).toStdString());

    // Without a display: one line and status 1, not Qt's abort.
    auto opening = std::make_unique<velmo::DisplayOpening>();
    QApplication app(argc, argv);
    opening.reset();
    velmo::prepare_application();
    if (!refusal.isEmpty()) {
        velmo::dialogs().error(refusal);
        return 1;
    }

    velmo::ProgramWindows windows;
    TForm1& form1 = windows.form1;
    form1.arguments = app.arguments().mid(1);
    // A logout, a shutdown or a kill from a terminal ends the program with the
    // recovery copy of unsaved records current; at the desktop session's end the
    // save question is asked when the session allows it.
    if (auto* keeper = form1.findChild<velmo::recovery::RecoveryKeeper*>()) {
        velmo::recovery::end_cleanly_on_signals(*keeper);
        QObject::connect(&app, &QGuiApplication::commitDataRequest, keeper, [&form1, keeper](QSessionManager& session) {
            if (session.allowsInteraction() && form1.isEnabled()) {
                if (!form1.save_shusi()) session.cancel();
                session.release();
            } else {
                keeper->write_now();
            }
        });
    }
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
