// Time of the refresh sequence, of the machine table, of loading a full year
// ledger, and of the start to the first frame of the main window showing it.
//
//   velmo_bench                         runs the benchmarks
//   velmo_bench --velmo_first_frame=program --velmo_dir=DIR
//   velmo_bench --velmo_first_frame=bare|texts [--velmo_dir=DIR]
//                                       starts as the program does with DIR as its folder and
//                                       DIR/vq2024.vqd as its argument (or a bare main window
//                                       with a table, empty or holding the texts of the year
//                                       list's first frame from DIR/vq2024.vqd), prints the time
//                                       from the start of main
//                                       to the first frame and the peak memory, and exits
//   velmo_bench --velmo_start_dir=DIR  writes the full year and the registered machines the
//                                       start-up benchmarks start with into DIR, with a copy of
//                                       velmorant, a folder run/ for its lock and the texts file
//                                       of velmo_bare_window, and exits; then
//                                         LD_PRELOAD=libvelmo_first_frame_probe.so XDG_RUNTIME_DIR=DIR/run DIR/velmorant DIR/vq2024.vqd
//                                         LD_PRELOAD=libvelmo_first_frame_probe.so velmo_bare_window DIR/texts.txt
//                                       each print "frame" at their first frame and end, as
//                                       BM_ProgramStart runs them
//   velmo_bench --velmo_profile=refresh|correction|machine|load|attribute [--velmo_count=N]
//                                       runs one operation N times (default 100) on the full
//                                       year through profiled_operation, for
//                                       valgrind --tool=callgrind --toggle-collect=profiled_operation
//   velmo_bench --velmo_write=FILE [--velmo_records=N] [--velmo_machines=M] [--velmo_halls=H] [--velmo_year=YYYY]
//                                       writes a generated ledger file and exits
//   velmo_bench --velmo_write=FILE ... [--velmo_kinds=K]   K distinct machine names
//   velmo_bench --velmo_shot=DIR --velmo_file=FILE [--velmo_hold=MS]
//                                       shows FILE in the main window and saves the
//                                       monthly, weekday, hall and machine tabs as
//                                       DIR/tab1..4.png; with --velmo_hold the machine
//                                       tab then stays on screen for MS milliseconds
//   velmo_bench --velmo_csv_shapes=1   imports files at the read limit, each in a process of its
//                                       own, and prints their seconds and peak memory
//   velmo_bench --velmo_shot=DIR --velmo_file=FILE --velmo_analysis=PAGE
//                                       also opens the analysis window, saves its pages as
//                                       DIR/analysis1..3.png and leaves page PAGE (0..2) shown
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "assets/glyphs.h"
#include "analysis/analysis_window.h"
#include "bench/bench_program.h"
#include "bench/csv_shapes.h"
#include "bench/ledger_gen.h"
#include "budget/budget.h"
#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/draw.h"
#include "framework/instance_lock.h"
#include "framework/runtime.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "month/tform6.h"
#include "print/tform4.h"
#include "records/tform5.h"
#include "shell/program_start.h"
#include "shell/tform1.h"

namespace {

using velmo::bench::Program;
using velmo::bench::Windows;
using velmo::bench::program;

const char* option(int argc, char** argv, const char* name) {
    const std::size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, n) == 0 && argv[i][n] == '=') return argv[i] + n + 1;
    return nullptr;
}

// Arg 0: the full year; 1: the same year with play data on every machine entry.
void BM_LoadLedger(benchmark::State& state) {
    Program& p = program();
    const QString& file = state.range(0) == 1 ? p.play_file : p.file;
    for (auto _ : state) p.load(file);
    if (p.form1->rec_count != 1023) state.SkipWithError("the ledger did not load whole");
}
BENCHMARK(BM_LoadLedger)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RefreshSequence(benchmark::State& state) {
    Program& p = program();
    p.load(state.range(0) == 1 ? p.play_file : p.file);
    for (auto _ : state) p.form1->refresh_after_change();
    state.counters["records"] = p.form1->rec_count;
}
BENCHMARK(BM_RefreshSequence)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A correction of the middle record's amounts, written as the entry dialog writes
// a record, then the whole refresh: the record is read again and the running
// totals of the 512 records from it on change. The amounts alternate, so every
// iteration changes them. With the argument 1 a monthly budget is set (one no month
// reaches, so no notice is queued): the budget's month sums are then read again too.
void BM_RefreshAfterCorrection(benchmark::State& state) {
    Program& p = program();
    p.load();
    TForm1& f = *p.form1;
    f.player_settings().set(state.range(0) ? velmo::budget::Budget{velmo::budget::kMaxAmount, 0} : velmo::budget::Budget{});
    constexpr int kRow = 512;
    const auto machines = velmo::unpack_machine_detail(f.StringGrid5->cell(0, kRow));
    struct Version {
        std::string balance, detail, totals;
    };
    Version versions[2];
    for (int v = 0; v < 2; ++v) {
        std::vector<velmo::MachineEntry> changed = machines;
        long long investment = 0, payout = 0;
        for (std::size_t i = 0; i < changed.size(); ++i) {
            changed[i].payout = std::to_string(1000 * (v + 1) * static_cast<int>(i + 1));
            investment += velmo::cell_number(changed[i].investment);
            payout += velmo::cell_number(changed[i].payout);
        }
        versions[v] = {std::to_string(payout - investment), velmo::pack_machine_detail(changed),
                       velmo::pack_day_totals({std::to_string(investment), std::to_string(payout)})};
    }
    int n = 0;
    for (auto _ : state) {
        const Version& v = versions[n++ & 1];
        f.StringGrid1->set_cell(f.balance_col, kRow, v.balance);
        f.StringGrid5->set_cell(0, kRow, v.detail);
        f.StringGrid5->set_cell(1, kRow, v.totals);
        f.refresh_after_change({kRow});
    }
    f.player_settings().set(velmo::budget::Budget{});
}
BENCHMARK(BM_RefreshAfterCorrection)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

template <void (TForm1::*Pass)()>
void BM_Pass(benchmark::State& state) {
    Program& p = program();
    p.load();
    for (auto _ : state) (p.form1->*Pass)();
}
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::recompute_totals)->Name("BM_recompute_totals")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_monthly)->Name("BM_compute_monthly")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_weekday)->Name("BM_compute_weekday")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_hall_summary)->Name("BM_compute_hall_summary")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_extra_summary)->Name("BM_compute_extra_summary")->Unit(benchmark::kMicrosecond);

// The machine table of a full year: 1023 records of 9 machines, with 14 machine
// names (argument 0) or with 300, so that reading stops at the 200th (argument 1).
void BM_compute_machine_summary(benchmark::State& state) {
    Program& p = program();
    p.load(state.range(0) == 0 ? p.file : p.many_machines_file);
    for (auto _ : state) p.form1->compute_machine_summary();
    int machines = 0;
    while (!p.form1->StringGrid7->cell(1, machines + 1).empty()) ++machines;
    state.counters["machines"] = machines;
    if (machines != (state.range(0) == 0 ? 14 : 200)) state.SkipWithError("unexpected machine count");
}
BENCHMARK(BM_compute_machine_summary)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_attribute_summary)
    ->Name("BM_compute_attribute_summary")
    ->Unit(benchmark::kMicrosecond);

// ---- Start to the first frame ----

// Peak resident memory of this process in kB, from /proc; -1 when unknown.
long peak_memory_kb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Counts paint events of the widgets of one window.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_)
            painted = true;
        return false;
    }

private:
    QWidget* window_;
};

// Shows the window and runs the event loop until its first frame has been painted;
// the repaint of a window paints all its widgets in one pass of the loop.
void show_to_first_frame(QWidget* window) {
    PaintWatch watch(window);
    window->show();
    while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The texts of the program's first frame of the year list: the list's headers, then the
// first sixteen records of the year in FILE (date, weekday, hall, machines, balance,
// running total), as the list shows them. Empty when the file holds no record.
std::vector<QStringList> year_list_texts(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = in.readAll();
    velmo::DecodedLedger decoded;
    velmo::decode_ledger(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), decoded);
    const velmo::HeldLedger year = velmo::held_ledger(std::move(decoded));
    if (year.records.empty()) return {};
    std::vector<QStringList> rows{{QString::fromUtf8("日付"), QString::fromUtf8("曜"), QString::fromUtf8(" ホール名"),
                                   QString::fromUtf8(" プレイ機種"), QString::fromUtf8("収　支 "),
                                   QString::fromUtf8("合　計 ")}};
    const char* weekdays[7] = {"月", "火", "水", "木", "金", "土", "日"};
    long long total = 0;
    for (int row = 0; row < 16 && row < static_cast<int>(year.records.size()); ++row) {
        const velmo::LedgerRecord& r = year.records[static_cast<std::size_t>(row)];
        const QString date = velmo::from_cp932(r.date);
        const QDate day = QDate::fromString(QStringLiteral("2024/") + date.trimmed(), QStringLiteral("yyyy/M/d"));
        const long long balance = velmo::from_cp932(r.balance).trimmed().toLongLong();
        total += balance;
        rows.push_back({date, QString::fromUtf8(weekdays[day.isValid() ? day.dayOfWeek() - 1 : 0]),
                        velmo::from_cp932(r.hall), velmo::from_cp932(r.machines), QString::number(balance),
                        QString::number(total)});
    }
    return rows;
}

// A bare main window whose table holds the texts of the program's first frame of the
// year list (year_list_texts) in the program's fonts (15 pixels, the weekday column 11),
// clipped as the list clips them. It reads the file and draws what no program showing
// that list can leave out, and nothing else.
bool fill_with_year_list_texts(QTableWidget& table, const QString& file) {
    const std::vector<QStringList> rows = year_list_texts(file);
    if (rows.empty()) return false;
    table.setFont(velmo::ui_font(15));
    table.horizontalHeader()->setFont(velmo::ui_font(15));
    table.setTextElideMode(Qt::ElideNone);
    table.setWordWrap(false);
    table.setHorizontalHeaderLabels(rows[0]);
    for (std::size_t row = 1; row < rows.size(); ++row)
        for (int col = 0; col < rows[row].size(); ++col) {
            auto* item = new QTableWidgetItem(rows[row][col]);
            if (col == 1) item->setFont(velmo::ui_font(11));
            table.setItem(static_cast<int>(row - 1), col, item);
        }
    return true;
}

int first_frame_child(int argc, char** argv, const char* what, QElapsedTimer& since_main) {
    const bool texts_window = std::strcmp(what, "texts") == 0;
    const bool bare_window = texts_window || std::strcmp(what, "bare") == 0;
    // As main: one instance at a time, before the application object (under a name of its
    // own, so that a running program does not stop the benchmark).
    velmo::InstanceLock lock;
    if (!bare_window && lock.acquire(QStringLiteral("VelmorantStartBench")).state != velmo::LockState::Acquired) return 4;
    QApplication app(argc, argv);
    if (bare_window) {
        QMainWindow window;
        auto* table = new QTableWidget(20, 6, &window);
        if (texts_window) {
            const char* dir = option(argc, argv, "--velmo_dir");
            if (!dir || !fill_with_year_list_texts(*table, QString::fromLocal8Bit(dir) + QStringLiteral("/vq2024.vqd")))
                return 2;
        }
        window.setCentralWidget(table);
        window.resize(800, 600);
        show_to_first_frame(&window);
        std::printf("frame_us=%lld hwm_kb=%ld\n", static_cast<long long>(since_main.nsecsElapsed() / 1000),
                    peak_memory_kb());
        std::fflush(stdout);
        return 0;
    }
    const char* dir = option(argc, argv, "--velmo_dir");
    if (!dir) return 2;
    // Then as main: the names, translation and icon, the seven windows, the ledger
    // argument; the program's folder is DIR.
    velmo::set_program_dir(QString::fromLocal8Bit(dir));
    velmo::prepare_application();
    velmo::ProgramWindows windows;
    TForm1& form1 = windows.form1;
    form1.arguments = QStringList{QString::fromLocal8Bit(dir) + QStringLiteral("/vq2024.vqd")};
    show_to_first_frame(&form1);
    const long hwm = peak_memory_kb();
    if (form1.rec_count != 1023) return 3;
    std::printf("frame_us=%lld hwm_kb=%ld\n", static_cast<long long>(since_main.nsecsElapsed() / 1000), hwm);
    std::fflush(stdout);
    return 0;
}

struct ChildRun {
    double wall_ms = 0;  // from the start of the process to its report, seen from here
    double main_ms = 0;  // from the start of its main to the first frame
    long hwm_kb = 0;
};

bool run_child(const QStringList& args, ChildRun& out) {
    QProcess child;
    QElapsedTimer wall;
    wall.start();
    child.start(QCoreApplication::applicationFilePath(), args);
    QByteArray text;
    while (!text.contains('\n') && child.waitForReadyRead(20000)) text += child.readAllStandardOutput();
    out.wall_ms = static_cast<double>(wall.nsecsElapsed()) / 1e6;
    child.waitForFinished(20000);
    if (!text.startsWith("frame_us=") || child.exitCode() != 0) return false;
    const QList<QByteArray> parts = text.trimmed().split(' ');
    out.main_ms = parts[0].mid(9).toDouble() / 1000.0;
    out.hwm_kb = parts.size() > 1 ? parts[1].mid(7).toLong() : 0;
    return true;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The program folder the start-up runs in: the full year as vq2024.vqd and registered machines.
bool write_start_dir(const QString& dir) {
    const bool ledger = velmo::write_file_atomic(
        dir + QStringLiteral("/vq2024.vqd"),
        velmo::encode_ledger(velmo::bench::generated_ledger("2024", velmo::bench::LedgerShape{}))).ok;
    const QString own_dir = velmo::program_dir();
    velmo::set_program_dir(dir);
    const bool registry =
        velmo::write_file_atomic(velmo::registry_path(), velmo::encode_registry(velmo::bench::generated_registry())).ok;
    velmo::set_program_dir(own_dir);
    return ledger && registry;
}

// Start to the first frame of the main window showing the full year, against a bare
// main window with a table, both started as new processes, taking turns (offscreen).
// Time: the program's median; counters: both medians, their ratio and the peak memory.
void BM_StartToFirstFrame(benchmark::State& state) {
    QTemporaryDir dir;
    write_start_dir(dir.path());
    const QStringList program_args{QStringLiteral("--velmo_first_frame=program"),
                                   QStringLiteral("--velmo_dir=") + dir.path()};
    const QStringList bare_args{QStringLiteral("--velmo_first_frame=bare")};
    const QStringList texts_args{QStringLiteral("--velmo_first_frame=texts"), QStringLiteral("--velmo_dir=") + dir.path()};
    const int runs = static_cast<int>(state.range(0));
    std::vector<double> program_wall, bare_wall, texts_wall, program_main, bare_main;
    long program_hwm = 0, bare_hwm = 0;
    for (auto _ : state) {
        for (int i = 0; i < runs; ++i) {
            ChildRun bare, program, texts;
            if (!run_child(bare_args, bare) || !run_child(program_args, program) || !run_child(texts_args, texts)) {
                state.SkipWithError("a start did not reach its first frame");
                return;
            }
            texts_wall.push_back(texts.wall_ms);
            bare_wall.push_back(bare.wall_ms);
            bare_main.push_back(bare.main_ms);
            program_wall.push_back(program.wall_ms);
            program_main.push_back(program.main_ms);
            program_hwm = std::max(program_hwm, program.hwm_kb);
            bare_hwm = std::max(bare_hwm, bare.hwm_kb);
        }
        state.SetIterationTime(median(program_wall) / 1000.0);
    }
    state.counters["program_ms"] = median(program_wall);
    state.counters["bare_ms"] = median(bare_wall);
    state.counters["ratio"] = median(program_wall) / median(bare_wall);
    // The bare window with the year list's texts, against the bare one: the part of the
    // ratio that drawing the list's Japanese texts takes in any program.
    state.counters["texts_ms"] = median(texts_wall);
    state.counters["texts_ratio"] = median(texts_wall) / median(bare_wall);
    state.counters["program_main_ms"] = median(program_main);
    state.counters["bare_main_ms"] = median(bare_main);
    state.counters["main_ratio"] = median(program_main) / median(bare_main);
    state.counters["program_VmHWM_kB"] = static_cast<double>(program_hwm);
    state.counters["bare_VmHWM_kB"] = static_cast<double>(bare_hwm);
}
BENCHMARK(BM_StartToFirstFrame)->Arg(11)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- The program's own start, against a bare Qt program ----

// One start of a program until its first frame: the time from its start to the probe's
// report, seen from here, and its peak memory.
struct ProcessStart {
    bool ok = false;
    double wall_ms = 0;
    long max_rss_kb = 0;
};

// Starts argv with the first-frame probe preloaded (and the offscreen platform unless
// one is set) and the extra environment; waits for the report and the process's end.
ProcessStart start_to_first_frame(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LD_PRELOAD=", 11) != 0) env.emplace_back(*e);
    env.push_back(std::string("LD_PRELOAD=") + VELMO_FIRST_FRAME_PROBE);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) env.emplace_back("QT_QPA_PLATFORM=offscreen");
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    ProcessStart out;
    int fds[2];
    if (pipe(fds) != 0) return out;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer wall;
    wall.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return out;
    }
    std::string text;
    char buffer[256];
    ssize_t n = 0;
    while (text.find('\n') == std::string::npos && (n = read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    out.wall_ms = static_cast<double>(wall.nsecsElapsed()) / 1e6;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    out.max_rss_kb = usage.ru_maxrss;
    out.ok = text.rfind("frame\n", 0) == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return out;
}

// The program as installed in a folder of its own: its executable beside its user files
// (the full year as vq2024.vqd and registered machines), and the texts file of the bare
// program: the program's font family, then the texts of the year list's first frame.
bool write_program_start_dir(const QString& dir) {
    if (!QDir().mkpath(dir) || !write_start_dir(dir)) return false;
    const QString exe = dir + QStringLiteral("/velmorant");
    if (!QFile::copy(QStringLiteral(VELMO_EXE), exe)) return false;
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!QDir().mkpath(dir + QStringLiteral("/run"))) return false;
    QFile::setPermissions(dir + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile texts(dir + QStringLiteral("/texts.txt"));
    if (!texts.open(QIODevice::WriteOnly)) return false;
    QString out = velmo::ui_font(15).family() + QLatin1Char('\n');
    for (const QStringList& row : year_list_texts(dir + QStringLiteral("/vq2024.vqd")))
        out += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return texts.write(out.toUtf8()) > 0;
}

// The program (velmorant, as built) from its start to the first frame of its main window
// showing the full year, against velmo_bare_window drawing the texts of that frame's year
// list in the same font, taking turns, each a new process (offscreen unless QT_QPA_PLATFORM
// says otherwise). Counters: the medians of both, the median of the ratios of each pair,
// and the peak memory (median) of both and its ratio. Time: the program's median.
void BM_ProgramStart(benchmark::State& state) {
    QTemporaryDir dir;
    if (!write_program_start_dir(dir.path())) {
        state.SkipWithError("the program's folder could not be written");
        return;
    }
    const std::string folder = dir.path().toStdString();
    const std::vector<std::string> program{folder + "/velmorant", folder + "/vq2024.vqd"};
    const std::vector<std::string> bare{VELMO_BARE_WINDOW, folder + "/texts.txt"};
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + folder + "/run", "XDG_DATA_HOME=" + folder + "/data"};
    const int runs = static_cast<int>(state.range(0));
    std::vector<double> program_ms, bare_ms, ratio, program_kb, bare_kb;
    for (auto _ : state) {
        // One start each first, not counted: the files in the page cache.
        start_to_first_frame(program, env);
        start_to_first_frame(bare, env);
        for (int i = 0; i < runs; ++i) {
            const ProcessStart p = start_to_first_frame(program, env);
            const ProcessStart b = start_to_first_frame(bare, env);
            if (!p.ok || !b.ok) {
                state.SkipWithError(p.ok ? "the bare window did not draw" : "the program did not draw its main window");
                return;
            }
            program_ms.push_back(p.wall_ms);
            bare_ms.push_back(b.wall_ms);
            ratio.push_back(p.wall_ms / b.wall_ms);
            program_kb.push_back(static_cast<double>(p.max_rss_kb));
            bare_kb.push_back(static_cast<double>(b.max_rss_kb));
        }
        state.SetIterationTime(median(program_ms) / 1000.0);
    }
    state.counters["program_ms"] = median(program_ms);
    state.counters["bare_ms"] = median(bare_ms);
    state.counters["ratio"] = median(ratio);
    state.counters["program_rss_kB"] = median(program_kb);
    state.counters["bare_rss_kB"] = median(bare_kb);
    state.counters["rss_ratio"] = median(program_kb) / median(bare_kb);
}
BENCHMARK(BM_ProgramStart)->Arg(21)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The operation under the profiler, kept out of line so that a profiler can count it alone.
__attribute__((noinline)) void profiled_operation(Program& p, const char* what) {
    if (std::strcmp(what, "refresh") == 0) p.form1->refresh_after_change();
    else if (std::strcmp(what, "machine") == 0) p.form1->compute_machine_summary();
    else if (std::strcmp(what, "attribute") == 0) p.form1->compute_attribute_summary();
    else if (std::strcmp(what, "load") == 0) p.load();
    else if (std::strcmp(what, "correction") == 0) {
        // The middle record's balance written anew (alternating), then the refresh.
        static int n = 0;
        TForm1& f = *p.form1;
        f.StringGrid1->set_cell(f.balance_col, 512, (n++ & 1) ? "1000" : "-1000");
        f.refresh_after_change();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer since_main;
    since_main.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (const char* what = option(argc, argv, "--velmo_first_frame")) return first_frame_child(argc, argv, what, since_main);
    if (option(argc, argv, "--velmo_csv_shapes")) return velmo::bench::csv_shapes_report();
    QApplication app(argc, argv);
    if (const char* out = option(argc, argv, "--velmo_write")) {
        velmo::bench::LedgerShape shape;
        shape.records = 130;
        shape.machines = 2;
        shape.halls = 8;
        if (const char* v = option(argc, argv, "--velmo_records")) shape.records = std::atoi(v);
        if (const char* v = option(argc, argv, "--velmo_machines")) shape.machines = std::atoi(v);
        if (const char* v = option(argc, argv, "--velmo_halls")) shape.halls = std::atoi(v);
        if (const char* v = option(argc, argv, "--velmo_kinds")) shape.machine_kinds = std::atoi(v);
        const char* year = option(argc, argv, "--velmo_year");
        auto image = velmo::bench::generated_ledger(year ? year : "2024", shape);
        return velmo::write_file_atomic(QString::fromLocal8Bit(out), velmo::encode_ledger(image)) ? 0 : 1;
    }
    if (const char* shots = option(argc, argv, "--velmo_shot")) {
        // Shows the main window with a ledger and saves the summary tabs as pictures.
        const char* file = option(argc, argv, "--velmo_file");
        if (!file) return 2;
        Windows w;
        w.form1->arguments = QStringList{QString::fromLocal8Bit(file)};
        w.form1->show();
        for (int tab : {1, 2, 3, 4}) {
            w.form1->PageControl1->setCurrentIndex(tab);
            for (int i = 0; i < 20; ++i) QApplication::processEvents();
            w.form1->grab().save(QStringLiteral("%1/tab%2.png").arg(QString::fromLocal8Bit(shots)).arg(tab));
        }
        if (const char* page = option(argc, argv, "--velmo_analysis")) {
            // The analysis window from its menu item, its pages saved as analysis1..3.png;
            // the page given stays shown.
            w.form1->N1->actions().back()->trigger();
            auto* analysis = w.form1->findChild<velmo::analysis::AnalysisWindow*>();
            if (!analysis) return 1;
            analysis->move(0, 0);
            for (int i : {0, 1, 2}) {
                analysis->pages->setCurrentIndex(i);
                for (int k = 0; k < 20; ++k) QApplication::processEvents();
                analysis->grab().save(QStringLiteral("%1/analysis%2.png").arg(QString::fromLocal8Bit(shots)).arg(i + 1));
            }
            analysis->pages->setCurrentIndex(std::atoi(page));
        }
        if (const char* hold = option(argc, argv, "--velmo_hold")) {
            QElapsedTimer shown;
            shown.start();
            while (shown.elapsed() < std::atoi(hold)) QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return 0;
    }
    if (const char* start_dir = option(argc, argv, "--velmo_start_dir"))
        return write_program_start_dir(QString::fromLocal8Bit(start_dir)) ? 0 : 1;
    if (const char* what = option(argc, argv, "--velmo_profile")) {
        const char* count = option(argc, argv, "--velmo_count");
        const int n = count ? std::atoi(count) : 100;
        program().load();
        for (int i = 0; i < n; ++i) profiled_operation(program(), what);
        velmo::bench::g_program.reset();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    velmo::bench::g_program.reset();
    return 0;
}
