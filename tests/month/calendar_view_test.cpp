// The calendar view driven through the main window: switching, clicking days
// and lines, Prev and Next, the layout steps and the editing commands.
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "month/calendar_calc.h"
#include "month/calendar_paint.h"
#include "tests/support/app_fixture.h"
#include "views/palette.h"

namespace velmo::testing {
namespace {

using calendar::day_cell_rect;

struct Machine {
    const char* name;
    int investment;
    int payout;
};

class CalendarView : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start_empty_2004_ledger();
        form1->show();
    }

    // Writes one play record into the ledger's cells as the entry dialog does.
    void put(const char* date, const char* hall, std::initializer_list<Machine> machines, const char* comment = "") {
        std::vector<MachineEntry> entries;
        long long investment = 0, payout = 0;
        std::string names;
        for (const Machine& m : machines) {
            entries.push_back({m.name, std::to_string(m.investment), std::to_string(m.payout)});
            investment += m.investment;
            payout += m.payout;
            names += (names.empty() ? "" : sj("、")) + m.name;
        }
        append_record({date, hall, names, investment, payout, pack_machine_detail(entries), "", comment});
    }

    // A small year: one February day, three March days (two records on the 5th), one April day.
    void sample_year() {
        put(" 2/14", "HallA", {{"M1", 1000, 3000}});
        put(" 3/5", "HallA", {{"M1", 5000, 2000}}, "first");
        put(" 3/5", "HallB", {{"M2", 1000, 2000}, {"M3", 0, 0}}, "second");
        put(" 3/7", "HallB", {{"M2", 500, 500}});
        put(" 3/20", "HallA", {{"M1", 2000, 9000}});
        put(" 4/1", "HallC", {{"M4", 100, 0}});
        form1->refresh_after_change();
    }

    // Switches the calendar on at a year-list row.
    void show_calendar_at(int row) {
        form1->StringGrid1->set_row(row);
        QTest::mouseClick(form1->PaintBox1, Qt::LeftButton);
        ASSERT_TRUE(form1->view_flags & 1);
    }

    int w1() const { return calendar::first_weekday(2004, form1->cal_month); }
    QRect cell(int day) const { return day_cell_rect(w1(), day - 1, form1->width_step, form1->vsize_level); }
    void click_day(int day) { QTest::mouseClick(form1->Image3, Qt::LeftButton, {}, cell(day).center()); }
    // The fill of a day cell, read beside its left edge under the corner.
    QColor fill_of(int day) const {
        const QRect r = cell(day);
        return QColor(form1->calendar_bitmap.pixel(r.left() + 2, r.top() + 10));
    }
    void click_line(int line) {
        QTest::mouseClick(form1->StringGrid8, Qt::LeftButton, {}, form1->StringGrid8->cell_rect(0, line).center());
    }
    QString panel(int i) const { return form1->StatusBar1->panel_text(i); }
    std::string line(int col, int row) const { return form1->StringGrid8->cell(col, row); }
    std::string machine(int col, int row) const { return form1->StringGrid9->cell(col, row); }
};

TEST_F(CalendarView, SwitchingOnNeedsRecordsAndStartsOnTheSelectedRecordsDay) {
    TForm1& f = *form1;
    QTest::mouseClick(f.PaintBox1, Qt::LeftButton);
    EXPECT_EQ(f.view_flags, 0);  // an empty ledger has nothing to show
    EXPECT_TRUE(f.Image3->isHidden());
    EXPECT_EQ(f.PaintBox1->toolTip(), u("表示切替"));

    sample_year();
    show_calendar_at(12);  // beyond the last record: the last record's date, 1 April
    EXPECT_EQ(f.cal_month, 4);
    EXPECT_EQ(f.sel_day, 1);
    EXPECT_EQ(f.sel_index, 0);
    EXPECT_TRUE(f.StringGrid1->isHidden());
    EXPECT_TRUE(f.Splitter1->isHidden());
    for (QWidget* w : {static_cast<QWidget*>(f.Image3), f.Panel2, static_cast<QWidget*>(f.Bevel2),
                       static_cast<QWidget*>(f.StringGrid8), static_cast<QWidget*>(f.StringGrid9)})
        EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(f.input_cal->isVisible());
    EXPECT_EQ(f.Label3->height(), 253);
    EXPECT_EQ(f.Memo1->y(), 254);
    EXPECT_EQ(fill_of(1), active_caption_color());
    EXPECT_EQ(panel(0), u("BET: 100  PAYOUT: 0"));
    EXPECT_EQ(panel(1), u("4月TOTAL -100"));
    EXPECT_EQ(panel(2), u("HallC TOTAL -100"));

    // The pop-up's switch leads back to the year list with its details display.
    f.pop_calen->trigger();
    EXPECT_EQ(f.view_flags, 0);
    EXPECT_TRUE(f.StringGrid1->isVisible());
    EXPECT_TRUE(f.Splitter1->isVisible());
    EXPECT_TRUE(f.Image3->isHidden());
    EXPECT_TRUE(f.StringGrid8->isHidden());
    EXPECT_FALSE(f.input_cal->isVisible());
    EXPECT_EQ(f.Label3->height(), 0);
    EXPECT_EQ(f.Memo1->y(), f.StringGrid1->height() + 3);
    EXPECT_EQ(panel(0), QString());  // the selected row holds no record
    for (QAction* a : {f.InComeTeisei, f.InComeDelete1, f.N2, f.Delete1}) EXPECT_TRUE(a->isEnabled());
}

TEST_F(CalendarView, ClickingDaysAndLinesShowsRecordsMachinesAndTotals) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(3);  // the second record of 5 March
    EXPECT_EQ(f.cal_month, 3);
    EXPECT_EQ(f.sel_index, 4);
    EXPECT_EQ(f.day_records[5], 2);
    ASSERT_EQ(f.StringGrid8->row_count(), 3);
    EXPECT_EQ(line(0, 1), "HallA");
    EXPECT_EQ(line(1, 1), "-3000");
    EXPECT_EQ(line(0, 2), "HallB");
    EXPECT_EQ(line(1, 2), "1000");
    EXPECT_EQ(f.StringGrid8->height(), 17 * 3 + 4);
    EXPECT_EQ(f.StringGrid9->y(), f.StringGrid8->y() + f.StringGrid8->height() + 5);
    EXPECT_EQ(machine(1, 1), "-3000");
    EXPECT_EQ(f.Memo1->toPlainText(), u("first"));
    EXPECT_EQ(panel(0), u("BET: 6000  PAYOUT: 4000"));
    EXPECT_EQ(panel(1), u("3月TOTAL +5000"));
    EXPECT_EQ(panel(2), u("HallA TOTAL +6000"));
    EXPECT_EQ(fill_of(5), active_caption_color());
    EXPECT_EQ(fill_of(7), palette::neutral());      // played even
    EXPECT_EQ(fill_of(20), palette::win_strong());  // won
    EXPECT_EQ(fill_of(6), palette::neutral());      // no play

    // The second line: its machines, comment and hall.
    click_line(2);
    EXPECT_EQ(f.Memo1->toPlainText(), u("second"));
    ASSERT_EQ(f.StringGrid9->row_count(), 3);
    EXPECT_EQ(machine(0, 2), "M3");
    EXPECT_EQ(machine(1, 1), "1000");
    EXPECT_EQ(machine(1, 2), "0");
    EXPECT_EQ(panel(2), u("HallB TOTAL +1000"));

    // Another day: the old cell takes its result colour back.
    click_day(20);
    EXPECT_EQ(f.sel_day, 20);
    EXPECT_EQ(f.sel_index, 19);
    EXPECT_EQ(fill_of(20), active_caption_color());
    EXPECT_EQ(fill_of(5), palette::loss_strong());
    EXPECT_EQ(f.StringGrid8->row_count(), 2);
    EXPECT_EQ(line(1, 1), "7000");
    EXPECT_EQ(f.StringGrid8->row(), 1);
    for (QAction* a : {f.InComeTeisei, f.InComeDelete1, f.N2, f.Delete1}) EXPECT_TRUE(a->isEnabled());

    // A day without play: empty lists and texts, editing items off.
    click_day(6);
    EXPECT_EQ(f.StringGrid8->row_count(), 2);
    EXPECT_EQ(line(0, 1), "");
    EXPECT_EQ(line(1, 1), "");
    EXPECT_EQ(machine(0, 1), "");
    EXPECT_EQ(f.StringGrid8->height(), 2 * 16 + 6);
    EXPECT_EQ(f.Memo1->toPlainText(), QString());
    EXPECT_EQ(panel(0), QString());
    EXPECT_EQ(panel(1), u("3月TOTAL +5000"));
    EXPECT_EQ(panel(2), QString());
    for (QAction* a : {f.InComeTeisei, f.InComeDelete1, f.N2, f.Delete1}) EXPECT_FALSE(a->isEnabled());

    // Clicks on the selected day, before the first and after the last do nothing.
    const QImage before = f.calendar_bitmap;
    click_day(6);
    QTest::mouseClick(f.Image3, Qt::LeftButton, {}, QPoint(10, 5));  // above Sunday 29 February
    QTest::mouseClick(f.Image3, Qt::LeftButton, {}, QPoint(f.Image3->width() - 3, f.Image3->height() - 3));
    EXPECT_EQ(f.sel_day, 6);
    EXPECT_EQ(f.calendar_bitmap, before);
}

// The pop-up menu acts on the day under the pointer: a right-click selects it
// first, and over no day the menu's 訂正 and 削除 act on none.
TEST_F(CalendarView, ARightClickTakesTheDayUnderThePointer) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    click_day(5);
    ASSERT_TRUE(f.N2->isEnabled());
    QTest::mouseClick(f.Image3, Qt::RightButton, {}, cell(20).center());
    f.PopupMenu1->hide();
    EXPECT_EQ(f.sel_day, 20);
    EXPECT_TRUE(f.N2->isEnabled());
    QTest::mouseClick(f.Image3, Qt::RightButton, {}, QPoint(10, 5));  // above Sunday 29 February
    f.PopupMenu1->hide();
    for (QAction* a : {f.InComeTeisei, f.InComeDelete1, f.N2, f.Delete1}) EXPECT_FALSE(a->isEnabled());
    click_day(20);  // the day still selected: its records can be acted on again
    EXPECT_TRUE(f.N2->isEnabled());
    EXPECT_TRUE(f.Delete1->isEnabled());
}

TEST_F(CalendarView, TheDayListPaintsItsSelectedLineAndShadedHeader) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    const QImage days = f.StringGrid8->render_image();
    const QImage machines = f.StringGrid9->render_image();
    const QRect selected = f.StringGrid8->cell_rect(1, 1);
    EXPECT_EQ(QColor(days.pixel(selected.left() + 2, selected.center().y())), active_caption_color());
    const QRect second = f.StringGrid8->cell_rect(1, 2);
    EXPECT_EQ(QColor(days.pixel(second.left() + 2, second.center().y())), palette::neutral());
    // The machine list never highlights its current line.
    const QRect m = f.StringGrid9->cell_rect(1, 1);
    EXPECT_EQ(QColor(machines.pixel(m.left() + 2, m.center().y())), palette::neutral());
    // Header rows of 16 pixels start with the grey level 228.
    const QRect head = f.StringGrid8->cell_rect(0, 0);
    EXPECT_EQ(QColor(days.pixel(head.left() + 1, head.top())), QColor(228, 228, 228));
}

TEST_F(CalendarView, PrevAndNextChangeMonthsAndTheSelectionReturns) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    EXPECT_EQ(f.cal_month, 4);
    EXPECT_EQ(f.sel_index, -1);
    EXPECT_EQ(f.sel_month, 3);
    EXPECT_EQ(f.sel_day, 5);
    EXPECT_EQ(fill_of(5), palette::neutral());
    EXPECT_EQ(f.PaintBox2->grab().toImage().convertToFormat(QImage::Format_RGB32),
              calendar::month_number_image(4));

    // Back to February 2004: the 29th exists, the 30th is never drawn and cannot be clicked.
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    EXPECT_EQ(f.cal_month, 2);
    EXPECT_EQ(f.day_investment[30], calendar::kNoSuchDay);
    EXPECT_EQ(fill_of(29), palette::neutral());
    EXPECT_EQ(fill_of(14), palette::win_strong());
    const QRect thirtieth = cell(30);
    EXPECT_EQ(QColor(f.calendar_bitmap.pixel(thirtieth.center())), button_face_color());
    click_day(30);
    EXPECT_EQ(f.sel_month, 3);

    // January is the end; Prev stays there.
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    EXPECT_EQ(f.cal_month, 1);

    for (int i = 0; i < 2; ++i) QTest::mouseClick(f.Button2, Qt::LeftButton);
    EXPECT_EQ(f.cal_month, 3);
    EXPECT_EQ(f.sel_index, 4);
    EXPECT_EQ(fill_of(5), active_caption_color());

    // A month without play: its panel shows 0.
    for (int i = 0; i < 9; ++i) QTest::mouseClick(f.Button2, Qt::LeftButton);
    EXPECT_EQ(f.cal_month, 12);
    click_day(3);
    EXPECT_EQ(panel(1), u("12月TOTAL 0"));
}

TEST_F(CalendarView, CorrectionAndDeletionActOnTheChosenLine) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    click_line(2);
    f.N2->trigger();
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(f.edit_row, 3);
    EXPECT_EQ(form2->Button1->text(), u("訂　　正"));
    EXPECT_EQ(form2->ComboBox1->currentText(), u("HallB"));
    EXPECT_EQ(form2->MonthCalendar1()->selectedDate(), QDate(2004, 3, 5));
    form2->Button2Click();

    dialogs.answers = {true};
    f.Delete1->trigger();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("削除しますか？")});
    EXPECT_EQ(f.rec_count, 5);
    EXPECT_EQ(f.StringGrid1->cell(f.hall_col, 3), "HallB");  // the 7 March record moved up
    EXPECT_EQ(f.StringGrid1->cell(0, 3), " 3/7");
    EXPECT_EQ(f.day_records[5], 1);
    EXPECT_EQ(f.StringGrid8->row_count(), 2);
    EXPECT_EQ(line(0, 1), "HallA");
    EXPECT_EQ(panel(1), u("3月TOTAL +4000"));
    EXPECT_EQ(fill_of(5), active_caption_color());

    // Answering No changes nothing, the calendar's texts included.
    dialogs.answers = {false};
    f.InComeDelete1->trigger();
    EXPECT_EQ(f.rec_count, 5);
    EXPECT_EQ(panel(0), u("BET: 5000  PAYOUT: 2000"));

    // The day's last record, then nothing left to delete: no question, no change.
    dialogs.answers = {true};
    f.Delete1->trigger();
    EXPECT_EQ(f.rec_count, 4);
    EXPECT_EQ(f.day_flags[5] & calendar::kFirstRowMask, 0);
    EXPECT_EQ(line(1, 1), "");
    dialogs.shown.clear();
    f.Delete1->trigger();
    f.N2->trigger();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(f.rec_count, 4);
    EXPECT_EQ(f.StringGrid1->cell(0, 0), sj("日付"));
    EXPECT_EQ(f.StringGrid1->cell(0, 1), " 2/14");
}

TEST_F(CalendarView, AfterAMonthChangeTheListedLinesNoLongerStandForARecord) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    QTest::mouseClick(f.Button2, Qt::LeftButton);  // April: the selected 5 March is not shown
    dialogs.shown.clear();
    f.Delete1->trigger();
    f.N2->trigger();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(f.rec_count, 6);
}

TEST_F(CalendarView, NewRecordsStartOnTheSelectedDayAndMoveTheCalendar) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    click_day(7);
    QTest::mouseDClick(f.Image3, Qt::LeftButton, {}, cell(7).center());
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->Button1->text(), u("登　　録"));
    EXPECT_EQ(form2->MonthCalendar1()->selectedDate(), QDate(2004, 3, 7));

    // Entered for another month: the calendar follows it and remembers the selected day.
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 5, 9));
    form2->ComboBox1->setEditText(QStringLiteral("HallD"));
    form2->StringGrid1->set_row(1);
    form2->sgClick();
    form2->ComboBox2->setEditText(QStringLiteral("M5"));
    form2->Edit1->setFocus();
    QTest::keyClicks(form2->Edit1, QStringLiteral("1000"));
    QTest::keyClicks(form2->Edit2, QStringLiteral("4000"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(f.rec_count, 7);
    EXPECT_TRUE(f.view_flags & 1);
    EXPECT_EQ(f.cal_month, 5);
    EXPECT_EQ(f.day_flags[9], 7 | calendar::kDayWon);
    EXPECT_EQ(fill_of(9), palette::win_strong());
    EXPECT_EQ(f.sel_month, 3);
    EXPECT_EQ(f.sel_day, 7);
    EXPECT_EQ(f.sel_index, -1);

    // The pop-up's 記入 opens on the selected day as well.
    click_day(12);
    f.input_cal->trigger();
    EXPECT_EQ(form2->MonthCalendar1()->selectedDate(), QDate(2004, 5, 12));
    form2->Button2Click();
}

TEST_F(CalendarView, CommitFromTheCalendarShowsTheCommittedRecordInTheStatusBar) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    EXPECT_EQ(panel(0), u("BET: 6000  PAYOUT: 4000"));
    f.input_cal->trigger();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, 3, 20));
    form2->ComboBox1->setEditText(QStringLiteral("HallZ"));
    form2->StringGrid1->set_row(1);
    form2->ComboBox2->setEditText(QStringLiteral("M9"));  // no amounts: 0 / 0
    form2->Memo1->setPlainText(QStringLiteral("zero"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(f.rec_count, 7);
    EXPECT_EQ(panel(0), u("BET: 0  PAYOUT: 0"));
    EXPECT_EQ(panel(2), u("HallZ TOTAL 0"));
    EXPECT_EQ(f.Memo1->toPlainText(), QStringLiteral("zero"));
    EXPECT_EQ(f.sel_day, 5);  // the calendar keeps its selected day
    EXPECT_EQ(fill_of(5), active_caption_color());
}

TEST_F(CalendarView, CorrectionAndDeletionAreOfferedOnlyForAShownDayWithRecords) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    const auto offered = [&f](bool on) {
        for (QAction* a : {f.InComeTeisei, f.InComeDelete1, f.N2, f.Delete1}) EXPECT_EQ(a->isEnabled(), on) << a->text().toStdString();
    };
    offered(true);
    QTest::mouseClick(f.Button2, Qt::LeftButton);  // April: the lists still show 5 March
    offered(false);
    QTest::mouseClick(f.Button1, Qt::LeftButton);  // back to March: the day is shown again
    offered(true);
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    offered(false);
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    offered(true);

    // Deleting the day's last record leaves nothing to correct or delete.
    click_day(7);
    dialogs.answers = {true};
    f.Delete1->trigger();
    EXPECT_EQ(f.rec_count, 5);
    offered(false);
    f.Change_scrn();
    offered(true);  // the year list decides for itself when its menu opens
}

TEST_F(CalendarView, FileCommandsRedrawTheCalendarForTheLedgerTheyLoad) {
    TForm1& f = *form1;
    const QString previous_dir = QDir::currentPath();
    QDir::setCurrent(dir.path());  // new ledgers are named in the current directory
    sample_year();
    show_calendar_at(2);  // March 2004, the 5th selected
    ASSERT_EQ(line(0, 1), "HallA");

    // New: an empty 2005 ledger; March is drawn again, without records.
    dialogs.inputs = {QStringLiteral("2005")};
    f.New1Click();
    EXPECT_EQ(f.year_text, "2005");
    EXPECT_TRUE(f.view_flags & 1);
    EXPECT_EQ(f.cal_month, 3);
    const int w2005 = calendar::first_weekday(2005, 3);
    EXPECT_NE(w2005, w1());
    for (int d : {5, 7, 20}) EXPECT_EQ(f.day_investment[static_cast<size_t>(d)], calendar::kNoRecords) << d;
    const QRect twentieth = day_cell_rect(w2005, 19, f.width_step, f.vsize_level);
    EXPECT_EQ(QColor(f.calendar_bitmap.pixel(twentieth.left() + 2, twentieth.top() + 10)), palette::neutral());
    EXPECT_EQ(line(0, 1), "");
    EXPECT_EQ(panel(0), QString());

    // Open: a ledger with a record on the selected day shows it at once.
    LedgerImage image;
    image.year = "2006";
    image.records.push_back({" 3/5", "", "HallO", "M", pack_machine_detail({{"M", "300", "100"}}),
                             pack_day_totals({"300", "100"}), "-200", "", 0});
    write_bytes(QStringLiteral("o.vqd"), encode_ledger(image));
    dialogs.files = {path(QStringLiteral("o.vqd"))};
    f.Open1Click();
    EXPECT_EQ(f.year_text, "2006");
    EXPECT_EQ(f.day_investment[5], 300);
    EXPECT_EQ(line(0, 1), "HallO");
    EXPECT_EQ(panel(0), u("BET: 300  PAYOUT: 100"));
    EXPECT_TRUE(f.N2->isEnabled());

    // A dropped file while another month is shown: the lists no longer hold the old ledger.
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    image.year = "2007";
    image.records[0].hall = "HallP";
    write_bytes(QStringLiteral("p.vqd"), encode_ledger(image));
    EXPECT_TRUE(f.WMDropFiles({QUrl::fromLocalFile(path(QStringLiteral("p.vqd")))}));
    EXPECT_EQ(f.year_text, "2007");
    EXPECT_EQ(f.cal_month, 4);
    EXPECT_EQ(line(0, 1), "");
    EXPECT_FALSE(f.N2->isEnabled());
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    EXPECT_EQ(line(0, 1), "HallP");
    QDir::setCurrent(previous_dir);
}

// Out of the calendar view the weekday header is not drawn at each layout step; the
// picture shown afterwards is the one the steps would give in the view.
TEST_F(CalendarView, LayoutStepsInTheYearListGiveTheSamePictureWhenTheCalendarShows) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    QTest::mouseClick(f.Button3, Qt::LeftButton);  // wider, in the view
    const QImage in_view = f.calendar_bitmap;
    EXPECT_EQ(QColor(in_view.pixel(382, 12)), calendar::gray_text_color());

    f.Change_scrn();
    QTest::mouseClick(f.Button4, Qt::LeftButton);  // narrower and wider again, in the year list
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    EXPECT_TRUE(f.weekday_header_due);
    show_calendar_at(2);
    EXPECT_FALSE(f.weekday_header_due);
    EXPECT_EQ(f.calendar_bitmap, in_view);
}

TEST_F(CalendarView, LayoutStepsRedrawAtTheNewSizeWithTheSameSelection) {
    TForm1& f = *form1;
    sample_year();
    show_calendar_at(2);
    QTest::mouseClick(f.Button3, Qt::LeftButton);  // wider
    EXPECT_EQ(f.width_step, 1);
    EXPECT_EQ(f.Image3->width(), 383);
    EXPECT_EQ(f.calendar_bitmap.width(), 383);
    EXPECT_EQ(f.Bevel2->width(), 387);
    EXPECT_EQ(f.StringGrid8->x(), 506);
    EXPECT_EQ(f.StringGrid8->width(), 145);
    EXPECT_EQ(f.StringGrid9->col_width(0), 93);
    EXPECT_EQ(fill_of(5), active_caption_color());
    EXPECT_EQ(fill_of(20), palette::win_strong());

    QTest::mouseClick(f.Button6, Qt::LeftButton);  // taller
    EXPECT_EQ(f.vsize_level, 1);
    EXPECT_EQ(f.Image3->height(), 243);
    EXPECT_EQ(f.calendar_bitmap.height(), 243);
    EXPECT_EQ(f.Label3->height(), 266);
    EXPECT_EQ(f.Memo1->y(), 267);
    EXPECT_EQ(f.StringGrid8->default_row_height(), 17);
    EXPECT_EQ(f.StringGrid8->height(), 18 * 3 + 4);
    EXPECT_EQ(f.cal_month, 3);
    EXPECT_EQ(fill_of(5), active_caption_color());
    EXPECT_EQ(fill_of(20), palette::win_strong());
    // The weekday rule is drawn across the new width.
    EXPECT_EQ(QColor(f.calendar_bitmap.pixel(382, 12)), calendar::gray_text_color());

    // Back in the year list the comment area follows the list again.
    f.Change_scrn();
    EXPECT_EQ(f.Memo1->y(), f.StringGrid1->height() + 3);
}

}  // namespace
}  // namespace velmo::testing
