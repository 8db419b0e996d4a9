#pragma once
// The round-trip property of the three files the program reads, for any bytes:
// what the program would write back after reading them reads back as the same
// (apart from texts cut to what the file can hold), and saving that again gives
// the same bytes. Each check returns an empty string when the property holds and
// otherwise says what differed. The fuzz targets and the replay test both run them.
#include <string>
#include <string_view>

#include "ledger/ledger_codec.h"

namespace velmo::fuzz {

std::string check_ledger(std::string_view bytes);
std::string check_registry(std::string_view bytes);
std::string check_records(std::string_view bytes);
// The CSV import into an empty 2004 ledger, without and with an extra column: a
// file it accepts gives records within the ledger's limits, and those records,
// written by the CSV export and imported again, come back the same.
std::string check_csv(std::string_view bytes);

// The image the year window writes when a decoded ledger is saved unchanged
// right after loading it, texts kept as bytes and marks left 0: the marks are
// worked out from the balances on every load and never read from the file.
LedgerImage saved_ledger_image(const DecodedLedger& file);

// Rows of the lifetime window's per-year grid before a file makes it grow.
inline constexpr int kYearGridRowsAtStart = 10;

// Prints the failure and aborts, so that libFuzzer keeps the input.
void require(const std::string& failure, const char* target);

}  // namespace velmo::fuzz
