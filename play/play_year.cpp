#include "play/play_year.h"

#include <QFileInfo>

#include "analysis/year_files.h"

namespace velmo::play {

void add_play_entries(std::span<const LedgerRecord> records, std::vector<PlayEntry>& out) {
    for (const LedgerRecord& r : records) {
        if (r.extensions.empty()) continue;
        RecordPlayData data = read_play_data(r);
        if (data.empty()) continue;
        out.push_back(PlayEntry{r.date, r.hall, std::move(data)});
    }
}

std::vector<PlayEntry> earlier_years(const QString& ledger_path, int year) {
    std::vector<PlayEntry> out;
    if (ledger_path.isEmpty()) return out;
    for (const QString& path : analysis::year_files_in(QFileInfo(ledger_path).absolutePath())) {
        if (analysis::year_of_file_name(path) >= year) break;
        const analysis::YearFileRead read = analysis::read_year_file(path);
        if (read.fault == analysis::YearFileFault::None) add_play_entries(read.file.records, out);
    }
    return out;
}

std::vector<StoreBalance> stores_after(const PlaySettings& settings, std::span<const PlayEntry> entries) {
    std::vector<StoreVisit> visits;
    visits.reserve(entries.size());
    for (const PlayEntry& e : entries) visits.push_back(StoreVisit{e.hall, &e.data});
    return store_balances(settings.stores, visits);
}

std::int64_t store_pieces(const PlaySettings& settings, std::span<const PlayEntry> before, const StoreKey& key) {
    for (const StoreBalance& s : stores_after(settings, before))
        if (s.key == key) return s.pieces();
    return settings.start_of(key);
}

}  // namespace velmo::play
