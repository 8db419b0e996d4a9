#include "ledger/csv_cli.h"

#include <QFile>

#include <cstdio>
#include <string>

#include "framework/command_args.h"
#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_read.h"

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

}  // namespace velmo
