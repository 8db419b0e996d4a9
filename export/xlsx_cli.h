#pragma once
// The year's workbook written from the command line, without a window or a display:
//   velmorant --export-xlsx LEDGER.vqd [OUT.xlsx]

namespace velmo {

// args: the arguments after "--export-xlsx". Writes OUT.xlsx, or the ledger's
// name with .xlsx beside it when OUT is missing; returns the exit status: 0, 1
// after a message on standard error, 2 for an option it does not know.
int export_xlsx_command(int argc, const char* const* args);

}  // namespace velmo
