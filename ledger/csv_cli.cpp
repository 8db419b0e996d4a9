#include "ledger/csv_cli.h"

#include <QFile>

#include <cstdio>
#include <string>

#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"

namespace velmo {

std::optional<LedgerImage> read_ledger_for_export(const char* path) {
    const std::string ledger = path;
    const std::optional<std::string> bytes = read_file(QFile::decodeName(path));
    if (!bytes) {
        command_failure(ledger + " を開けません");
        return std::nullopt;
    }
    DecodedLedger file;
    if (decode_ledger(*bytes, file) == DecodeResult::WrongFormat) {
        command_failure(ledger + " は収支ファイルではありません（ファイル形式が違います）");
        return std::nullopt;
    }
    LedgerImage image = ledger_image_of(file);
    if (file.truncated)
        std::fprintf(stderr, "velmorant: %s は途中で終わっています。読めた %zu 件の記録を書き出します\n",
                     ledger.c_str(), image.records.size());
    return image;
}

int export_csv_command(int argc, const char* const* args) {
    if (argc < 1 || argc > 2)
        return command_failure("使い方: velmorant --export-csv 収支ファイル.vqd [書き出すファイル.csv]"
                    "（書き出すファイルがないときは標準出力へ）");
    const std::optional<LedgerImage> image = read_ledger_for_export(args[0]);
    if (!image) return 1;
    const std::string csv = export_csv(*image);
    if (argc == 2) {
        if (same_file(QFile::decodeName(args[1]), QFile::decodeName(args[0])))
            return command_failure(std::string(args[1]) + " は収支ファイルそのものです。別の名前を指定してください");
        const SaveResult saved = write_file_atomic(QFile::decodeName(args[1]), csv);
        if (!saved)
            return command_failure(std::string(args[1]) + " に書き出せません" +
                                   cause_suffix(save_failure_cause(saved.error)).toStdString());
        return 0;
    }
    if (std::fwrite(csv.data(), 1, csv.size(), stdout) != csv.size() || std::fflush(stdout) != 0)
        return command_failure("標準出力に書き出せません");
    return 0;
}

}  // namespace velmo
