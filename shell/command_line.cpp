#include "shell/command_line.h"

#include <cstdio>
#include <string_view>

#ifndef VELMO_VERSION
#error "VELMO_VERSION comes from the project's version in CMakeLists.txt"
#endif

namespace velmo {

std::string usage_text() {
    return "使い方: velmorant [収支ファイル.vqd]\n"
           "       velmorant --export-csv 収支ファイル.vqd [書き出し先.csv]\n"
           "       velmorant --export-xlsx 収支ファイル.vqd [書き出し先.xlsx]\n"
           "       velmorant --import-csv 収支ファイル.vqd 読み込むファイル.csv\n"
           "       velmorant --analyze 収支ファイル.vqd [...] [--hall 名前] [--machine 名前]\n"
           "                 [--weekday 月|火|水|木|金|土|日] [--months M-N]\n"
           "       velmorant --stores 収支ファイル.vqd [...]\n"
           "       velmorant --import-specs スペック.csv\n"
           "       velmorant --specs\n"
           "       velmorant --help | --version\n"
           "\n"
           "パチンコ・パチスロの収支を記録する年間収支帳です。\n"
           "収支ファイルを指定しないときは、現在のフォルダの vq<年>.vqd を開きます。\n"
           "\n"
           "  --export-csv  収支ファイルを CSV に書き出します（書き出し先がなければ標準出力へ）。\n"
           "                画面を使わず、起動中のプログラムとも同時に使えます。\n"
           "  --export-xlsx 収支ファイルを Excel ファイル（.xlsx）に書き出します（書き出し先が\n"
           "                なければ収支ファイルと同じ名前の .xlsx）。一覧、月間・曜日別・ホール別・\n"
           "                機種別の集計とグラフを入れます。画面を使わず、起動中でも使えます。\n"
           "  --import-csv  CSV ファイルの記録を収支ファイルに追加して保存します（画面の「CSVファイルから\n"
           "                読み込み」と同じ確認と並べ方）。プログラムの起動中は使えません。\n"
           "  --analyze     収支ファイル（複数可）の絞り込んだ来店の概要を「名前<TAB>値」で\n"
           "                1行ずつ標準出力に書きます。画面を使いません。\n"
           "  --stores      収支ファイル（複数可）の後の貯玉残高を、ホール・種別・貸玉料金ごとに\n"
           "                「ホール<TAB>種別<TAB>貸玉料金<TAB>残高<TAB>評価額」で1行ずつ書きます。\n"
           "  --import-specs 機種のスペック（大当たり確率・機械割など）を CSV から登録データに\n"
           "                取り込みます。登録にない機種は一覧の最後に加えます。起動中は使えません。\n"
           "  --specs       登録データの機種のスペックを1機種（設定）1行、タブ区切りで書きます。\n"
           "  --help        この説明を表示して終了します。\n"
           "  --version     版番号を表示して終了します。\n"
           "\n"
           "登録データ velmo.lst と生涯成績 velmo.rcd は、プログラムのフォルダに書き込めるときは\n"
           "そこに、インストールされたプログラムでは $XDG_DATA_HOME/velmorant/\n"
           "（未設定なら ~/.local/share/velmorant/）に置きます。\n"
           "\n"
           "--export-csv・--export-xlsx・--import-csv・--analyze・--stores では、「-」で始まる引数は\n"
           "オプションで、ファイル名になりません。「--」の後の引数はすべてファイル名です。\n"
           "\n"
           "終了コード: 0 正常、1 ファイルの誤り（読めない・壊れている・書き出せないなど）、\n"
           "           2 コマンドラインの誤り（不明なオプション、値のない・使えない値のオプション、\n"
           "           ファイル名がない・多すぎるなど）。どちらも標準エラーに1行で理由を書きます。\n"
           "詳しくは man velmorant を参照してください。\n";
}

std::string version_text() { return "velmorant " VELMO_VERSION "\n"; }

std::optional<int> run_option(int argc, const char* const* args) {
    if (argc < 1) return std::nullopt;
    const std::string_view first = args[0];
    if (first == "--help") {
        std::fputs(usage_text().c_str(), stdout);
        return 0;
    }
    if (first == "--version") {
        std::fputs(version_text().c_str(), stdout);
        return 0;
    }
    if (first.starts_with("--")) {
        std::fprintf(stderr, "velmorant: 不明なオプション %s（velmorant --help で使い方を表示します）\n", args[0]);
        return 2;
    }
    return std::nullopt;
}

}  // namespace velmo
