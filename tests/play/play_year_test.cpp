// The stores across the year files beside a ledger: what an earlier year put in
// or took out counts, a later year and a damaged file do not.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "play/play_year.h"

namespace velmo::play {
namespace {

LedgerRecord visit(const std::string& date, const std::string& hall, std::int64_t out, std::int64_t in) {
    RecordPlayData data;
    MachineData& m = data.machines[0];
    m.kind = Kind::Pachinko;
    m.lending_price = 400;
    m.exchange_rate = 280;
    if (out) m.held_in = m.store_out = out;
    if (in) m.end_pieces = m.store_in = in;
    LedgerRecord r;
    r.date = date;
    r.hall = hall;
    if (out || in) write_play_data(r.extensions, data);
    return r;
}

void write_year(const QDir& dir, const char* name, std::vector<LedgerRecord> records) {
    LedgerImage image;
    image.year = std::string(name + 2, 4);
    image.records = std::move(records);
    ASSERT_TRUE(write_file_atomic(dir.filePath(QString::fromLatin1(name)), encode_ledger(image)).ok);
}

TEST(PlayYears, StoresCountEarlierYearsOnly) {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    write_year(dir, "vq2024.vqd", {visit("2024/03/01", "A", 0, 3000), visit("2024/03/02", "A", 0, 0)});
    write_year(dir, "vq2025.vqd", {visit("2025/01/05", "A", 1000, 0), visit("2025/02/01", "B", 0, 700)});
    write_year(dir, "vq2026.vqd", {visit("2026/01/05", "A", 0, 88888)});  // the open year itself
    write_year(dir, "vq2027.vqd", {visit("2027/01/05", "A", 0, 99999)});
    {
        QFile damaged(dir.filePath(QStringLiteral("vq2023.vqd")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a ledger");
    }
    PlaySettings settings;
    const StoreKey a{"A", Kind::Pachinko, 400};
    set_store_start(settings, a, 500);

    const std::vector<PlayEntry> before = earlier_years(dir.filePath(QStringLiteral("vq2026.vqd")), 2026);
    ASSERT_EQ(before.size(), 3u);  // the record without play data is not an entry
    EXPECT_EQ(before[0].date, "2024/03/01");
    EXPECT_EQ(before[2].hall, "B");
    // 500 + 3,000 − 1,000; B's store is its own.
    EXPECT_EQ(store_pieces(settings, before, a), 2500);
    EXPECT_EQ(store_pieces(settings, before, StoreKey{"B", Kind::Pachinko, 400}), 700);
    EXPECT_EQ(store_pieces(settings, before, StoreKey{"A", Kind::Pachinko, 100}), 0);
    EXPECT_EQ(store_pieces(settings, {}, a), 500);
    // The first year of a folder has nothing before it; a ledger not yet saved has no folder.
    EXPECT_TRUE(earlier_years(dir.filePath(QStringLiteral("vq2024.vqd")), 2024).empty());
    EXPECT_TRUE(earlier_years(QString(), 2026).empty());
}

}  // namespace
}  // namespace velmo::play
