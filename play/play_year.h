#pragma once
// The play data of the ledgers, as the stores and the checks of a visit read
// it: the records that have play data, each with its date and hall, in date
// order across the years read (a ledger keeps its records in date order).
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "play/play_data.h"
#include "play/play_settings.h"

namespace velmo::play {

struct PlayEntry {
    std::string date;  // as the ledger holds it
    std::string hall;  // CP932
    RecordPlayData data;
};

// The records of one year that have play data, in ledger order; appended to out.
void add_play_entries(std::span<const LedgerRecord> records, std::vector<PlayEntry>& out);

// The play data of the year files beside a ledger (vqYYYY.vqd of its folder)
// whose year is before `year`, oldest first. A file that does not read is left
// out: its records cannot be counted, and the open year's own checks go on.
std::vector<PlayEntry> earlier_years(const QString& ledger_path, int year);

// The stores as they stand after the entries given, from the starting balances.
std::vector<StoreBalance> stores_after(const PlaySettings& settings, std::span<const PlayEntry> entries);

// The pieces in one store after the entries given (the starting balance when
// none used it): what a visit after them may take out.
std::int64_t store_pieces(const PlaySettings& settings, std::span<const PlayEntry> before, const StoreKey& key);

}  // namespace velmo::play
