// The File menu's CSV import with play data, the way a user goes: a refused
// withdrawal from a store named with its line, the store's starting balance
// set, the import again, save and reopen.
#include <gtest/gtest.h>

#include "framework/cp932.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_build.h"
#include "play/play_data.h"
#include "play/play_settings.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

class PlayCsvWindow : public AppFixture {};

TEST_F(PlayCsvWindow, ImportChecksTheStoreAgainstTheLedgerAndTheSettingsAndKeepsThePlayData) {
    // The ledger: a visit on 3/10 that put 2,500 balls into hall A's 4円 store.
    LedgerImage image;
    image.year = "2004";
    const RecordCells c = build_record({{"M", "0", "8929"}}, 3, 10);
    LedgerRecord deposit{c.date, "", "A", c.machines, c.detail, c.totals, std::to_string(c.balance), "", 0};
    play::RecordPlayData d;
    d.machines[0].kind = play::Kind::Pachinko;
    d.machines[0].lending_price = 400;
    d.machines[0].exchange_rate = 280;
    d.machines[0].end_pieces = d.machines[0].store_in = 2500;
    play::write_play_data(deposit.extensions, d);
    image.records.push_back(deposit);
    write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(image));
    load(path(QStringLiteral("vq2004.vqd")));

    write_bytes(QStringLiteral("in.csv"), "日付,ホール名,機種,投資,回収,開始,終了,種別,貸玉料金,交換率,持ち玉投資,貯玉引出\r\n"
                                          "2004/3/12,A,海,,0,10:00,13:00,パチンコ,4,28,3000,3000\r\n"
                                          "2004/3/1,B,山,1000,0,,,,,,,\r\n");
    dialogs.shown.clear();
    dialogs.files = {path(QStringLiteral("in.csv"))};
    form1->import_csv_action->trigger();
    EXPECT_EQ(dialogs.texts().back(), u("CSVファイルを読み込めません。収支表は変更していません。\n"
                                        "2行目: 貯玉引出が貯玉残高（2,500）より多くなっています"));
    EXPECT_EQ(form1->rec_count, 1);

    // With 500 balls in the store before the ledger's visit, 3,000 may go out on 3/12.
    play::PlaySettings settings;
    play::set_store_start(settings, {"A", play::Kind::Pachinko, 400}, 500);
    form1->player_settings().set(settings);
    dialogs.files = {path(QStringLiteral("in.csv"))};
    dialogs.answers = {true};
    form1->import_csv_action->trigger();
    ASSERT_EQ(form1->rec_count, 3);
    dialogs.answers = {true};
    form1->save_ledger();
    EXPECT_EQ(dialogs.unexpected, 0);

    load(path(QStringLiteral("vq2004.vqd")));
    const LedgerImage back = form1->ledger_image();
    ASSERT_EQ(back.records.size(), 3u);
    EXPECT_EQ(back.records[0].hall, "B");  // 3/1, placed before the ledger's 3/10
    EXPECT_EQ(play::read_play_data(back.records[1]), d);
    const play::RecordPlayData taken = play::read_play_data(back.records[2]);
    EXPECT_EQ(taken.time, (play::VisitTime{600, 780}));
    EXPECT_EQ(taken.machines[0].store_out, 3000);
    // 3,000 balls at 28玉 are 10,714.29円, the 投資 the sheet left empty.
    EXPECT_EQ(unpack_machine_detail(back.records[2].detail).at(0).investment, "10714");
}

}  // namespace
}  // namespace velmo::testing
