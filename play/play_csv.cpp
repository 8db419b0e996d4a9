#include "play/play_csv.h"

#include <algorithm>
#include <map>
#include <set>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"
#include "ledger/player_settings.h"
#include "play/expect_text.h"
#include "play/play_calc.h"
#include "play/play_input.h"
#include "play/play_settings.h"
#include "play/play_year.h"

namespace velmo::play {

namespace {

using velmo::u;

constexpr std::size_t kTimeColumns = 2;  // 開始, 終了 before the machine fields

QString field_name(Field f) { return u(field_names()[static_cast<std::size_t>(f)]); }

QString optional_text(const std::optional<std::int64_t>& v) { return v ? QString::number(*v) : QString(); }

// The numbers of a machine entry after 種別, 貸玉料金 and 交換率, in column order.
constexpr std::array<std::optional<std::int64_t> MachineData::*, 9> kCounts = {
    &MachineData::cash,     &MachineData::held_in, &MachineData::store_out, &MachineData::end_pieces,
    &MachineData::store_in, &MachineData::spins,   &MachineData::hits,      &MachineData::rb,
    &MachineData::paid};

class Reader : public CsvMoreReader {
public:
    explicit Reader(const CsvImportTarget& target) : target_(target) {}

    CsvMoreLine line(int line, std::size_t record, int machine, bool, const std::vector<QString>& cells) override {
        CsvMoreLine out;
        Pending& rec = records_[record];
        // The visit's time: the first line that gives it sets it; a later line may leave it empty.
        for (std::size_t k = 0; k < kTimeColumns; ++k) {
            const QString& cell = cells[k];
            const QString what = k == 0 ? u("開始") : u("終了");
            const TypedNumber t = read_clock(cell);
            if (!t.ok) {
                out.reasons.push_back(what + u("が時刻（10:00 の形）ではありません"));
                continue;
            }
            if (!t.value) continue;
            std::optional<int>& at = k == 0 ? rec.time.start : rec.time.end;
            if (!at) at = static_cast<int>(*t.value);
            else if (*at != *t.value) out.reasons.push_back(u("同じ記録の行で") + what + u("が違います"));
        }
        // The exported figures after the data are computed from it, never read.
        bool any = false;
        for (std::size_t k = kTimeColumns; k < kCsvDataColumns && k < cells.size(); ++k) any |= !cells[k].trimmed().isEmpty();
        if (!any) return out;
        if (machine < 0) {
            out.reasons.push_back(u("機種名が記入されていません"));
            return out;
        }
        MachineData m;
        const auto at = [&](Field f) { return cells[kTimeColumns + static_cast<std::size_t>(f)]; };
        if (const std::optional<Kind> kind = read_kind(at(Field::Kind))) m.kind = *kind;
        else out.reasons.push_back(field_name(Field::Kind) + u("がパチンコかスロットではありません"));
        const TypedNumber price = read_price(at(Field::LendingPrice));
        if (!price.ok) out.reasons.push_back(field_name(Field::LendingPrice) + u("が読めません（4、0.5 の形）"));
        else m.lending_price = static_cast<std::int32_t>(price.value.value_or(0));
        const TypedNumber rate = read_rate(at(Field::ExchangeRate));
        if (!rate.ok) out.reasons.push_back(field_name(Field::ExchangeRate) + u("が読めません（28、5.6 の形）"));
        else m.exchange_rate = static_cast<std::int32_t>(rate.value.value_or(0));
        for (std::size_t k = 0; k < kCounts.size(); ++k) {
            const Field f = static_cast<Field>(static_cast<int>(Field::Cash) + static_cast<int>(k));
            const TypedNumber n = read_count(at(f), f == Field::Cash ? kMaxYen : kMaxPieces);
            if (!n.ok) out.reasons.push_back(field_name(f) + u("が0以上の整数ではありません"));
            else m.*kCounts[k] = n.value;
        }
        if (!out.reasons.empty()) return out;
        for (const std::string& fault : machine_faults(m, std::nullopt)) out.reasons.push_back(QString::fromStdString(fault));
        if (!out.reasons.empty()) return out;  // amounts of a faulty entry would only add noise
        const ComputedAmounts amounts = computed_amounts(m);
        out.investment = amounts.investment;
        out.payout = amounts.payout;
        rec.machines[static_cast<std::size_t>(machine)] = m;
        rec.lines[static_cast<std::size_t>(machine)] = line;
        return out;
    }

    std::vector<CsvProblem> finish(std::vector<LedgerRecord>& records) override {
        std::vector<CsvProblem> problems;
        std::map<std::size_t, RecordPlayData> data;  // by the record's index in the file
        bool withdraws = false;
        for (auto& [index, p] : records_) {
            if (index >= records.size()) continue;
            RecordPlayData d;
            d.time = p.time;
            d.machines = p.machines;
            if (d.empty()) continue;
            for (const MachineData& m : d.machines) withdraws |= m.store_out.value_or(0) > 0;
            write_play_data(records[index].extensions, d);
            data.emplace(index, std::move(d));
        }
        if (!withdraws) return problems;

        // 貯玉引出 against the store's balance at the record's date: the earlier years, then this
        // year's records as they will stand, the file's own placed as the import places them.
        const PlaySettings settings =
            target_.settings ? target_.settings->get<PlaySettings>() : PlaySettings{};
        std::vector<PlayEntry> before = earlier_years(target_.ledger_path, year_text_value(target_.year));
        const std::vector<LedgerRecord> existing(target_.records.begin(), target_.records.end());
        const MergedRecords merged = merge_in_date_order(existing, records);
        std::map<int, std::size_t> added;  // row (1-based) -> the record's index in the file
        for (std::size_t i = 0; i < merged.added_rows.size(); ++i) added.emplace(merged.added_rows[i], i);
        for (std::size_t r = 0; r < merged.records.size(); ++r) {
            const LedgerRecord& rec = merged.records[r];
            const auto file_index = added.find(static_cast<int>(r + 1));
            if (file_index != added.end()) {
                const auto d = data.find(file_index->second);
                if (d != data.end()) check_stores(rec.hall, d->second, records_[file_index->second], settings, before, problems);
            }
            add_play_entries(std::span<const LedgerRecord>(&rec, 1), before);
        }
        return problems;
    }

private:
    struct Pending {
        VisitTime time;
        std::array<MachineData, kMachinesPerRecord> machines{};
        std::array<int, kMachinesPerRecord> lines{};
    };

    // Each machine entry that takes pieces out of a store, against what that store holds
    // before the visit (after the visit's earlier entries of the same store).
    static void check_stores(const std::string& hall, const RecordPlayData& d, const Pending& p,
                             const PlaySettings& settings, const std::vector<PlayEntry>& before,
                             std::vector<CsvProblem>& problems) {
        std::map<StoreKey, std::int64_t> taken;
        for (std::size_t i = 0; i < d.machines.size(); ++i) {
            const MachineData& m = d.machines[i];
            if (m.store_out.value_or(0) <= 0 || m.kind == Kind::None || m.lending_price == 0) continue;
            const StoreKey key{hall, m.kind, m.lending_price};
            const std::int64_t balance = store_pieces(settings, before, key) - taken[key];
            const std::vector<std::string> plain = machine_faults(m, std::nullopt);
            for (const std::string& fault : machine_faults(m, balance))
                if (std::find(plain.begin(), plain.end(), fault) == plain.end())
                    problems.push_back({p.lines[i], QString::fromStdString(fault)});
            taken[key] += *m.store_out;
        }
    }

    CsvImportTarget target_;
    std::map<std::size_t, Pending> records_;
};

}  // namespace

std::vector<QString> csv_column_names() {
    std::vector<QString> names = {u("開始"), u("終了")};
    for (const char* n : field_names()) names.push_back(u(n));
    for (const QString& n : expect_column_names()) names.push_back(n);
    return names;
}

bool has_play_data(const LedgerImage& image) {
    return std::any_of(image.records.begin(), image.records.end(), [](const LedgerRecord& r) {
        return !r.extensions.empty() && !read_play_data(r).empty();
    });
}

std::vector<QString> csv_cells(const RecordPlayData& data, int machine) {
    std::vector<QString> cells;
    cells.reserve(kTimeColumns + kFieldCount);
    const auto clock = [](const std::optional<int>& t) { return t ? QString::fromStdString(time_text(*t)) : QString(); };
    cells.push_back(clock(data.time.start));
    cells.push_back(clock(data.time.end));
    if (machine < 0 || machine >= kMachinesPerRecord) {
        cells.resize(kTimeColumns + kFieldCount);
        return cells;
    }
    const MachineData& m = data.machines[static_cast<std::size_t>(machine)];
    cells.push_back(m.kind == Kind::Pachinko ? u("パチンコ") : m.kind == Kind::Slot ? u("スロット") : QString());
    cells.push_back(m.lending_price ? QString::fromStdString(price_text(m.lending_price)) : QString());
    cells.push_back(m.exchange_rate ? QString::fromStdString(rate_text(m.exchange_rate)) : QString());
    for (const auto member : kCounts) cells.push_back(optional_text(m.*member));
    return cells;
}

std::optional<Kind> read_kind(const QString& cell) {
    const QString t = cell.normalized(QString::NormalizationForm_KC).trimmed().toUpper();
    if (t.isEmpty()) return Kind::None;
    if (t == u("パチンコ") || t == u("ぱちんこ") || t == QLatin1String("P")) return Kind::Pachinko;
    if (t == u("スロット") || t == u("パチスロ") || t == u("スロ") || t == QLatin1String("S")) return Kind::Slot;
    return std::nullopt;
}

std::unique_ptr<CsvMoreReader> csv_reader(const CsvImportTarget& target) { return std::make_unique<Reader>(target); }

void register_csv_columns(std::function<const MachineNumberTable*()> all_numbers) {
    CsvColumnGroup group;
    group.names = csv_column_names();
    group.investment_from = {field_name(Field::Cash), field_name(Field::HeldIn)};
    group.payout_from = {field_name(Field::EndPieces)};
    group.exported = [](const LedgerImage& image) { return has_play_data(image); };
    const auto numbers = [all_numbers]() -> const MachineNumberTable* { return all_numbers ? all_numbers() : nullptr; };
    group.exported_count = [numbers](const LedgerImage& image) {
        const MachineNumberTable* s = numbers();
        return s && has_expect_figures(image, *s) ? kCsvDataColumns + expect_column_names().size() : kCsvDataColumns;
    };
    group.cells = [numbers](const LedgerRecord& record, int machine) {
        std::vector<QString> cells = csv_cells(read_play_data(record), machine);
        const MachineNumberTable* s = numbers();
        if (!s) {
            cells.resize(kCsvDataColumns + expect_column_names().size());
            return cells;
        }
        for (QString& c : expect_cells(record, machine, *s)) cells.push_back(std::move(c));
        return cells;
    };
    group.reader = [](const CsvImportTarget& target) { return csv_reader(target); };
    set_csv_columns(std::move(group));
}

}  // namespace velmo::play
