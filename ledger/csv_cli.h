#pragma once
// The ledger's CSV written from the command line, without a window or a display:
//   velmorant --export-csv LEDGER.vqd [OUT.csv]

namespace velmo {

// args: the arguments after "--export-csv". Writes OUT.csv, or standard output when
// it is missing; returns the exit status: 0, or 1 after a message on standard error.
int export_csv_command(int argc, const char* const* args);

}  // namespace velmo
