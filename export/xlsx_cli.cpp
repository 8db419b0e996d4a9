#include "export/xlsx_cli.h"

#include <QFile>

#include <optional>
#include <string>

#include "export/xlsx_export.h"
#include "framework/command_args.h"
#include "framework/runtime.h"
#include "ledger/csv_cli.h"
#include "ledger/ledger_csv.h"

namespace velmo {

namespace {

constexpr std::string_view kUsage = "使い方: velmorant --export-xlsx 収支ファイル.vqd [書き出すファイル.xlsx]";

}  // namespace

int export_xlsx_command(int argc, const char* const* args) {
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, {}, cl)) return command_line_mistake(*mistake, kUsage);
    if (cl.files.empty()) return command_line_mistake("収支ファイルがありません", kUsage);
    if (cl.files.size() > 2) return command_line_mistake("ファイルが多すぎます: " + cl.files[2], kUsage);
    const std::optional<LedgerImage> image = read_ledger_for_export(cl.files[0].c_str());
    if (!image) return 1;
    const QString ledger = QFile::decodeName(cl.files[0].c_str());
    const QString out = cl.files.size() == 2 ? QFile::decodeName(cl.files[1].c_str()) : default_xlsx_name(ledger);
    const std::string shown = QFile::encodeName(out).toStdString();
    if (same_file(out, ledger)) return command_failure(shown + " は収支ファイルそのものです。別の名前を指定してください");
    QString cause;
    switch (write_xlsx(*image, out, &cause)) {
    case XlsxWrite::Written: return 0;
    case XlsxWrite::NotMade: return command_failure("Excelファイルを作れません" + cause_suffix(cause).toStdString());
    case XlsxWrite::NotWritten: return command_failure(shown + " に書き出せません" + cause_suffix(cause).toStdString());
    }
    return 1;
}

}  // namespace velmo
