// The entry dialog driven as a player drives it: keys typed into the amount
// edits, machine names chosen, rows clicked, the commit button pressed.
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QLayout>
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "entry/entry_rules.h"
#include "framework/cp932.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/placement.h"
#include "ledger/record_fields.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"
#include "tests/support/figures_check.h"

namespace velmo::testing {
namespace {

class EntryDialog : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start_empty_2004_ledger();
    }

    StringGrid& grid() { return *form2->StringGrid1; }

    // Selects a machine row as a click does, then types the name and the amounts.
    void machine(int row, const char* name, const char* bet, const char* pay) {
        grid().set_row(row);
        form2->sgClick();
        form2->ComboBox2->setEditText(u(name));
        type(form2->Edit1, bet);
        type(form2->Edit2, pay);
    }
    void type(QLineEdit* edit, const char* keys) {
        edit->setFocus();
        edit->selectAll();
        if (*keys == '\0' && !edit->text().isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, QString::fromLatin1(keys));
    }
    void enter(int month, int day, const char* hall, std::initializer_list<std::array<const char*, 3>> machines,
               const char* comment = "") {
        form1->SpeedButton1Click();
        form2->MonthCalendar1()->setSelectedDate(QDate(2004, month, day));
        form2->ComboBox1->setEditText(u(hall));
        int row = 1;
        for (const auto& m : machines) machine(row++, m[0], m[1], m[2]);
        form2->Memo1->setPlainText(u(comment));
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
    }
    std::string date_of(int row) { return form1->StringGrid1->cell(0, row); }
    // Saves the ledger, answering Yes, and returns the file's bytes.
    std::string saved() {
        EXPECT_EQ(form1->dirty & 1, 1) << "nothing was committed";
        dialogs.answers = {true};
        form1->save_ledger();
        return read_bytes(QFileInfo(form1->file_name).fileName());
    }
    // Opens the correction of a year-list row and commits it without touching anything.
    void correct_unchanged(int row) {
        form1->StringGrid1->set_row(row);
        form1->correction();
        ASSERT_TRUE(form2->isVisible());
        dialogs.shown.clear();
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_FALSE(form2->isVisible());
    }
};

TEST_F(EntryDialog, AmountsFollowEveryKeyAndTheTotalsRowAppearsWithTheFirst) {
    form1->SpeedButton1Click();
    EXPECT_FALSE(form1->isEnabled());
    EXPECT_EQ(grid().cell(1, 10), "");
    grid().set_row(1);
    form2->ComboBox2->setEditText(u("海物語"));
    EXPECT_EQ(grid().cell(1, 1), sj("海物語"));
    QTest::keyClick(form2->Edit1, Qt::Key_1);
    EXPECT_EQ(grid().cell(2, 1), "1");
    EXPECT_EQ(grid().cell(1, 10), sj("      合    計"));
    QTest::keyClicks(form2->Edit1, QStringLiteral("500"));
    QTest::keyClick(form2->Edit2, Qt::Key_7, Qt::KeypadModifier);
    QTest::keyClicks(form2->Edit2, QStringLiteral("000"));
    EXPECT_EQ(grid().cell(2, 1), "1500");
    EXPECT_EQ(grid().cell(3, 1), "7000");
    EXPECT_EQ(grid().cell(4, 1), "5500");
    machine(2, "北斗", "2000", "");
    EXPECT_EQ(grid().cell(4, 2), "-2000");
    EXPECT_EQ(grid().cell(2, 10), "3500");
    EXPECT_EQ(grid().cell(3, 10), "7000");
    EXPECT_EQ(grid().cell(4, 10), "3500");
    EXPECT_TRUE(dialogs.shown.empty());

    // Clearing both amounts of a row empties its three cells; the totals keep the other rows.
    type(form2->Edit1, "");
    EXPECT_EQ(grid().cell(2, 2), "");
    EXPECT_EQ(grid().cell(4, 2), "");
    EXPECT_EQ(grid().cell(2, 10), "1500");

    // Clicking row 1 brings its texts back into the edits.
    grid().set_row(1);
    form2->sgClick();
    EXPECT_EQ(form2->Edit1->text(), QStringLiteral("1500"));
    EXPECT_EQ(form2->ComboBox2->currentText(), u("海物語"));

    // The last of the nine rows counts in the totals as the first does.
    machine(9, "花", "300", "1000");
    EXPECT_EQ(grid().cell(4, 9), "700");
    EXPECT_EQ(grid().cell(2, 10), "1800");
    EXPECT_EQ(grid().cell(3, 10), "8000");
    EXPECT_EQ(grid().cell(4, 10), "6200");
}

TEST_F(EntryDialog, WrongKeysAndTooLargeAmountsAreRefusedWithTheMessage) {
    form1->SpeedButton1Click();
    grid().set_row(1);
    QTest::keyClicks(form2->Edit1, QStringLiteral("12"));
    QTest::keyClick(form2->Edit1, Qt::Key_A);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("数値を入力して下さい")});
    EXPECT_EQ(form2->Edit1->text(), QString());
    EXPECT_EQ(grid().cell(2, 1), "");

    dialogs.shown.clear();
    QTest::keyClicks(form2->Edit2, QStringLiteral("2147483647"));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(grid().cell(3, 1), "2147483647");
    QTest::keyClick(form2->Edit2, Qt::Key_0);  // one digit too many for 32 bits
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("数値を入力して下さい")});
    EXPECT_EQ(form2->Edit2->text(), QString());
}

// Keys that move, select, copy, cut or undo type no character: the box keeps its
// text. A paste is read as typed: normalised, or refused with the box as it was.
TEST_F(EntryDialog, EditingKeysWorkAndAPasteIsReadLikeTypedInput) {
    form1->SpeedButton1Click();
    grid().set_row(1);
    QLineEdit* edit = form2->Edit1;
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("1234"));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } keys[] = {{Qt::Key_Home, Qt::NoModifier},    {Qt::Key_End, Qt::NoModifier},
                {Qt::Key_Left, Qt::ShiftModifier}, {Qt::Key_A, Qt::ControlModifier},
                {Qt::Key_C, Qt::ControlModifier},  {Qt::Key_PageUp, Qt::NoModifier},
                {Qt::Key_F2, Qt::NoModifier}};
    for (const auto& k : keys) {
        QTest::keyClick(edit, k.key, k.mods);
        EXPECT_TRUE(dialogs.shown.empty()) << k.key;
        EXPECT_EQ(edit->text(), QStringLiteral("1234")) << k.key;
    }
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1234"));
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(grid().cell(2, 1), "");
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));
    EXPECT_EQ(grid().cell(2, 1), "1234");
    // Ctrl let go before the letter: still no typing.
    QTest::keyPress(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyRelease(edit, Qt::Key_A, Qt::NoModifier);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));
    // A full-width digit's key types its digit.
    edit->end(false);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, u("５"));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, u("５"));
    QApplication::sendEvent(edit, &press);
    QApplication::sendEvent(edit, &release);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(edit->text(), QStringLiteral("12345"));

    QApplication::clipboard()->setText(u("２５，０００"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(edit->text(), QStringLiteral("25000"));
    EXPECT_EQ(grid().cell(2, 1), "25000");

    QApplication::clipboard()->setText(u("500円"));
    edit->setCursorPosition(2);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("数値を入力して下さい")});
    EXPECT_EQ(edit->text(), QStringLiteral("25000"));
    EXPECT_EQ(grid().cell(2, 1), "25000");
}

// The calendar's header reads as a Japanese calendar does: 「2026年12月」.
TEST_F(EntryDialog, TheCalendarHeaderReadsYearThenMonth) {
    form1->SpeedButton1Click();
    QCalendarWidget* calendar = form2->MonthCalendar1();
    for (const auto& [year, month, year_text, month_text] :
         {std::tuple{2026, 12, "2026年", "12月"}, std::tuple{2004, 2, "2004年", "2月"}}) {
        calendar->setCurrentPage(year, month);
        auto* year_button = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
        auto* month_button = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
        ASSERT_TRUE(year_button && month_button);
        year_button->parentWidget()->layout()->activate();
        EXPECT_EQ(year_button->text(), u(year_text));
        EXPECT_EQ(month_button->text(), u(month_text));
        EXPECT_LT(year_button->geometry().right(), month_button->geometry().left());
    }
}

TEST(AmountKeys, TypedCharactersOtherThanDigitsAreRefused) {
    const struct {
        int code;
        const char* text;
        bool shortcut;
        bool refused;
    } cases[] = {
        {65, "a", false, true},     {65, "a", true, false},   {65, "", false, true},   // a letter, Ctrl+A
        {0, "\xEF\xBC\x92", false, false},                      // full-width ２
        {32, " ", false, true},     {189, "-", false, true},  {0, "%", false, true},
        {36, "", false, false},     {35, "", false, false},   {33, "", false, false},  // Home, End, PageUp
        {27, "\x1b", false, false}, {8, "\b", false, false}, {0, "", false, false},  // Esc, Backspace, F2
        {49, "1", false, false},    {97, "1", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(refuses_amount_key(c.code, QString::fromUtf8(c.text), c.shortcut), c.refused) << c.code << c.text;
}

TEST(AmountKeys, APasteIsNormalisedOrRefused) {
    const struct {
        const char* pasted;
        std::optional<const char*> read;
    } cases[] = {
        {"1500", "1500"}, {" 1,500\n", "1500"}, {"\xEF\xBC\x92\xEF\xBC\x95\xEF\xBC\x8C\xEF\xBC\x90", "250"},
        {"-500", std::nullopt}, {"500\xE5\x86\x86", std::nullopt}, {"1.5", std::nullopt}, {"12a", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<QString> read = pasted_amount(QString::fromUtf8(c.pasted));
        ASSERT_EQ(read.has_value(), c.read.has_value()) << c.pasted;
        if (read) {
            EXPECT_EQ(*read, QString::fromLatin1(*c.read)) << c.pasted;
        }
    }
}

TEST_F(EntryDialog, FullWidthDigitsInAnAmountBoxCountAsTheirDigits) {
    form1->SpeedButton1Click();
    grid().set_row(1);
    form2->ComboBox2->setEditText(u("北斗"));
    // A conversion committed with Enter, as an input method would send it.
    QInputMethodEvent commit;
    commit.setCommitString(u("１０００"));
    QApplication::sendEvent(form2->Edit1, &commit);
    QTest::keyRelease(form2->Edit1, Qt::Key_Return);
    // Digits pasted from the context menu, counted at the next key.
    QApplication::clipboard()->setText(u("３５００"));
    form2->Edit2->paste();
    QTest::keyRelease(form2->Edit2, Qt::Key_Left);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form2->Edit1->text(), QStringLiteral("1000"));
    EXPECT_EQ(grid().cell(2, 1), "1000");
    EXPECT_EQ(grid().cell(3, 1), "3500");
    EXPECT_EQ(grid().cell(4, 1), "2500");
}

TEST_F(EntryDialog, CommitValidatesMachineRows) {
    form1->SpeedButton1Click();
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("機種名が記入されていません")});

    dialogs.shown.clear();
    machine(1, "A", "", "");
    machine(3, "", "100", "");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("3機種目の機種名が記入されていません")});
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(grid().cell(2, 1), "0");  // rows before the failing one were already completed

    // With the amount removed, the named row without amounts is stored as 0 / 0.
    machine(3, "", "", "");
    dialogs.shown.clear();
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form1->isEnabled());
    const auto detail = unpack_machine_detail(form1->StringGrid5->cell(0, 1));
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(detail[0].investment, "0");
    EXPECT_EQ(detail[0].payout, "0");
    EXPECT_EQ(form1->StringGrid1->cell(form1->balance_col, 1), "0");
    EXPECT_EQ(grid().cell(1, 1), "");  // the grid is empty after a commit
}

TEST_F(EntryDialog, RecordsGoInDateOrderAndCorrectionsMove) {
    enter(3, 10, "H1", {{"A", "1000", "0"}});
    enter(3, 5, "H2", {{"B", "1000", "3000"}});
    enter(3, 10, "H3", {{"C", "500", "0"}});
    enter(1, 2, "H4", {{"D", "100", "100"}});
    ASSERT_EQ(form1->rec_count, 4);
    EXPECT_EQ(date_of(1), " 1/2");
    EXPECT_EQ(date_of(2), " 3/5");
    EXPECT_EQ(date_of(3), " 3/10");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 3), "H1");  // same date: entry order
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 4), "H3");
    EXPECT_EQ(form1->StringGrid1->row(), 1);  // the new record is selected
    EXPECT_EQ(form1->StringGrid1->cell(form1->total_col, 4), "500");  // 0 + 2000 - 1000 - 500

    // Correction without a date change stays, even among records of the same date.
    form1->StringGrid1->set_row(3);
    form1->correction();
    EXPECT_EQ(form2->Button1->text(), u("訂　　正"));
    EXPECT_EQ(form2->ComboBox1->currentText(), QStringLiteral("H1"));
    EXPECT_EQ(grid().cell(1, 1), "A");
    EXPECT_EQ(grid().cell(4, 1), "-1000");
    EXPECT_EQ(grid().cell(2, 10), "1000");
    EXPECT_EQ(form2->Edit1->text(), QStringLiteral("1000"));
    type(form2->Edit2, "5000");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(form1->rec_count, 4);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 3), "H1");
    EXPECT_EQ(form1->StringGrid1->cell(form1->balance_col, 3), "4000");

    // Later: row 2 (3/5) to 12/1 goes last; earlier: the last row (3/10, H3) to 2/1 goes to row 2.
    form1->StringGrid1->set_row(2);
    form1->correction();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 12, 1));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(date_of(4), "12/1");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 4), "H2");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 2), "H1");
    form1->StringGrid1->set_row(3);
    form1->correction();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 2, 1));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(date_of(2), " 2/1");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 2), "H3");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 3), "H1");
    EXPECT_EQ(form1->StringGrid1->row(), 2);
}

TEST_F(EntryDialog, DeleteAsksAndCloseUpTheRows) {
    enter(4, 1, "A", {{"m", "100", "0"}}, "first");
    enter(4, 2, "B", {{"m", "100", "300"}}, "second");
    form1->StringGrid1->set_row(1);
    dialogs.answers = {false};
    form1->Delete1Click();
    EXPECT_EQ(dialogs.shown.back().text, u("削除しますか？"));
    EXPECT_EQ(form1->rec_count, 2);
    dialogs.answers = {true};
    form1->dirty = 0;
    form1->Delete1Click();
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "B");
    EXPECT_EQ(form1->StringGrid5->cell(2, 1), "second");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 2), "");
    EXPECT_EQ(form1->row_mark[2], 0);
    EXPECT_EQ(form1->dirty & 1, 1);
    EXPECT_EQ(form1->Memo1->toPlainText(), QStringLiteral("second"));
    // Deleting the last record leaves the comment box empty and the grid its rows.
    const int rows = form1->StringGrid1->row_count();
    dialogs.answers = {true};
    form1->Delete1Click();
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form1->StringGrid1->row_count(), rows);
    EXPECT_EQ(form1->Memo1->toPlainText(), QString());
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ ±0"));
}

TEST_F(EntryDialog, DetailsDisplayPanelsForPositiveZeroAndNegativeMonths) {
    enter(5, 1, "Hall ", {{"m", "1000", "4000"}}, "c1");
    enter(5, 2, "Hall", {{"m", "1000", "0"}});
    enter(6, 1, "Hall", {{"m", "1000", "1000"}});
    enter(7, 1, "Hall", {{"m", "3000", "0"}});
    form1->StringGrid1->set_row(1);
    form1->StringGrid1Click();
    EXPECT_EQ(form1->StatusBar1->panel_text(0), QStringLiteral("BET: 1000  PAYOUT: 4000"));
    EXPECT_EQ(form1->StatusBar1->panel_text(1), u("5月TOTAL +2000"));
    EXPECT_EQ(form1->StatusBar1->panel_text(2), QStringLiteral("Hall  TOTAL +3000"));  // trailing space: its own hall
    EXPECT_EQ(form1->Memo1->toPlainText(), QStringLiteral("c1"));
    form1->StringGrid1->set_row(3);
    form1->StringGrid1Click();
    EXPECT_EQ(form1->StatusBar1->panel_text(1), u("6月TOTAL 0"));
    EXPECT_EQ(form1->StatusBar1->panel_text(2), QStringLiteral("Hall TOTAL -4000"));
    form1->StringGrid1->set_row(4);
    form1->StringGrid1Click();
    EXPECT_EQ(form1->StatusBar1->panel_text(1), u("7月TOTAL -3000"));
    form1->StringGrid1->set_row(6);
    form1->StringGrid1Click();
    EXPECT_EQ(form1->StatusBar1->panel_text(0), QString());
    EXPECT_EQ(form1->StatusBar1->panel_text(3), QStringLiteral("v2.31"));

    // Menu items follow the selection.
    form1->Edit1Click();
    EXPECT_FALSE(form1->InComeTeisei->isEnabled());
    form1->StringGrid1->set_row(2);
    form1->Edit1Click();
    EXPECT_TRUE(form1->InComeDelete1->isEnabled());
}

// A right-click on the year list selects the row under the pointer before its
// menu opens, so that 訂正 and 削除 act on the record pointed at.
TEST_F(EntryDialog, ARightClickSelectsTheRowUnderThePointer) {
    enter(9, 5, "H", {{"m", "100", "200"}});
    enter(10, 25, "K", {{"n", "300", "200"}});
    StringGrid& list = *form1->StringGrid1;
    list.set_row(1);
    form1->StringGrid1Click();
    QTest::mouseClick(&list, Qt::RightButton, {}, list.cell_rect(1, 2).center());
    EXPECT_TRUE(form1->PopupMenu1->isVisible());
    form1->PopupMenu1->hide();
    EXPECT_EQ(list.row(), 2);
    EXPECT_EQ(date_of(2), "10/25");
    EXPECT_EQ(form1->StatusBar1->panel_text(0), QStringLiteral("BET: 300  PAYOUT: 200"));
    form1->correction();
    EXPECT_EQ(form2->ComboBox1->currentText(), QStringLiteral("K"));
    form2->Button2Click();
}

TEST_F(EntryDialog, DoubleClickOpensANewRecordBelowTheLastAndACorrectionOnOne) {
    form1->PopupMenu1Popup();
    EXPECT_FALSE(form1->pop_calen->isEnabled());  // nothing to show in a calendar yet
    EXPECT_FALSE(form1->N2->isEnabled());
    enter(9, 9, "H", {{"m", "100", "200"}});
    form1->PopupMenu1Popup();
    EXPECT_TRUE(form1->pop_calen->isEnabled());
    EXPECT_TRUE(form1->N2->isEnabled());

    form1->StringGrid1->set_row(5);
    form1->StringGrid1DblClick();
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->Button1->text(), u("登　　録"));
    form2->Button2Click();
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form1->isEnabled());

    form1->StringGrid1->set_row(1);
    form1->StringGrid1DblClick();
    EXPECT_EQ(form2->Button1->text(), u("訂　　正"));
    EXPECT_EQ(form1->edit_row, 1);
    EXPECT_EQ(form2->MonthCalendar1()->selectedDate(), QDate(2004, 9, 9));
    form2->close();  // closing the window cancels
    EXPECT_TRUE(form1->isEnabled());
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(grid().cell(1, 1), "");
}

TEST_F(EntryDialog, EnteredRecordsSurviveSaveAndReload) {
    enter(8, 15, "ホール", {{"海物語", "10000", "25000"}, {"北斗", "5000", ""}, {"牙狼", "", "3000"}}, "良い日");
    enter(8, 3, "", {{"X", "100", "0"}});
    std::vector<std::string> before;
    for (int r = 1; r <= 2; ++r) {
        for (int c = 0; c < 6; ++c) before.push_back(form1->StringGrid1->cell(c, r));
        for (int c = 0; c < 3; ++c) before.push_back(form1->StringGrid5->cell(c, r));
    }
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 2), sj("海物語、北斗、牙狼"));
    EXPECT_EQ(static_cast<unsigned char>(form1->StringGrid5->cell(0, 2)[0]), 3);
    dialogs.answers = {true};
    form1->save_ledger();
    load(path(QStringLiteral("vq2004.vqd")));
    std::vector<std::string> after;
    for (int r = 1; r <= 2; ++r) {
        for (int c = 0; c < 6; ++c) after.push_back(form1->StringGrid1->cell(c, r));
        for (int c = 0; c < 3; ++c) after.push_back(form1->StringGrid5->cell(c, r));
    }
    EXPECT_EQ(after, before);
}

// The figures the summaries read are kept beside the grids; after every way the
// records change they equal a fresh reading of the cells, and the tables show them.
TEST_F(EntryDialog, KeptFiguresStayInStepThroughEntryCorrectionDeleteAndLoad) {
    enter(3, 10, "H1", {{"A", "1000", "0"}, {"B", "200", "900"}});
    expect_figures_in_step(*form1);
    enter(3, 5, "H2", {{"B", "1000", "3000"}});  // goes before the first: rows move down
    expect_figures_in_step(*form1);
    enter(1, 2, "H3", {{"C", "100", "100"}, {"A", "5", "0"}, {"D", "1", "2"}});
    expect_figures_in_step(*form1);

    // A correction of an amount, then one that moves its record to December.
    form1->StringGrid1->set_row(2);
    form1->correction();
    machine(1, "B", "1000", "7000");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    expect_figures_in_step(*form1);
    form1->compute_machine_summary();
    const StringGrid& machines = *form1->StringGrid7;
    EXPECT_EQ(machines.cell(1, 1), "B");
    EXPECT_EQ(machines.cell(2, 1), "1200");
    EXPECT_EQ(machines.cell(3, 1), "7900");
    form1->StringGrid1->set_row(1);
    form1->correction();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 12, 1));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(date_of(3), "12/1");
    expect_figures_in_step(*form1);
    EXPECT_EQ(form1->StringGrid2->cell(1, 12), "106");  // December's investment

    form1->StringGrid1->set_row(1);
    dialogs.answers = {true};
    form1->Delete1Click();
    ASSERT_EQ(form1->rec_count, 2);
    expect_figures_in_step(*form1);
    form1->compute_machine_summary();
    EXPECT_EQ(machines.cell(1, 1), "B");
    EXPECT_EQ(machines.cell(2, 1), "200");  // only the March 10 entry of B is left
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ -304"));  // -300 on 3/10, -4 on 12/1

    dialogs.answers = {true};
    form1->save_ledger();
    load(path(QStringLiteral("vq2004.vqd")));
    ASSERT_EQ(form1->rec_count, 2);
    expect_figures_in_step(*form1);
}

TEST_F(EntryDialog, RecordLimitAllowsThe1023rdAndRefusesMore) {
    for (int i = 1; i <= 1022; ++i) {
        form1->StringGrid1->set_row_count(i + 9);
        form1->StringGrid5->set_row_count(i + 1);
        form1->StringGrid1->set_cell(0, i, " 1/1");
        form1->StringGrid1->set_cell(form1->balance_col, i, "0");
    }
    form1->rec_count = 1022;
    enter(12, 31, "H", {{"m", "1", "2"}});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form1->rec_count, 1023);
    EXPECT_EQ(date_of(1023), "12/31");
    form1->SpeedButton1Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("１０２４件以上登録できません")});
    EXPECT_FALSE(form2->isVisible());
}

TEST_F(EntryDialog, TypedTextsStayStorable) {
    form1->SpeedButton1Click();
    form2->ComboBox1->setEditText(u("ホール"));
    form2->ComboBox1->lineEdit()->insert(QString::fromUtf8("😀"));  // as typing or pasting puts it in
    EXPECT_EQ(form2->ComboBox1->currentText(), u("ホール"));
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_TRUE(dialogs.shown.back().text.contains(QString::fromUtf8("😀")));
    form2->ComboBox1->setEditText(QString(200, QLatin1Char('h')));
    EXPECT_EQ(form2->ComboBox1->currentText().size(), 127);
    form2->Memo1->setPlainText(QString(1500, QChar(0x3042)));  // あ: two bytes each
    EXPECT_EQ(cp932_lossy(form2->Memo1->toPlainText()).size(), 2000u);

    // Every drop-down's edit field is guarded, also on a later opening.
    QTest::mouseClick(form2->Button2, Qt::LeftButton);
    form1->SpeedButton1Click();
    for (QComboBox* box : {form2->ComboBox1, form2->ComboBox2, form2->ComboBox3}) {
        const size_t messages = dialogs.shown.size();
        box->setEditText(u("台"));
        box->lineEdit()->insert(QString::fromUtf8("😀"));
        EXPECT_EQ(box->currentText(), u("台"));
        EXPECT_EQ(dialogs.shown.size(), messages + 1);
        box->setEditText(QString(200, QLatin1Char('h')));
        EXPECT_EQ(box->currentText().size(), 127);
    }
}

TEST_F(EntryDialog, CorrectionsAfterOpeningsWithMoreMachinesChangeNoByte) {
    enter(3, 1, "H1", {{"N1", "1000", "0"}});
    enter(3, 2, "H2", {{"A", "100", "200"}, {"B", "300", ""}, {"C", "", "50"}}, "c");
    const std::string before = saved();

    // A two-machine opening, cancelled: the grid's selection is left on row 2.
    form1->SpeedButton1Click();
    machine(1, "X", "1", "2");
    machine(2, "Y", "3", "4");
    form2->Button2Click();
    correct_unchanged(1);
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 1), "N1");
    EXPECT_EQ(unpack_machine_detail(form1->StringGrid5->cell(0, 1)).size(), 1u);
    EXPECT_EQ(saved(), before);
    correct_unchanged(2);
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 2), "A" + sj("、") + "B" + sj("、") + "C");
    EXPECT_EQ(saved(), before);

    // A two-machine record committed, then the same corrections once more.
    enter(3, 3, "H3", {{"X", "1", "2"}, {"Y", "3", "4"}});
    const std::string with_third = saved();
    correct_unchanged(2);
    EXPECT_EQ(saved(), with_third);
    correct_unchanged(1);
    EXPECT_EQ(saved(), with_third);

    // Filling the dialog wrote nothing into the grid: what the user changes still goes in.
    form1->StringGrid1->set_row(2);
    form1->correction();
    machine(3, "D", "1000", "");  // in place of C (0 / 50)
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 2), "A" + sj("、") + "B" + sj("、") + "D");
    EXPECT_EQ(form1->StringGrid1->cell(form1->balance_col, 2), "-1200");
}

TEST_F(EntryDialog, NoOpCorrectionKeepsEveryStoredByteOfACommonYearLedger) {
    // 29 February in a 2003 ledger, a comment with CR LF, an extra value.
    LedgerImage image;
    image.year = "2003";
    ExtraColumnBlock extra;
    extra.name = sj("天気");
    extra.width_text = "28";
    extra.list = {sj("晴"), sj("雨")};
    image.extra = extra;
    LedgerRecord first;
    first.date = " 2/29";
    first.extra = sj("雨");
    first.hall = "H";
    first.machines = "M";
    first.detail = pack_machine_detail({{"M", "100", "50"}});
    first.totals = pack_day_totals({"100", "50"});
    first.balance = "-50";
    first.comment = "line1\r\nline2";
    LedgerRecord second = first;
    second.date = " 3/1";
    second.comment = "x";
    image.records = {first, second};
    write_bytes(QStringLiteral("vq2003.vqd"), encode_ledger(image));
    load(path(QStringLiteral("vq2003.vqd")));
    form1->dirty |= 1;
    const std::string before = saved();

    correct_unchanged(1);
    EXPECT_EQ(date_of(1), " 2/29");
    EXPECT_EQ(form1->StringGrid5->cell(2, 1), "line1\r\nline2");
    EXPECT_EQ(form1->StringGrid1->cell(form1->extra_col, 1), sj("雨"));
    EXPECT_EQ(saved(), before);

    // Only what the user changes is replaced: here the hall.
    form1->StringGrid1->set_row(1);
    form1->correction();
    EXPECT_EQ(form2->MonthCalendar1()->selectedDate(), QDate(2003, 2, 28));  // the nearest day the year has
    form2->ComboBox1->setEditText(QStringLiteral("H2"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "H2");
    EXPECT_EQ(date_of(1), " 2/29");
    EXPECT_EQ(form1->StringGrid5->cell(2, 1), "line1\r\nline2");
    EXPECT_EQ(form1->StringGrid5->cell(0, 1), first.detail);
}

TEST_F(EntryDialog, TwentyNinthOfFebruaryIsRefusedInACommonYearLedger) {
    form1->year_text = "2003";
    dialogs.answers = {true};
    load(path(QStringLiteral("vq2003.vqd")));
    dialogs.shown.clear();
    form1->SpeedButton1Click();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 2, 29));  // the calendar pages into a leap year
    machine(1, "M", "100", "0");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("2003年に2月29日はありません")});
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form1->dirty & 1, 0);
    EXPECT_TRUE(form2->isVisible());
    form2->MonthCalendar1()->setSelectedDate(QDate(2003, 2, 28));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(date_of(1), " 2/28");

    // A correction to that day is refused the same way.
    form1->StringGrid1->set_row(1);
    form1->correction();
    dialogs.shown.clear();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 2, 29));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("2003年に2月29日はありません")});
    EXPECT_EQ(date_of(1), " 2/28");
    form2->Button2Click();

    // A leap-year ledger takes the day.
    form1->year_text = "2004";
    form1->SpeedButton1Click();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 2, 29));
    machine(1, "M", "100", "0");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(date_of(2), " 2/29");
}

TEST_F(EntryDialog, DropDownsStartWithNothingChosenAndEnterAddsNoItem) {
    Registry reg;
    reg.halls = {"H1", "H2"};
    reg.machines = {"M1", "M2"};
    registry_to_windows(reg);  // as at start-up
    EXPECT_EQ(form2->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form2->ComboBox2->currentIndex(), -1);
    form1->SpeedButton1Click();
    EXPECT_EQ(form2->ComboBox1->currentText(), QString());
    machine(1, "M1", "100", "0");
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "");

    // The registry dialog's save refills the lists, again with nothing chosen.
    EXPECT_TRUE(save_registry_file());
    EXPECT_EQ(form2->ComboBox1->count(), 2);
    EXPECT_EQ(form2->ComboBox1->currentText(), QString());
    EXPECT_EQ(form2->ComboBox2->currentText(), QString());

    // Enter in an edit field leaves every list as it was.
    form1->SpeedButton1Click();
    grid().set_row(1);
    for (QComboBox* box : {form2->ComboBox1, form2->ComboBox2, form2->ComboBox3}) {
        const int count = box->count();
        box->lineEdit()->setFocus();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("new"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box->count(), count);
        EXPECT_EQ(box->findText(QStringLiteral("new")), -1);
    }
    EXPECT_EQ(grid().cell(1, 1), "new");  // typing still names the machine
    form2->Button2Click();
}

TEST(EntryRules, MachinesTextIsCutAtAWholeCharacter) {
    std::vector<MachineEntry> machines;
    for (int i = 0; i < 9; ++i) machines.push_back({sj("ああああああ"), "1", "2"});  // 12 bytes each
    RecordCells rec = build_record(machines, 2, 3);
    EXPECT_EQ(rec.machines.size(), 100u);  // 9 x 12 + 8 x 2 = 124 bytes, cut to 100
    machines[0].name = "a" + sj("ああああああ");
    rec = build_record(machines, 2, 3);
    EXPECT_EQ(rec.machines.size(), 99u);  // the 100th byte would split a character
    EXPECT_EQ(rec.date, " 2/3");
    EXPECT_EQ(rec.balance, 9);
}

TEST(EntryRules, PlacementScansFromTheBottom) {
    const RowDates dates = {{1, 5}, {3, 1}, {3, 1}, {3, 9}};
    EXPECT_EQ(last_row_not_later(dates, 3, 1), 3);
    EXPECT_EQ(last_row_not_later(dates, 1, 1), 0);
    EXPECT_EQ(last_row_not_later(dates, 12, 31), 4);
    EXPECT_EQ(last_row_not_later({}, 5, 5), 0);
    EXPECT_EQ(corrected_row(dates, 2, 3, 1), 2);   // same date: stays
    EXPECT_EQ(corrected_row(dates, 1, 3, 5), 3);   // later: after the two 3/1 records, rows move up
    EXPECT_EQ(corrected_row(dates, 4, 1, 5), 2);   // earlier: after 1/5
    EXPECT_EQ(corrected_row(dates, 2, 2, 1), 2);   // earlier, but already in place
}

// The calendar is made when the dialog first shows: a day selected before then is
// the day it shows, on its page, and a day set outside its range or an invalid one
// ends as it would on a calendar made at once.
TEST_F(AppFixture, TheEntryCalendarIsMadeOnFirstShowWithTheDaySetBefore) {
    form2->set_calendar_date(QDate(2004, 3, 5));
    form2->set_calendar_date(QDate());  // ignored
    EXPECT_FALSE(form2->calendar_made());
    EXPECT_EQ(form2->calendar_date(), QDate(2004, 3, 5));
    form2->show();
    ASSERT_TRUE(form2->calendar_made());
    QCalendarWidget* calendar = form2->MonthCalendar1();
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2004, 3, 5));
    EXPECT_EQ(calendar->monthShown(), 3);
    EXPECT_EQ(calendar->yearShown(), 2004);
    form2->set_calendar_date(QDate(2004, 7, 1));
    EXPECT_EQ(form2->calendar_date(), QDate(2004, 7, 1));
    form2->hide();
    form2->show();  // a second opening keeps the one calendar
    EXPECT_EQ(form2->MonthCalendar1(), calendar);
    EXPECT_EQ(form2->findChildren<QCalendarWidget*>().size(), 1);

    {
        TForm2 other;
        QCalendarWidget reference;
        for (QDate date : {QDate(10000, 1, 2), QDate(99, 12, 31), QDate::fromJulianDay(-5)}) {
            other.set_calendar_date(date);
            reference.setSelectedDate(date);
            EXPECT_EQ(other.calendar_date(), reference.selectedDate()) << date.toJulianDay();
        }
        EXPECT_EQ(other.MonthCalendar1()->selectedDate(), reference.selectedDate());
    }
    Form2 = form2.get();
}

// Tab walks the dialog from the date to 登録 and never types into the comment.
TEST_F(EntryDialog, TabGoesFromTheDateThroughEveryFieldToTheCommitButton) {
    form1->SpeedButton1Click();
    QApplication::setActiveWindow(form2.get());
    form2->MonthCalendar1()->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"))->setFocus();
    const std::vector<QWidget*> fields = {form2->ComboBox1, form2->ComboBox2, form2->Edit1, form2->Edit2,
                                          form2->StringGrid1, form2->Memo1, form2->Button1};
    const auto field_of = [&](QWidget* w) -> QWidget* {
        for (QWidget* f : fields)
            if (w == f || f->isAncestorOf(w)) return f;
        return nullptr;
    };
    std::vector<QWidget*> visited;
    for (int i = 0; i < 20 && field_of(QApplication::focusWidget()) != form2->Button1; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = field_of(QApplication::focusWidget());
        if (f && (visited.empty() || visited.back() != f)) visited.push_back(f);
    }
    EXPECT_EQ(visited, fields);
    EXPECT_TRUE(form2->Memo1->toPlainText().isEmpty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(field_of(QApplication::focusWidget()), form2->Memo1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(field_of(QApplication::focusWidget()), form2->StringGrid1);
    EXPECT_TRUE(form2->Memo1->toPlainText().isEmpty());
}

}  // namespace
}  // namespace velmo::testing
