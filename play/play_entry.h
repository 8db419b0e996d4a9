#pragma once
// Play data while a record is being entered or corrected: which machine entry
// its data belongs to when the machines are renamed, moved or taken out, the
// records a visit comes after, and what each machine may take out of the
// hall's store. Pure: plain values in, plain values out.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "play/play_data.h"
#include "play/play_settings.h"
#include "play/play_year.h"

namespace velmo::play {

// A machine row of the entry dialog with its play data: the name the row bore
// when the data was typed or loaded (CP932), and the data.
struct MachineSlot {
    std::string name;
    MachineData data;
    bool operator==(const MachineSlot&) const = default;
};

// The slots the rows bear now that their names are `names` (one per row; an
// empty name: the row holds no machine). A row that still bears its slot's
// name keeps its data; a row whose name changed takes the data of another row's
// slot of that name whose own row no longer bears it (the machine moved), the
// first such slot not yet taken; failing that, its own slot's data when that
// slot's name is no row's now (the name was corrected); else it has none. Data
// that no row takes goes with its machine (a row emptied).
std::vector<MachineSlot> follow_machines(std::span<const MachineSlot> slots, std::span<const std::string> names);

// The record's play data: the time, and the slots of the rows that name a
// machine, in row order, as its machine entries 0, 1, ...
RecordPlayData record_data(const VisitTime& time, std::span<const MachineSlot> rows);

// The play data of the records of the year (in ledger order) that come before a
// visit on month/day: those of an earlier day, and those of the same day before
// it. The visit is record row `own` (1-based; 0 for a new record): a record
// that keeps its day comes after the day's rows before it, a new one or one
// moved to another day after all of that day's records.
std::vector<PlayEntry> entries_before(std::span<const LedgerRecord> records, int own, int month, int day);

// For each machine of a visit to `hall`, the pieces its store holds for it
// before its own withdrawal: the store's balance after `before`, less what the
// visit's earlier machines took out of the same store. nullopt for a machine
// that names no store (no kind or no lending price).
std::vector<std::optional<std::int64_t>> machine_store_balances(const std::string& hall, const RecordPlayData& data,
                                                                const PlaySettings& settings,
                                                                std::span<const PlayEntry> before);

// "12,345": a whole number with thousands separators.
std::string grouped(std::int64_t v);

}  // namespace velmo::play
