#include "entry/tform2.h"

#include <QBoxLayout>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/number_edit.h"
#include "framework/runtime.h"
#include "framework/text_guard.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "framework/string_grid.h"
#include "ledger/packed_fields.h"
#include "shell/tform1.h"

TForm2* Form2 = nullptr;

namespace {
using velmo::u;
}  // namespace

TForm2::TForm2() : QWidget(nullptr, Qt::Dialog) {
    Form2 = this;
    build();
    if (Form1 && Form1->on_entry_dialog_built) Form1->on_entry_dialog_built(*this);
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::build() {
    setWindowTitle(u("収支の記入"));
    setFont(velmo::ui_font(12));
    setFixedSize(420, 490);

    GroupBox1 = new QGroupBox(u("日付"), this);
    GroupBox1->setGeometry(8, 4, 230, 200);

    GroupBox2 = new QGroupBox(u("ホール名"), this);
    GroupBox2->setGeometry(246, 4, 166, 48);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setGeometry(6, 18, 154, 22);

    auto* l2 = new QLabel(u("プレイ機種名"), this);
    l2->setGeometry(246, 60, 160, 16);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setGeometry(246, 76, 166, 22);
    auto* l3 = new QLabel(u("投資金額"), this);
    l3->setGeometry(246, 106, 80, 16);
    Edit1 = new velmo::NumberEdit(this);
    Edit1->setGeometry(246, 122, 80, 22);
    Edit1->setProperty("Tag", 0);
    auto* l4 = new QLabel(u("回収金額"), this);
    l4->setGeometry(332, 106, 80, 16);
    Edit2 = new velmo::NumberEdit(this);
    Edit2->setGeometry(332, 122, 80, 22);
    Edit2->setProperty("Tag", 1);

    StringGrid1 = new velmo::StringGrid(this);
    StringGrid1->setGeometry(8, 208, 404, 218);  // every row visible: 20 + 9 x 18 + 20, lines and border
    StringGrid1->set_col_count(5);
    StringGrid1->set_row_count(11);
    StringGrid1->set_default_row_height(18);
    StringGrid1->set_row_height(0, 20);
    StringGrid1->set_row_height(10, 20);
    StringGrid1->set_fixed_rows(1);
    StringGrid1->set_fixed_cols(1);
    StringGrid1->set_row_select(true);
    const int widths[5] = {12, 162, 70, 76, 69};
    for (int c = 0; c < 5; ++c) StringGrid1->set_col_width(c, widths[c]);

    GroupBox4 = new QGroupBox(u("コメント"), this);
    GroupBox4->setGeometry(8, 428, 300, 58);
    Memo1 = new QPlainTextEdit(GroupBox4);
    Memo1->setGeometry(6, 16, 288, 36);
    // Tab moves on, as everywhere else in the dialog; a comment holds no tab.
    Memo1->setTabChangesFocus(true);

    GroupBox5 = new QGroupBox(this);
    GroupBox5->setGeometry(8, 488, 300, 60);
    ComboBox3 = new QComboBox(GroupBox5);
    ComboBox3->setGeometry(6, 22, 200, 22);
    GroupBox5->hide();

    Button1 = new QPushButton(u("登　　録"), this);
    Button1->setGeometry(316, 432, 96, 24);
    Button2 = new QPushButton(u("キャンセル"), this);
    Button2->setGeometry(316, 460, 96, 24);

    // Grid headers and row numbers.
    const char* headers[5] = {"", " プレイ機種名", "投資額 ", "回収額 ", "収　支 "};
    for (int c = 0; c < 5; ++c) StringGrid1->set_cell(c, 0, velmo::cp932_literal(headers[c]));
    for (int r = 1; r <= velmo::kMachinesPerRecord; ++r) StringGrid1->set_cell(0, r, std::to_string(r));
    StringGrid1->set_row(1);
    date_ = velmo::today();

    // Amounts are checked key by key (they take no input method, being NumberEdits);
    // texts stay storable within their fields.
    for (QLineEdit* e : {Edit1, Edit2}) e->installEventFilter(this);
    velmo::guard_text(Memo1, 2000);

    StringGrid1->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        drawcell(col, row, rect, state);
    };
    StringGrid1->on_click = [this] { sgClick(); };
    connect(ComboBox2, &QComboBox::editTextChanged, this, [this] { ChangeKishu(); });
    // Enter in a drop-down's edit field adds nothing to its list; the lists are
    // the registry's and the extra column's, filled by those dialogs alone.
    for (QComboBox* box : {ComboBox1, ComboBox2, ComboBox3}) box->setInsertPolicy(QComboBox::NoInsert);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

namespace {

// The calendar's header as a Japanese calendar reads it, 「2026年12月」: the year
// first, with its 年 (the spin box that edits it shows the 年 too, and Qt writes
// the year button's text from the spin box), then the month.
void japanese_calendar_header(QCalendarWidget& calendar) {
    auto* bar = calendar.findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    auto* year = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
    auto* year_edit = calendar.findChild<QSpinBox*>(QStringLiteral("qt_calendar_yearedit"));
    auto* row = bar ? qobject_cast<QBoxLayout*>(bar->layout()) : nullptr;
    if (!month || !year || !year_edit || !row) return;
    year_edit->setSuffix(QString::fromUtf8(u8"年"));
    year->setText(year_edit->text());
    row->removeWidget(month);
    row->insertWidget(std::max(row->indexOf(year), row->indexOf(year_edit)) + 1, month);
}

}  // namespace

QCalendarWidget* TForm2::MonthCalendar1() {
    if (!calendar_) {
        calendar_ = new QCalendarWidget(GroupBox1);
        calendar_->setGeometry(6, 16, 218, 178);
        calendar_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
        calendar_->setFirstDayOfWeek(Qt::Sunday);
        calendar_->setSelectedDate(date_);
        // The day columns are as wide as their texts need. Left to itself the
        // calendar's hidden header asks every column for the font's widest glyph,
        // which with Noto Sans CJK JP is over three times a day number's width and
        // would push the first columns out of the calendar's place.
        if (auto* days = calendar_->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview")))
            days->horizontalHeader()->setMinimumSectionSize(0);
        japanese_calendar_header(*calendar_);
        connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
            if (!filling_) date_chosen_ = true;
        });
        // In the focus order where it stands in the window, after its group box
        // (which takes no focus, so for this move only it is given some).
        GroupBox1->setFocusPolicy(Qt::TabFocus);
        QWidget::setTabOrder(GroupBox1, calendar_);
        GroupBox1->setFocusPolicy(Qt::NoFocus);
        // A child made after the window exists is shown with it only when told so.
        calendar_->show();
    }
    return calendar_;
}

QDate TForm2::calendar_date() const { return calendar_ ? calendar_->selectedDate() : date_; }

void TForm2::set_calendar_date(QDate date) {
    if (calendar_) {
        calendar_->setSelectedDate(date);
        return;
    }
    // As the calendar takes a date: an invalid one is ignored, one outside its
    // range is brought to the nearest end, and the same day again changes nothing.
    if (!date.isValid()) return;
    date = std::clamp(date, QDate::fromJulianDay(1), QDate(9999, 12, 31));
    if (date == date_) return;
    date_ = date;
    if (!filling_) date_chosen_ = true;
}

void TForm2::setVisible(bool visible) {
    if (visible) {
        MonthCalendar1();
        // The drop-downs get their edit fields (guarded like the stored texts) on the first showing.
        for (QComboBox* box : {ComboBox1, ComboBox2, ComboBox3})
            if (velmo::make_editable(*box)) velmo::guard_text(box, velmo::kShortTextMax);
    }
    QWidget::setVisible(visible);
}
