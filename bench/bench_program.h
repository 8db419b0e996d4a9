#pragma once
// The program's windows for the benchmarks, with a full generated year to load.
#include <QTemporaryDir>

#include <memory>

#include "bench/ledger_gen.h"
#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "month/tform6.h"
#include "print/tform4.h"
#include "records/tform5.h"
#include "shell/tform1.h"

namespace velmo::bench {

// The program's windows as at start-up.
struct Windows {
    QTemporaryDir dir;
    velmo::ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TForm6> form6;
    std::unique_ptr<TForm7> form7;

    Windows() {
        velmo::set_program_dir(dir.path());
        form1 = std::make_unique<TForm1>();
        form2 = std::make_unique<TForm2>();
        form3 = std::make_unique<TForm3>();
        form4 = std::make_unique<TForm4>();
        form5 = std::make_unique<TForm5>();
        form6 = std::make_unique<TForm6>();
        form7 = std::make_unique<TForm7>();
        // Registered machines with attributes, so that the attribute table has work to do.
        velmo::registry_to_windows(velmo::bench::generated_registry());
    }
};

// The windows with a full ledger file to load.
struct Program : Windows {
    QString file;
    QString many_machines_file;  // the same year with 300 distinct machine names

    Program() {
        file = dir.path() + QStringLiteral("/vq2024.vqd");
        velmo::bench::LedgerShape shape;  // 1023 records of 9 machines
        velmo::write_file_atomic(file, velmo::encode_ledger(velmo::bench::generated_ledger("2024", shape)));
        many_machines_file = dir.path() + QStringLiteral("/vq2024many.vqd");
        shape.machine_kinds = 300;
        velmo::write_file_atomic(many_machines_file,
                                 velmo::encode_ledger(velmo::bench::generated_ledger("2024", shape)));
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
