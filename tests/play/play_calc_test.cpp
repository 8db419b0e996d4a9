// The arithmetic of play data on hand-worked visits, and its fields in the ledger.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "play/play_calc.h"
#include "play/play_data.h"
#include "play/play_record.h"

namespace velmo::play {
namespace {

using std::nullopt;

MachineData machine(Kind kind, std::int32_t price, std::int32_t rate, std::optional<std::int64_t> cash,
                    std::optional<std::int64_t> held, std::optional<std::int64_t> end) {
    MachineData m;
    m.kind = kind;
    m.lending_price = price;
    m.exchange_rate = rate;
    m.cash = cash;
    m.held_in = held;
    m.end_pieces = end;
    return m;
}

// Hand-worked visits: v = 100 ÷ exchange rate yen per piece, amounts rounded once.
TEST(PlayAmounts, HandWorkedVisits) {
    struct Case {
        const char* what;
        MachineData m;
        std::optional<std::int64_t> investment, payout, loss, held_ratio_tenths;
    };
    const Case cases[] = {
        // 4円等価 (25玉): v = 4; cash buys 2,500 balls worth 10,000 at exchange.
        {"4円等価", machine(Kind::Pachinko, 400, 250, 10000, nullopt, 3000), 10000, 12000, 0, 0},
        // 4円 28玉: v = 3.5714…; 10,000 + 1,000 × 3.5714 = 13,571.43; 2,500 × 3.5714 = 8,928.57;
        // cash buys 2,500 balls worth 8,928.57: 1,071.43 lost; held 1,000 of 3,500 balls = 28.57 %.
        {"4円28玉, cash and held", machine(Kind::Pachinko, 400, 280, 10000, 1000, 2500), 13571, 8929, 1071, 286},
        // 1円 110玉: v = 0.90909; 5,000 × 0.909 = 4,545.45; 3,000 balls worth 2,727.27.
        {"1円110玉", machine(Kind::Pachinko, 100, 1100, 3000, nullopt, 5000), 3000, 4545, 273, 0},
        // 20円 slot at 5.6枚: v = 17.857…; 1,500 × 17.857 = 26,785.71; cash buys 1,000 medals
        // worth 17,857.14: 2,142.86 lost.
        {"20円スロット5.6枚", machine(Kind::Slot, 2000, 56, 20000, nullopt, 1500), 20000, 26786, 2143, 0},
        // 0.5円等価 (200玉): v = 0.5; 1,000.5 and 1.5 round away from zero.
        {"0.5円, halves", machine(Kind::Pachinko, 50, 2000, 1000, 1, 3), 1001, 2, 0, 0},
        // Held balls only, all of them held.
        {"held only", machine(Kind::Pachinko, 400, 280, nullopt, 2800, 0), 10000, 0, nullopt, 1000},
        // No exchange rate: held pieces and end pieces have no value; cash alone still counts.
        {"no rate, cash", machine(Kind::Pachinko, 400, 0, 5000, nullopt, 800), 5000, nullopt, nullopt, 0},
        // 100 held of 1,250 + 100 balls: 7.4 %.
        {"no rate, held", machine(Kind::Pachinko, 400, 0, 5000, 100, 800), nullopt, nullopt, nullopt, 74},
        // Cash without a lending price: no pieces to count it in.
        {"no price", machine(Kind::Pachinko, 0, 280, 5000, 100, 800), 5357, 2857, nullopt, nullopt},
    };
    for (const Case& c : cases) {
        const ComputedAmounts a = computed_amounts(c.m);
        EXPECT_EQ(a.investment, c.investment) << c.what;
        EXPECT_EQ(a.payout, c.payout) << c.what;
        RecordPlayData data;
        data.machines[0] = c.m;
        const PlayVisit visit{0, &data};
        const PlayFigures f = play_figures({&visit, 1});
        EXPECT_EQ(f.exchange_loss, c.loss) << c.what;
        EXPECT_EQ(f.held_ratio_tenths, c.held_ratio_tenths) << c.what;
        EXPECT_EQ(f.records, 1) << c.what;
    }
}

TEST(PlayFigures, SumsAreExactAndRoundedOnce) {
    // Two 1円 110玉 visits lose 272.727… each: 545.45 → 545 (not 273 + 273).
    RecordPlayData a, b;
    a.machines[0] = machine(Kind::Pachinko, 100, 1100, 3000, nullopt, 5000);
    b.machines[3] = machine(Kind::Pachinko, 100, 1100, 3000, nullopt, 0);
    // The 28玉 visit and the slot visit: held 1,000 of 2,500 + 1,000 + 1,000 pieces = 22.2 %.
    RecordPlayData c, d;
    c.machines[0] = machine(Kind::Pachinko, 400, 280, 10000, 1000, 2500);
    d.machines[0] = machine(Kind::Slot, 2000, 56, 20000, nullopt, 1500);
    const PlayVisit ab[] = {{0, &a}, {0, &b}};
    EXPECT_EQ(play_figures(ab).exchange_loss, 545);
    const PlayVisit cd[] = {{0, &c}, {0, &d}};
    EXPECT_EQ(play_figures(cd).held_ratio_tenths, 222);
    EXPECT_EQ(play_figures(cd).exchange_loss, 1071 + 2143);  // 1,071.43 + 2,142.86 = 3,214.29
}

TEST(PlayFigures, HoursAcrossMidnightAndHourlyEarnings) {
    struct Case {
        const char* start;
        const char* end;
        std::optional<int> minutes;
    };
    const Case cases[] = {
        {"10:00", "13:30", 210}, {"22:30", "01:15", 165}, {"9:00", "09:00", 0},
        {"00:00", "23:59", 1439}, {"23:59", "00:00", 1}, {"10:00", nullptr, nullopt},
    };
    for (const Case& c : cases) {
        VisitTime t{read_time(c.start), c.end ? read_time(c.end) : nullopt};
        EXPECT_EQ(visit_minutes(t), c.minutes) << c.start;
    }
    // +5,000 over 2 h 45 and −12,000 over 3 h 30: −7,000 over 6 h 15 = −1,120 an hour; 6.25 h
    // shows as 6.3. The visit without a time counts as a record with play data, not in the hours.
    RecordPlayData late, day, untimed, none;
    late.time = {read_time("22:30"), read_time("01:15")};
    day.time = {read_time("10:00"), read_time("13:30")};
    untimed.machines[0].spins = 300;
    const PlayVisit visits[] = {{5000, &late}, {-12000, &day}, {100000, &untimed}, {777, &none}};
    const PlayFigures f = play_figures(visits);
    EXPECT_EQ(f.records, 3);
    EXPECT_EQ(f.minutes, 375);
    EXPECT_EQ(f.hours_tenths, 63);
    EXPECT_EQ(f.hourly, -1120);
    EXPECT_EQ(f.exchange_loss, nullopt);
    EXPECT_EQ(f.held_ratio_tenths, nullopt);
    // A time of no length gives hours but no 時給.
    RecordPlayData zero;
    zero.time = {600, 600};
    const PlayVisit z{100, &zero};
    EXPECT_EQ(play_figures({&z, 1}).hours_tenths, 0);
    EXPECT_EQ(play_figures({&z, 1}).hourly, nullopt);
}

// 貯玉 out and in across three visits of two halls, with ホールA's start of 12,000 balls at 4円.
TEST(PlayStores, BalancesInDateOrder) {
    const StoreStart starts[] = {{{"A", Kind::Pachinko, 400}, 12000}};
    RecordPlayData v1, v2, v3;
    v1.machines[0] = machine(Kind::Pachinko, 400, 280, 10000, 1000, 2500);
    v1.machines[0].store_out = 1000;
    v1.machines[0].store_in = 2500;
    v2.machines[0] = machine(Kind::Slot, 2000, 56, 20000, nullopt, 1500);
    v2.machines[0].store_in = 1500;
    v2.machines[1] = machine(Kind::None, 0, 0, 1000, nullopt, 0);  // no store used
    v3.machines[2] = machine(Kind::Pachinko, 400, 280, nullopt, 5000, 0);
    v3.machines[2].store_out = 5000;
    const StoreVisit visits[] = {{"A", &v1}, {"B", &v2}, {"A", &v3}};

    struct Step {
        std::size_t visits;
        std::int64_t a_pieces;
        std::optional<std::int64_t> b_pieces;
    };
    // A: 12,000 − 1,000 + 2,500 = 13,500, then − 5,000 = 8,500.
    for (const Step& s : {Step{0, 12000, nullopt}, Step{1, 13500, nullopt}, Step{2, 13500, 1500}, Step{3, 8500, 1500}}) {
        const auto stores = store_balances(starts, std::span(visits, s.visits));
        ASSERT_EQ(stores.size(), s.b_pieces ? 2u : 1u) << s.visits;
        EXPECT_EQ(stores[0].key.hall, "A");
        EXPECT_EQ(stores[0].pieces(), s.a_pieces) << s.visits;
        if (s.b_pieces) {
            EXPECT_EQ(stores[1].pieces(), *s.b_pieces) << s.visits;
        }
    }
    std::vector<StoreBalance> stores = store_balances(starts, visits);
    EXPECT_EQ(stores[0].deposits, 2500);
    EXPECT_EQ(stores[0].withdrawals, 6000);
    // A at its hall rate of 28玉: 8,500 × 3.5714 = 30,357.14; B has no rates, so the 5.6枚 of
    // its last visit: 1,500 × 17.857 = 26,785.71. A hall's own rate goes before a visit's.
    const HallRates rates[] = {{"A", {400, 280}, {}}, {"B", {}, {}}};
    EXPECT_EQ(store_value(stores[0], rates), 30357);
    EXPECT_EQ(store_value(stores[1], rates), 26786);
    const HallRates a_at_25[] = {{"A", {400, 250}, {}}};
    EXPECT_EQ(store_value(stores[0], a_at_25), 34000);
    const StoreBalance unknown{{"C", Kind::Pachinko, 100}, 500, 0, 0, 0};
    EXPECT_EQ(store_value(unknown, rates), nullopt);

    // Registry order B, A; a hall not in the registry after them.
    stores.push_back(unknown);
    stores.push_back({{"A", Kind::Pachinko, 100}, 10, 0, 0, 0});
    const std::string order[] = {"B", "A"};
    sort_stores(stores, order);
    std::vector<std::pair<std::string, std::int32_t>> got;
    for (const auto& s : stores) got.emplace_back(s.key.hall, s.key.lending_price);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::int32_t>>{{"B", 2000}, {"A", 100}, {"A", 400}, {"C", 100}}));

    // The third visit's withdrawal against the balance before it (13,500), and beyond it.
    EXPECT_TRUE(machine_faults(v3.machines[2], 13500).empty());
    MachineData greedy = v3.machines[2];
    greedy.held_in = 14000;
    greedy.store_out = 14000;
    ASSERT_EQ(machine_faults(greedy, 13500).size(), 1u);
    EXPECT_EQ(machine_faults(greedy, 13500)[0], "貯玉引出が貯玉残高（13,500）より多くなっています");
}

TEST(PlayFaults, NameTheField) {
    struct Case {
        const char* what;
        MachineData m;
        std::vector<std::string> faults;
    };
    MachineData deposit_over = machine(Kind::Pachinko, 400, 280, 1000, nullopt, 100);
    deposit_over.store_in = 101;
    MachineData out_over = machine(Kind::Pachinko, 400, 280, nullopt, 50, 0);
    out_over.store_out = 51;
    MachineData no_kind = machine(Kind::None, 400, 280, nullopt, 50, 0);
    no_kind.store_out = 50;
    MachineData all_in = machine(Kind::Slot, 2000, 56, nullopt, 50, 100);
    all_in.store_out = 50;
    all_in.store_in = 100;
    const Case cases[] = {
        {"deposit over end", deposit_over, {"貯玉預入が終了玉より多くなっています"}},
        {"withdrawal over held", out_over, {"貯玉引出が持ち玉投資より多くなっています"}},
        {"store without kind", no_kind, {"貯玉を使うには種別と貸玉料金が必要です"}},
        {"all of it", all_in, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(machine_faults(c.m, nullopt), c.faults) << c.what;
}

TEST(PlayFields, EncodedAsShortTexts) {
    MachineData full = machine(Kind::Pachinko, 400, 280, 10000, 1000, 2500);
    full.store_out = 1000;
    full.store_in = 2500;
    full.spins = 350;
    full.hits = 2;
    full.paid = 1200;
    MachineData slot = machine(Kind::Slot, 2000, 56, 20000, nullopt, 1500);
    slot.hits = 3;
    slot.rb = 2;
    MachineData half = machine(Kind::Pachinko, 50, 2000, nullopt, nullopt, nullopt);
    MachineData counts_only;
    counts_only.spins = 0;
    struct Case {
        MachineData m;
        const char* text;
    };
    const Case cases[] = {
        {full, "P,4,28,10000,1000,1000,2500,2500,350,2,,1200"},
        {slot, "S,20,5.6,20000,,,1500,,,3,2"},
        {half, "P,0.5,200"},
        {counts_only, ",,,,,,,,0"},
        {MachineData{}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encode_machine(c.m), c.text);
        EXPECT_EQ(decode_machine(c.text), c.m) << c.text;
    }
    // The longest entry fits a short text an older reader takes (a signed length byte).
    MachineData longest = machine(Kind::Pachinko, kMaxLendingPrice, kMaxExchangeRate, kMaxYen, kMaxPieces, kMaxPieces);
    longest.store_out = longest.store_in = longest.spins = longest.hits = longest.rb = longest.paid = kMaxPieces;
    EXPECT_LE(encode_machine(longest).size(), kShortTextMax);
    EXPECT_EQ(decode_machine(encode_machine(longest)), longest);
    // Fields a later version appends are ignored; texts this one cannot read are none.
    EXPECT_EQ(decode_machine("P,0.5,200,,,,,,,,,,X,Y"), half);
    for (const char* bad : {"X", "P,4.001", "P,0", "P,,28.55", "P,4,28,-5", "P,4,28,1e3", "P,4,28,100000000", "P,.5",
                            "P,4.,28", "p", "P,4,28,1,2,3,4,5,6,7,8,12345678901", "P,1234567", "P,4,28,,,,,,,,,x",
                            "PS", "P,4,2.8.1", "P,4,28,1 ", "P,4,28,99999999999999999999999"})
        EXPECT_EQ(decode_machine(bad), nullopt) << bad;
    // Every field at once, and empty fields at the end.
    MachineData all = machine(Kind::Slot, 1, 9999, 1, 2, 3);
    all.store_out = 3;
    all.end_pieces = 4;
    all.store_in = 5;
    all.spins = 6;
    all.hits = 7;
    all.rb = 8;
    all.paid = 99999999;
    EXPECT_EQ(decode_machine("S,0.01,999.9,1,2,3,4,5,6,7,8,99999999"), all);
    EXPECT_EQ(decode_machine("P,0.5,200,,,,"), half);
    // Decimals: at most their places, within 1..max.
    const struct {
        const char* text;
        int decimals;
        std::optional<std::int32_t> value;
    } decimals[] = {
        {"4", 2, 400}, {"4.00", 2, 400}, {"0.01", 2, 1}, {"999.99", 2, 99999}, {"0.00", 2, nullopt},
        {"1000", 2, nullopt}, {"5.6", 1, 56}, {"5.60", 1, nullopt}, {"", 1, nullopt}, {"1,5", 1, nullopt},
        {"123456.7", 1, 1234567}, {"1234567.1", 1, nullopt}, {"9999999", 1, nullopt},
    };
    for (const auto& d : decimals)
        EXPECT_EQ(read_decimal(d.text, d.decimals, d.decimals == 2 ? kMaxLendingPrice : 99'999'999), d.value) << d.text;
    struct TimeCase {
        const char* text;
        std::optional<VisitTime> time;
    };
    const TimeCase times[] = {
        {"22:30-01:15", VisitTime{1350, 75}}, {"9:05-", VisitTime{545, nullopt}}, {"-23:59", VisitTime{nullopt, 1439}},
        {"25:00-", nullopt}, {"10:60-", nullopt}, {"1000-", nullopt}, {"10:00", nullopt}, {"10:0-11:00", nullopt},
    };
    for (const TimeCase& t : times) EXPECT_EQ(decode_time(t.text), t.time) << t.text;
    EXPECT_EQ(encode_time({545, nullopt}), "09:05-");
}

TEST(PlayFields, WrittenIntoTheRecordBesideOtherData) {
    std::vector<ExtensionField> ext = {{0x3F, "later"}, {0x41, "Q,unread"}, {0x43, "P,4"}};
    RecordPlayData data;
    data.time = {600, 780};
    data.machines[0] = machine(Kind::Slot, 2000, 56, 1000, nullopt, nullopt);
    write_play_data(ext, data);
    // The unreadable entry of machine 1 gives way to the new one in its place; machine 3's goes;
    // the later version's field stays first.
    const std::vector<ExtensionField> want = {{0x3F, "later"}, {0x41, "S,20,5.6,1000"}, {0x40, "10:00-13:00"}};
    EXPECT_EQ(ext, want);
    EXPECT_EQ(read_play_data(ext), data);
    // Writing what the record holds changes nothing, not even a text that reads the same.
    std::vector<ExtensionField> same = {{0x41, "S,20.0,5.6,01000"}, {0x40, "10:00-13:00"}};
    const auto before = same;
    write_play_data(same, read_play_data(same));
    EXPECT_EQ(same, before);
    // No play data: the fields go; one that reads as none, or not at all, stays.
    std::vector<ExtensionField> cleared = {{0x41, "S,20,5.6"}, {0x42, "?"}, {0x40, "10:00-"}, {0x44, ",,"}, {0x45, ""}};
    write_play_data(cleared, RecordPlayData{});
    EXPECT_EQ(cleared, (std::vector<ExtensionField>{{0x42, "?"}, {0x44, ",,"}, {0x45, ""}}));
}

std::vector<std::string> texts(const std::vector<MachineEntry>& machines) {
    std::vector<std::string> out;
    for (const MachineEntry& m : machines) out.push_back(m.name + "|" + m.investment + "|" + m.payout);
    return out;
}

TEST(PlayRecord, AmountsFromPiecesReplaceTheTypedOnes) {
    // Two machines: the 28玉 one with cash and held balls, one without rates; a third without play data.
    RecordPlayData data;
    data.machines[0] = machine(Kind::Pachinko, 400, 280, 10000, 1000, 2500);
    data.machines[1] = machine(Kind::Pachinko, 400, 0, 3000, nullopt, 800);
    const std::vector<MachineEntry> typed = {{"M1", "5000", "0"}, {"M2", "2000", "4000"}, {"M3", "100", "200"}};
    const std::vector<MachineEntry> want = {{"M1", "13571", "8929"}, {"M2", "3000", "4000"}, {"M3", "100", "200"}};
    EXPECT_EQ(texts(with_play_amounts(typed, data)), texts(want));
    // Amounts already equal keep their texts.
    const std::vector<MachineEntry> same = {{"M1", "013571", "8929"}, {"M2", "3000", "4000"}};
    EXPECT_EQ(texts(with_play_amounts(same, data)), texts(same));
}

// A reader that takes the stream as the file format gives it: the record's own
// fields by tag, every other tag a short text skipped by its length.
std::map<int, std::map<int, std::string>> plain_read(const std::string& file) {
    std::map<int, std::map<int, std::string>> records;
    std::size_t pos = 15;  // "vq", year, "2", five "0", no extra block, the count
    int current = 0;
    while (pos + 1 < file.size() && static_cast<std::uint8_t>(file[pos]) == 0xFF) {
        const int tag = static_cast<std::uint8_t>(file[pos + 1]);
        pos += 2;
        if (tag == 0xFF) {
            current = static_cast<std::uint8_t>(file[pos]) * 256 + static_cast<std::uint8_t>(file[pos + 1]);
            pos += 2;
        } else if (tag == 0x06 || tag == 0x10) {
            const std::size_t n = static_cast<std::uint8_t>(file[pos]) * 256u + static_cast<std::uint8_t>(file[pos + 1]);
            records[current][tag] = file.substr(pos + 2, n);
            pos += 2 + n;
        } else if (tag == 0x20) {
            pos += 1;
        } else if (tag == 0x09) {
        } else {
            const auto n = static_cast<std::int8_t>(file[pos]);  // as signed as an older reader takes it
            if (n < 0) return {};
            if (tag <= 0x08) records[current][tag] = file.substr(pos + 1, static_cast<std::size_t>(n));
            pos += 1 + static_cast<std::size_t>(n);
        }
    }
    return records;
}

TEST(PlayFields, AReaderWithoutPlayDataReadsTheSameRecords) {
    LedgerImage image;
    image.year = "2024";
    LedgerRecord r;
    r.date = " 1/5";
    r.hall = "A";
    r.machines = "M";
    r.detail = std::string("\x01\x01M\x05" "13571\x04" "8929", 14);
    r.totals = std::string("\x05" "13571\x04" "8929", 11);
    r.balance = "-4642";
    image.records = {r, r};
    const std::string without = encode_ledger(image);
    RecordPlayData data;
    data.time = {1350, 75};
    MachineData longest = machine(Kind::Pachinko, kMaxLendingPrice, kMaxExchangeRate, kMaxYen, kMaxPieces, kMaxPieces);
    longest.store_out = longest.store_in = longest.spins = longest.hits = longest.rb = longest.paid = kMaxPieces;
    for (auto& m : data.machines) m = longest;
    write_play_data(image.records[0].extensions, data);
    const std::string with = encode_ledger(image);
    EXPECT_EQ(image.records[0].extensions.size(), 10u);
    const auto plain = plain_read(with);
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(plain, plain_read(without));
    EXPECT_EQ(plain.at(1).at(0x08), "-4642");
    // And this program reads the play data back.
    DecodedLedger decoded;
    HeldLedger held;
    ASSERT_EQ(decode_held_ledger(with, decoded, held), DecodeResult::Ok);
    EXPECT_FALSE(decoded.damaged());
    EXPECT_EQ(read_play_data(held.records[0]), data);
    EXPECT_TRUE(read_play_data(held.records[1]).empty());
}

}  // namespace
}  // namespace velmo::play
