#pragma once
// The overview of the analysis from the command line, without a window or a display:
//   velmorant --analyze LEDGER.vqd [LEDGER.vqd ...] [--hall NAME] [--machine NAME]
//             [--weekday 月|火|水|木|金|土|日] [--months M-N]
// and the stores (貯玉) the ledgers leave:
//   velmorant --stores LEDGER.vqd [LEDGER.vqd ...]

namespace velmo {

// args: the arguments after "--analyze". Prints "name<TAB>value" lines to standard
// output; returns the exit status: 0, 1 after a message on standard error for a
// file or name it cannot use, 2 for an unknown option.
int analyze_command(int argc, const char* const* args);

// args: the arguments after "--stores". Prints one line per store,
// "ホール<TAB>種別<TAB>貸玉料金<TAB>残高<TAB>評価額", in the registry's hall order,
// then kind, then lending price; exit statuses as analyze_command's.
int stores_command(int argc, const char* const* args);

}  // namespace velmo
