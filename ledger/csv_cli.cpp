#include "ledger/csv_cli.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <string>

#include "framework/command_args.h"
#include "framework/instance_lock.h"
#include "framework/runtime.h"
#include "framework/user_files.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_read.h"
#include "ledger/registry_file.h"

namespace velmo {

std::optional<LedgerImage> read_ledger_for_export(const char* path) {
    const QString ledger = QFile::decodeName(path);
    DecodedLedger file;
    if (const LedgerFault fault = read_whole_ledger(ledger, file); fault != LedgerFault::None) {
        command_failure(ledger_fault_message(ledger, fault));
        return std::nullopt;
    }
    return ledger_image_of(file);
}

int export_csv_command(int argc, const char* const* args) {
    constexpr std::string_view kUsage = "使い方: velmorant --export-csv 収支ファイル.vqd [書き出すファイル.csv]";
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, {}, cl)) return command_line_mistake(*mistake, kUsage);
    if (cl.files.empty()) return command_line_mistake("収支ファイルがありません", kUsage);
    if (cl.files.size() > 2) return command_line_mistake("ファイルが多すぎます: " + cl.files[2], kUsage);
    const std::string& ledger = cl.files[0];
    const std::optional<LedgerImage> image = read_ledger_for_export(ledger.c_str());
    if (!image) return 1;
    const std::string csv = export_csv(*image);
    if (cl.files.size() == 2) {
        const std::string& out = cl.files[1];
        if (same_file(QFile::decodeName(out.c_str()), QFile::decodeName(ledger.c_str())))
            return command_failure(out + " は収支ファイルそのものです。別の名前を指定してください");
        const SaveResult saved = write_file_atomic(QFile::decodeName(out.c_str()), csv);
        if (!saved)
            return command_failure(out + " に書き出せません" +
                                   cause_suffix(save_failure_cause(saved.error)).toStdString());
        return 0;
    }
    if (std::fwrite(csv.data(), 1, csv.size(), stdout) != csv.size() || std::fflush(stdout) != 0)
        return command_failure("標準出力に書き出せません");
    return 0;
}

int import_csv_command(int argc, const char* const* args) {
    constexpr std::string_view kUsage = "使い方: velmorant --import-csv 収支ファイル.vqd 読み込むファイル.csv";
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, {}, cl)) return command_line_mistake(*mistake, kUsage);
    if (cl.files.empty()) return command_line_mistake("収支ファイルがありません", kUsage);
    if (cl.files.size() < 2) return command_line_mistake("読み込むCSVファイルがありません", kUsage);
    if (cl.files.size() > 2) return command_line_mistake("ファイルが多すぎます: " + cl.files[2], kUsage);
    const std::string& ledger_arg = cl.files[0];
    const std::string& csv_arg = cl.files[1];
    const QString ledger = QFile::decodeName(ledger_arg.c_str());
    const QString csv = QFile::decodeName(csv_arg.c_str());

    // The program's own lock: while it runs (or another import does) the ledger is left alone.
    InstanceLock lock;
    const LockResult locked = lock.acquire(QStringLiteral("velmo"));
    if (locked.state == LockState::Busy)
        return command_failure("velmorant が実行中です。終了してから読み込んでください（収支ファイルは変更していません）");
    if (locked.state != LockState::Acquired)
        return command_failure(QString(lock_failure_message(locked)).replace(QLatin1Char('\n'), QString()).toStdString());

    // A ledger that does not exist is not made here: a mistyped name would otherwise become a
    // new year. New ledgers are made by the program (新規), which asks for the year.
    if (!QFileInfo::exists(ledger))
        return command_failure(ledger_arg + " がありません（新しい収支ファイルはプログラムの「新規」で作ってください）");
    // A save of the ledger that did not finish is settled by the program, which asks how.
    if (has_interrupted_save(ledger))
        return command_failure(ledger_arg + " の前回の保存が終わっていません。プログラムで開いて確かめてください");
    DecodedLedger file;
    if (const LedgerFault fault = read_whole_ledger(ledger, file); fault != LedgerFault::None)
        return command_failure(ledger_fault_message(ledger, fault));
    LedgerImage image = ledger_image_of(file);

    const FileRead input = read_input_file(csv);
    if (input.status == ReadStatus::TooLarge) return command_failure(too_large_message(csv).toStdString());
    if (input.status != ReadStatus::Ok) return command_failure(csv_arg + " を開けません");

    // The player's settings (the stores' starting balances) as the program reads them.
    Registry registry;
    const FileRead registry_read = read_input_file(user_file_read_path(QStringLiteral("velmo.lst")));
    if (registry_read.status == ReadStatus::Ok) registry = decode_registry(registry_read.bytes);

    CsvImportTarget target;
    target.year = image.year;
    target.has_extra = image.extra.has_value();
    if (image.extra) target.extra_name = image.extra->name;
    target.rec_count = static_cast<int>(image.records.size());
    target.records = image.records;
    target.ledger_path = ledger;
    target.settings = &registry.settings;
    const CsvImport read = read_csv_import(input.bytes, target);
    if (!read.problems.empty())
        return command_failure(csv_problems_message(read.problems, read.problem_count).toStdString());

    if (is_read_only_file(ledger)) return command_failure(ledger_arg + " は読み取り専用です（変更していません）");
    image.records = merge_in_date_order(std::move(image.records), read.records).records;
    const SaveResult saved = write_file_atomic(ledger, encode_ledger(image));
    if (!saved) return command_failure(save_failure_message(ledger, saved).toStdString());
    const std::string done = std::to_string(read.records.size()) + " 件の記録を追加しました\n";
    if (std::fwrite(done.data(), 1, done.size(), stdout) != done.size() || std::fflush(stdout) != 0) return 1;
    return 0;
}

}  // namespace velmo
