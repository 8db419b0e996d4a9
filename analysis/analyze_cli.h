#pragma once
// The overview of the analysis from the command line, without a window or a display:
//   velmorant --analyze LEDGER.vqd [LEDGER.vqd ...] [--hall NAME] [--machine NAME]
//             [--weekday 月|火|水|木|金|土|日] [--months M-N]

namespace velmo {

// args: the arguments after "--analyze". Prints "name<TAB>value" lines to standard
// output; returns the exit status: 0, 1 after a message on standard error for a
// file or name it cannot use, 2 for an unknown option.
int analyze_command(int argc, const char* const* args);

}  // namespace velmo
