#pragma once
// The ledger's CSV written from the command line, without a window or a display:
//   velmorant --export-csv LEDGER.vqd [OUT.csv]
#include <optional>

#include "ledger/ledger_codec.h"

namespace velmo {

// The ledger of a file as a command-line export writes it out, as the window
// would show it. nullopt after a message on standard error for a file that cannot
// be read, is no ledger or is damaged (read_whole_ledger): an export never holds
// part of a year, as --analyze never counts one.
std::optional<LedgerImage> read_ledger_for_export(const char* path);

// args: the arguments after "--export-csv". Writes OUT.csv, or standard output when
// it is missing; returns the exit status: 0, or 1 after a message on standard error.
int export_csv_command(int argc, const char* const* args);

// velmorant --import-csv LEDGER.vqd FILE.csv: adds the file's records to the
// ledger file as the window's import does (the same reader and checks, the same
// placement) and saves it as the program saves (write_file_atomic), holding the
// program's lock so that no running program writes the ledger meanwhile.
// args: the arguments after "--import-csv". Returns the exit status: 0 after
// printing how many records were added; 1 after the messages on standard error,
// the ledger unchanged (a faulty file, a damaged or missing ledger, the program
// running, a failed save); 2 for a mistake in the command line.
int import_csv_command(int argc, const char* const* args);

}  // namespace velmo
