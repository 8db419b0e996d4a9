#pragma once
// The program's windows for the benchmarks, with a full generated year to load.
#include <QTemporaryDir>

#include <memory>

#include "bench/ledger_gen.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "ledger/registry_file.h"
#include "shell/program_start.h"

namespace velmo::bench {

// The program's windows as at start-up, in a folder of their own.
struct Windows {
    QTemporaryDir dir;
    velmo::ScriptedDialogs dialogs;
    std::unique_ptr<velmo::ProgramWindows> windows;
    TForm1* form1 = nullptr;

    Windows() {
        velmo::set_program_dir(dir.path());
        windows = std::make_unique<velmo::ProgramWindows>();
        form1 = &windows->form1;
        // Registered machines with attributes, so that the attribute table has work to do.
        velmo::registry_to_windows(velmo::bench::generated_registry());
    }
};

// The windows with a full ledger file to load.
struct Program : Windows {
    QString file;
    QString many_machines_file;  // the same year with 300 distinct machine names
    QString play_file;           // the same year with play data on every machine entry

    Program() {
        file = dir.path() + QStringLiteral("/vq2024.vqd");
        velmo::bench::LedgerShape shape;  // 1023 records of 9 machines
        velmo::write_file_atomic(file, velmo::encode_ledger(velmo::bench::generated_ledger("2024", shape)));
        many_machines_file = dir.path() + QStringLiteral("/vq2024many.vqd");
        shape.machine_kinds = 300;
        velmo::write_file_atomic(many_machines_file,
                                 velmo::encode_ledger(velmo::bench::generated_ledger("2024", shape)));
        play_file = dir.path() + QStringLiteral("/vq2024play.vqd");
        velmo::bench::LedgerShape played;
        played.play = true;
        velmo::write_file_atomic(play_file, velmo::encode_ledger(velmo::bench::generated_ledger("2024", played)));
    }
    void load() { load(file); }
    void load(const QString& path) {
        form1->clear_ledger();
        form1->file_name = path;
        form1->load_ledger();
    }
};

// Made on first use and destroyed before the application object.
inline std::unique_ptr<Program> g_program;

inline Program& program() {
    if (!g_program) g_program = std::make_unique<Program>();
    return *g_program;
}

}  // namespace velmo::bench
