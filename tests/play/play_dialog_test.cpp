// 実戦データ the way a player enters it: the hall's rates, a visit of two
// machines through the entry dialog (one bought with cash, one with balls out
// of the store), corrected from the 収支 menu, committed unchanged, its
// machines reordered and one taken out in a correction, saved, reopened and
// deleted — the ledger's play data and the store's balance after each step.
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "entry/tform3.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "play/machine_numbers.h"
#include "play/play_calc.h"
#include "play/play_data.h"
#include "play/play_dialog.h"
#include "play/play_settings.h"
#include "play/play_year.h"
#include "play/rates_dialog.h"
#include "tests/support/app_fixture.h"
#include "tests/support/typing.h"

namespace velmo::testing {
namespace {

using play::Field;
using play::Kind;
using play::PlayDialog;

const play::StoreKey kStore{"A", Kind::Pachinko, 400};

class PlayEntryUse : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start_empty_2004_ledger();
        form3->PageControl1->setCurrentWidget(form3->TabSheet1);
        form3->Edit1->setText(u("A"));
        form3->Button1Click();
        // ホールのレート...: A's pachinko at 4円 and 28玉, its store holding 1,000 balls.
        QTimer::singleShot(0, form1.get(), [] {
            auto* dialog = qobject_cast<play::RatesDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->rate_edit(0, 0)->setText(QStringLiteral("4"));
            dialog->rate_edit(0, 1)->setText(QStringLiteral("28"));
            dialog->add_store_row();
            dialog->store_edit(0, 2)->setText(QStringLiteral("4"));
            dialog->store_edit(0, 3)->setText(QStringLiteral("1,000"));
            dialog->accept();
        });
        form1->findChild<QAction*>(QStringLiteral("hall_rates_action"))->trigger();
        ASSERT_EQ(form1->player_settings().get<play::PlaySettings>().start_of(kStore), 1000);
    }

    // The play dialog on screen, or null.
    PlayDialog* shown_dialog() const {
        for (QWidget* parent : {static_cast<QWidget*>(form1.get()), static_cast<QWidget*>(form2.get())})
            for (PlayDialog* d : parent->findChildren<PlayDialog*>())
                if (d->isVisible()) return d;
        return nullptr;
    }
    PlayDialog* from_entry_dialog() {
        QTest::mouseClick(form2->findChild<QPushButton*>(QStringLiteral("play_data_button")), Qt::LeftButton);
        return shown_dialog();
    }
    PlayDialog* from_menu(int row) {
        form1->StringGrid1->select_row(row);
        Q_EMIT form1->N1->aboutToShow();
        QAction* action = form1->findChild<QAction*>(QStringLiteral("play_data_action"));
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
        return shown_dialog();
    }
    // Names machine row r of the entry dialog.
    void name_row(int r, const char* name) {
        form2->StringGrid1->set_row(r);
        form2->sgClick();
        form2->ComboBox2->setEditText(u(name));
    }
    static void type(QLineEdit* edit, const char* text) {
        edit->clear();
        type_text(edit, u(text));
    }
    // Chooses a kind as the player does, with the arrow key on the closed list.
    static void choose_pachinko(PlayDialog& d, int row) {
        d.kind_box(row)->setFocus();
        QTest::keyClick(d.kind_box(row), Qt::Key_Down);
    }

    play::RecordPlayData data_of(int row) const { return play::read_play_data(form1->record(row)); }
    std::int64_t store() const {
        std::vector<LedgerRecord> records;
        for (int r = 1; r <= form1->rec_count; ++r) records.push_back(form1->record(r));
        std::vector<play::PlayEntry> entries;
        play::add_play_entries(records, entries);
        return play::store_pieces(form1->player_settings().get<play::PlaySettings>(), entries, kStore);
    }
    // Machine entries of record row as name, investment, payout.
    std::vector<MachineEntry> machines_of(int row) const { return unpack_machine_detail(form1->record(row).detail); }
    void save() {
        dialogs.answers = {true};
        ASSERT_TRUE(form1->save_ledger());
        ASSERT_EQ(form1->dirty & TForm1::kLedgerChanged, 0);
        dialogs.shown.clear();
    }
};

TEST_F(PlayEntryUse, AVisitFromEntryToDeletion) {
    // A new record of two machines on 10 March.
    form1->SpeedButton1Click();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 3, 10));
    form2->ComboBox1->setEditText(u("A"));
    name_row(1, "海");
    name_row(2, "山");
    PlayDialog* d = from_entry_dialog();
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->table->rowCount(), 2);
    EXPECT_EQ(d->table->item(1, PlayDialog::kNameColumn)->text(), u("山"));
    // 海: bought with 10,000円 of cash, 2,800 balls at the end put into the store.
    choose_pachinko(*d, 0);
    EXPECT_EQ(d->edit(0, Field::LendingPrice)->text(), QStringLiteral("4"));  // the hall's rates
    EXPECT_EQ(d->edit(0, Field::ExchangeRate)->text(), QStringLiteral("28"));
    type(d->edit(0, Field::Cash), "１０，０００");
    type(d->edit(0, Field::EndPieces), "2,800玉");
    type(d->edit(0, Field::StoreIn), "2800");
    type(d->edit(0, Field::Spins), "312");
    EXPECT_EQ(d->computed_text(0, PlayDialog::kInvestmentColumn), QStringLiteral("10,000"));
    EXPECT_EQ(d->computed_text(0, PlayDialog::kPayoutColumn), QStringLiteral("10,000"));
    // 山: 1,400 balls out of a store that holds 1,000 before this visit: refused,
    // naming the machine and the field, the dialog open with what was typed.
    choose_pachinko(*d, 1);
    type(d->edit(1, Field::HeldIn), "1400");
    type(d->edit(1, Field::StoreOut), "1400");
    type(d->start_edit, "22:00");
    type(d->end_edit, "1:30");
    EXPECT_EQ(d->computed_text(1, PlayDialog::kInvestmentColumn), QStringLiteral("5,000"));
    EXPECT_TRUE(d->summary->text().contains(u("時間 3時間30分"))) << d->summary->text().toStdString();
    EXPECT_TRUE(d->summary->text().contains(u("交換差損 1,071円"))) << d->summary->text().toStdString();
    d->accept();
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], u("2機種目（山）：貯玉引出が貯玉残高（1,000）より多くなっています"));
    ASSERT_EQ(shown_dialog(), d);
    EXPECT_EQ(d->edit(1, Field::StoreOut)->text(), QStringLiteral("1400"));
    EXPECT_EQ(d->edit(1, Field::StoreOut)->selectedText(), QStringLiteral("1400"));  // selected to be typed over
    dialogs.shown.clear();
    type(d->edit(1, Field::HeldIn), "700");
    type(d->edit(1, Field::StoreOut), "700");
    d->accept();
    EXPECT_TRUE(dialogs.texts().empty());
    QApplication::processEvents();
    EXPECT_EQ(shown_dialog(), nullptr);
    // The machine rows show what the pieces give, and commit as they show.
    EXPECT_EQ(form2->StringGrid1->cell(2, 1), "10000");
    EXPECT_EQ(form2->StringGrid1->cell(3, 1), "10000");
    EXPECT_EQ(form2->StringGrid1->cell(2, 2), "2500");
    EXPECT_EQ(form2->StringGrid1->cell(2, TForm2::kTotalsRow), "12500");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->record(1).balance, "-2500");
    play::RecordPlayData entered = data_of(1);
    EXPECT_EQ(entered.time, (play::VisitTime{22 * 60, 90}));
    EXPECT_EQ(entered.machines[0].cash, 10000);
    EXPECT_EQ(entered.machines[0].spins, 312);
    EXPECT_EQ(entered.machines[1].store_out, 700);
    EXPECT_EQ(store(), 1000 + 2800 - 700);

    // Opened again from the 収支 menu and cancelled: nothing changes, and the
    // next opening shows the stored data, not the text typed before the cancel.
    d = from_menu(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->edit(0, Field::Cash)->text(), QStringLiteral("10000"));
    type(d->edit(0, Field::Cash), "99999");
    d->reject();
    QApplication::processEvents();
    d = from_menu(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->edit(0, Field::Cash)->text(), QStringLiteral("10000"));
    EXPECT_EQ(d->end_edit->text(), QStringLiteral("01:30"));

    // Corrected there: 海 ends with 1,400 balls, all into the store. Every table
    // follows (the record's amounts), as one change of the committed row.
    std::vector<std::vector<int>> changes;
    QObject::connect(&form1->ledger_view(), &LedgerView::changed, form1.get(),
                     [&] { changes.push_back(form1->ledger_view().committed_rows()); });
    type(d->edit(0, Field::EndPieces), "1400");
    type(d->edit(0, Field::StoreIn), "1400");
    d->accept();
    QApplication::processEvents();
    EXPECT_EQ(changes, (std::vector<std::vector<int>>{{1}}));
    EXPECT_EQ(machines_of(1)[0].payout, "5000");
    EXPECT_EQ(form1->record(1).balance, "-7500");
    EXPECT_EQ(form1->year_total, -7500);
    EXPECT_EQ(store(), 1000 + 1400 - 700);

    // Committed unchanged after a save: the ledger keeps its bytes and stays unchanged.
    save();
    const std::string saved = read_bytes(QStringLiteral("vq2004.vqd"));
    d = from_menu(1);
    ASSERT_NE(d, nullptr);
    d->accept();
    QApplication::processEvents();
    EXPECT_EQ(form1->dirty & TForm1::kLedgerChanged, 0);
    EXPECT_EQ(encode_ledger(form1->ledger_image()), saved);
    EXPECT_EQ(changes.size(), 1u);

    // Reordered in a correction through the entry dialog: 山 first, 海 second;
    // each keeps its own play data.
    const play::RecordPlayData before_reorder = data_of(1);
    form1->correction();
    auto set_row = [&](int r, const char* name, const char* bet, const char* pay) {
        name_row(r, name);
        form2->Edit1->setText(QString::fromLatin1(bet));
        form2->chknum(form2->Edit1, 0);
        form2->Edit2->setText(QString::fromLatin1(pay));
        form2->chknum(form2->Edit2, 0);
    };
    set_row(1, "山", "2500", "0");
    set_row(2, "海", "10000", "5000");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(dialogs.texts().empty());
    ASSERT_EQ(machines_of(1).size(), 2u);
    EXPECT_EQ(machines_of(1)[0].name, sj("山"));
    EXPECT_EQ(data_of(1).machines[0], before_reorder.machines[1]);
    EXPECT_EQ(data_of(1).machines[1], before_reorder.machines[0]);
    EXPECT_EQ(data_of(1).time, before_reorder.time);
    EXPECT_EQ(store(), 1000 + 1400 - 700);

    // 海's amounts typed over those of its pieces: the row takes the pieces'
    // amounts and the dialog stays open for the player to see them.
    form1->correction();
    set_row(2, "海", "9000", "5000");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], u("2機種目（海）の金額を実戦データから計算した額にしました。確かめてから登録してください"));
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->StringGrid1->cell(2, 2), "10000");
    dialogs.shown.clear();
    // 山 taken out of the record: its play data goes with it, 海's moves up.
    set_row(1, "", "", "");
    form2->StringGrid1->set_cell(2, 1, std::string());
    form2->StringGrid1->set_cell(3, 1, std::string());
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(dialogs.texts().empty());
    ASSERT_EQ(machines_of(1).size(), 1u);
    EXPECT_EQ(data_of(1).machines[0], before_reorder.machines[0]);
    EXPECT_TRUE(data_of(1).machines[1].empty());
    EXPECT_EQ(form1->record(1).extensions.size(), 2u);  // the time and one machine
    EXPECT_EQ(store(), 1000 + 1400);

    // Saved and reopened: the play data is the ledger's.
    save();
    load(path(QStringLiteral("vq2004.vqd")));
    ASSERT_EQ(form1->rec_count, 1);
    EXPECT_EQ(data_of(1).machines[0], before_reorder.machines[0]);
    EXPECT_EQ(store(), 1000 + 1400);

    // Deleted through the year window: its play data goes with it.
    form1->StringGrid1->select_row(1);
    dialogs.answers = {true};
    form1->Delete1Click();
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_TRUE(form1->record(1).extensions.empty());
    EXPECT_EQ(store(), 1000);
    save();
    load(path(QStringLiteral("vq2004.vqd")));
    EXPECT_EQ(form1->rec_count, 0);
}

// Input the dialog refuses, each naming the field; the dialog stays open with
// the text typed and nothing of the record changes.
TEST_F(PlayEntryUse, RefusedInputKeepsTheDialogOpen) {
    enter_in_march(5, "A", "海", "1000", "0");
    ASSERT_EQ(form1->rec_count, 1);
    const LedgerRecord stored = form1->record(1);
    struct Case {
        Field field;  // Kind: the start or end time per `end`
        bool end;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {Field::Cash, false, "-500", "1機種目（海）の現金投資は 0 から 99,999,999 までの整数で入力してください"},
        {Field::Spins, false, "12a", "1機種目（海）の回転数は 0 から 99,999,999 までの整数で入力してください"},
        {Field::LendingPrice, false, "0", "1機種目（海）の貸玉料金は 0.01 から 999.99 までの円で入力してください"},
        {Field::ExchangeRate, false, "5.55", "1機種目（海）の交換率は 0.1 から 999.9 までの数で入力してください"},
        {Field::StoreIn, false, "100", "1機種目（海）：貯玉預入が終了玉より多くなっています"},
        {Field::StoreOut, false, "100", "1機種目（海）：貯玉引出が持ち玉投資より多くなっています"},
        {Field::Kind, false, "25:00", "開始の時刻は 0:00 から 23:59 までの「時:分」で入力してください"},
        {Field::Kind, true, "12:60", "終了の時刻は 0:00 から 23:59 までの「時:分」で入力してください"},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        PlayDialog* d = from_menu(1);
        ASSERT_NE(d, nullptr);
        QLineEdit* box = c.field != Field::Kind ? d->edit(0, c.field) : c.end ? d->end_edit : d->start_edit;
        type(box, c.text);
        d->accept();
        ASSERT_EQ(dialogs.texts().size(), 1u) << c.text;
        EXPECT_EQ(dialogs.texts()[0], u(c.message));
        EXPECT_EQ(shown_dialog(), d) << c.text;
        EXPECT_EQ(box->text(), u(c.text));
        d->reject();
        QApplication::processEvents();
        EXPECT_EQ(form1->record(1).extensions, stored.extensions);
        EXPECT_EQ(form1->record(1).detail, stored.detail);
    }
}

}  // namespace
}  // namespace velmo::testing

namespace velmo::testing {
namespace {

// The entry dialog's button lies in space its own controls leave free, and the
// play dialog's headings, kinds and largest figures fit their columns, with
// whatever font and scale the desktop has (run again with Noto and at scale 2).
class PlayDialogLayout : public AppFixture {};

TEST_F(PlayDialogLayout, FitsAnyFontAndScale) {
    auto* button = form2->findChild<QPushButton*>(QStringLiteral("play_data_button"));
    ASSERT_NE(button, nullptr);
    // A player who keeps no play data sees the entry dialog as it always was.
    start_empty_2004_ledger();
    form1->SpeedButton1Click();
    EXPECT_FALSE(button->isVisible());
    form2->Button2Click();
    for (const QWidget* w : form2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == button || !w->isVisibleTo(form2.get())) continue;
        EXPECT_FALSE(w->geometry().intersects(button->geometry())) << w->metaObject()->className();
    }
    EXPECT_TRUE(form2->rect().contains(button->geometry()));
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width());

    play::PlayDialogInput input;
    input.hall = sj("A");
    input.names = {sj("スーパービンゴ"), sj("海")};
    input.data.machines[0].kind = Kind::Pachinko;
    input.data.machines[0].exchange_rate = 1;  // 0.1 piece per 100円: the largest amounts
    input.data.machines[0].end_pieces = play::kMaxPieces;
    input.data.machines[0].held_in = play::kMaxPieces;
    PlayDialog d(input);
    d.show();
    // Number boxes take no input method.
    for (QWidget* box : {static_cast<QWidget*>(d.edit(0, Field::Cash)), static_cast<QWidget*>(d.start_edit)})
        EXPECT_FALSE(box->inputMethodQuery(Qt::ImEnabled).toBool());
    const QFontMetrics m = d.table->fontMetrics();
    for (int c = 0; c < d.table->columnCount(); ++c) {
        const QString head = d.table->horizontalHeaderItem(c)->text();
        EXPECT_LT(m.horizontalAdvance(head), d.table->columnWidth(c)) << head.toStdString();
    }
    for (int c : {PlayDialog::kInvestmentColumn, PlayDialog::kPayoutColumn})
        EXPECT_LT(m.horizontalAdvance(d.computed_text(0, c)), d.table->columnWidth(c)) << c;
    EXPECT_LT(m.horizontalAdvance(d.table->item(0, PlayDialog::kNameColumn)->text()),
              d.table->columnWidth(PlayDialog::kNameColumn));
    EXPECT_LT(m.horizontalAdvance(u("パチンコ")) + 16, d.table->columnWidth(PlayDialog::kKindColumn));
    // Both rows show without scrolling down.
    EXPECT_EQ(d.table->verticalScrollBar()->maximum(), 0);
    const QRect screen = d.screen()->availableGeometry();
    EXPECT_LE(d.width(), screen.width());
}

// With machine numbers the figures' headings and their largest texts fit too.
TEST_F(PlayDialogLayout, FiguresFitAnyFontAndScale) {
    play::PlayDialogInput input;
    input.hall = sj("A");
    input.names = {sj("海"), sj("北斗")};
    play::MachineNumbers sea;
    sea.machine = sj("海");
    sea.kind = Kind::Pachinko;
    sea.pachinko = {1, play::kMaxMeanPayout, play::kMaxSpread};  // 1/0.1: the largest 仕事量 and σ a day gives
    play::set_numbers(input.all_numbers, sea);
    play::MachineNumbers north;
    north.machine = sj("北斗");
    north.kind = Kind::Slot;
    north.slot[0] = {1000, 3000, 4000, 300, 100};
    north.slot[5] = {1200, 2500, 2500, 300, 100};
    play::set_numbers(input.all_numbers, north);
    input.data.machines[0] = {Kind::Pachinko, 400, 280, 99'999'999, std::nullopt, std::nullopt, std::nullopt,
                              std::nullopt, 99'999, std::nullopt, std::nullopt, std::nullopt};
    input.data.machines[1] = {Kind::Slot, 2000, 56, 20'000, std::nullopt, std::nullopt, std::nullopt,
                              std::nullopt, 99'999, 400, 400, std::nullopt};
    PlayDialog d(input);
    d.show();
    ASSERT_TRUE(d.shows_figures());
    const QFontMetrics m = d.table->fontMetrics();
    for (int c = PlayDialog::kRateColumn; c <= PlayDialog::kSettingColumn; ++c) {
        const QString head = d.table->horizontalHeaderItem(c)->text();
        EXPECT_LT(m.horizontalAdvance(head), d.table->columnWidth(c)) << head.toStdString();
        for (int r = 0; r < 2; ++r) {
            EXPECT_LT(m.horizontalAdvance(d.computed_text(r, c)), d.table->columnWidth(c)) << r << " " << c;
            EXPECT_EQ(d.computed_text(r, c).isEmpty(), r == 0 ? c == PlayDialog::kSettingColumn : c < PlayDialog::kValueColumn)
                << r << " " << c;
        }
    }
    EXPECT_EQ(d.table->verticalScrollBar()->maximum(), 0);
    EXPECT_LE(d.width(), d.screen()->availableGeometry().width());
    if (const char* out = std::getenv("VELMO_SHOT")) {
        d.table->horizontalScrollBar()->setValue(d.table->horizontalScrollBar()->maximum());
        d.grab().save(QString::fromUtf8(out));  // a look at the figures, scrolled into view
    }
}

}  // namespace
}  // namespace velmo::testing
