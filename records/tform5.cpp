#include "records/tform5.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/draw.h"
#include "framework/runtime.h"
#include "framework/save_dialogs.h"
#include "framework/user_files.h"
#include "framework/widgets.h"
#include "records/records_paint.h"
#include "shell/tform1.h"
#include "views/header_shading.h"

TForm5* Form5 = nullptr;

namespace {

using velmo::u;


void set_widths(velmo::StringGrid* grid, std::initializer_list<int> widths) {
    int c = 0;
    for (int w : widths) grid->set_col_width(c++, w);
}

void set_headers(velmo::StringGrid* grid, std::initializer_list<const std::string*> texts) {
    int c = 0;
    for (const std::string* t : texts) grid->set_cell(c++, 0, *t);
}

QLabel* bar_label(QWidget* parent, int x, int width, Qt::Alignment align) {
    auto* l = new QLabel(parent);
    // Down to the foot of the page, its text on the baseline it has in a bar of 16.
    l->setGeometry(x, 195, width, 15);
    l->setContentsMargins(0, 1, 0, 0);
    l->setFont(velmo::ui_font(14));
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}

}  // namespace

TForm5::TForm5()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint) {
    Form5 = this;
    build();
    read_records();
    saved_state_ = records_image();
}

TForm5::~TForm5() {
    if (Form5 == this) Form5 = nullptr;
}

velmo::StringGrid* TForm5::grid(int tag) const {
    switch (tag) {
    case 0: return StringGrid1;
    case 1: return StringGrid2;
    case 2: return StringGrid3;
    case 3: return StringGrid4;
    case 4: return StringGrid5;
    default: return nullptr;
    }
}

QString TForm5::records_path() { return velmo::user_file_write_path(QStringLiteral("velmo.rcd")); }

void TForm5::build() {
    setFont(velmo::ui_font(12));
    setFixedSize(648, 237);

    PageControl1 = new velmo::TabControl(this, 25);  // the pages keep 210 pixels for the table and its bar
    PageControl1->setGeometry(0, 0, 648, 237);
    const char* captions[] = {"生涯収支", "収支ﾍﾞｽﾄ10", "収支ﾜｰｽﾄ10", "月間ﾍﾞｽﾄ10", "月間ﾜｰｽﾄ10"};
    const char* hints[] = {"生涯成績", "勝ち額ﾗﾝｷﾝｸﾞ", "負け額ﾗﾝｷﾝｸﾞ", "月間勝ち額ﾗﾝｷﾝｸﾞ", "月間負け額ﾗﾝｷﾝｸﾞ"};
    std::vector<velmo::Page> pages;
    for (int i = 0; i < 5; ++i) {
        TabSheet[static_cast<std::size_t>(i)] = new QWidget;
        pages.push_back({TabSheet[static_cast<std::size_t>(i)], u(captions[i])});
    }
    velmo::add_pages(*PageControl1, pages);
    for (int i = 0; i < 5; ++i) PageControl1->setTabToolTip(i, u(hints[i]));

    StaticText1 = new QLabel(this);
    StaticText1->setGeometry(400, 1, 244, 20);
    StaticText1->setFont(velmo::ui_font(15));
    StaticText1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StaticText1->setStyleSheet(QStringLiteral("color: rgb(0,0,128);"));
    StaticText1->raise();

    // Per-year table and its TOTAL bar.
    StringGrid1 = new velmo::StringGrid(TabSheet[0]);
    StringGrid1->setGeometry(1, 0, 641, 193);
    StringGrid1->tag = 0;
    StringGrid1->set_col_count(static_cast<int>(velmo::kYearColumns));
    StringGrid1->set_row_count(kYearGridRows);
    StringGrid1->set_fixed_rows(1);
    StringGrid1->set_fixed_cols(0);
    StringGrid1->set_default_col_width(88);
    StringGrid1->set_default_row_height(18);
    set_widths(StringGrid1, {88, 88, 88, 88, 91, kYearLastWidth});
    StringGrid1->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        SGrid1Draw(col, row, rect, state);
    };
    Label1 = bar_label(TabSheet[0], 3, 88, Qt::AlignHCenter);
    Label1->setText(u("ＴＯＴＡＬ"));
    Label2 = bar_label(TabSheet[0], 92, 86, Qt::AlignRight);
    Label3 = bar_label(TabSheet[0], 181, 86, Qt::AlignRight);
    Label4 = bar_label(TabSheet[0], 270, 86, Qt::AlignRight);
    Label5 = bar_label(TabSheet[0], 359, 278, Qt::AlignRight);

    // Ranking tables: ranks 1..10 and a spare row that stays empty.
    for (int tag = 1; tag <= 4; ++tag) {
        auto* g = new velmo::StringGrid(TabSheet[static_cast<std::size_t>(tag)]);
        const bool months = tag >= 3;
        g->tag = tag;
        g->set_col_count(static_cast<int>(months ? velmo::kMonthColumns : velmo::kRecordColumns));
        g->set_row_count(kRankGridRows);
        g->set_fixed_rows(1);
        g->set_fixed_cols(1);
        g->set_default_row_height(16);
        if (months) {
            set_widths(g, {20, 99, 92, 92, 92, 167});
            g->setGeometry(35, 0, 4 + 562 + 5, 207);
        } else {
            set_widths(g, {20, 95, 141, 181, 65, 65, 65});
            g->setGeometry(1, 0, 4 + 632 + 6, 207);
        }
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        g->setFocusPolicy(Qt::NoFocus);
        g->on_draw_cell = [this, g](int col, int row, const QRect& rect, velmo::DrawState state) {
            SGrid2Draw(g, col, row, rect, state);
        };
        if (tag == 1) StringGrid2 = g;
        if (tag == 2) StringGrid3 = g;
        if (tag == 3) StringGrid4 = g;
        if (tag == 4) StringGrid5 = g;
    }
}

void TForm5::write_headers() {
    set_headers(StringGrid1, {&SJ(u8"年"), &SJ(u8"投資総額 "), &SJ(u8"換金総額 "), &SJ(u8"収　支 "), &SJ(u8"合　計 "),
                              &SJ(u8"勝　率 ")});
    for (velmo::StringGrid* g : {StringGrid2, StringGrid3})
        set_headers(g, {&SJ(u8"No"), &SJ(u8" 日  付"), &SJ(u8" ホール名"), &SJ(u8" プレイ機種"), &SJ(u8"投資額 "),
                        &SJ(u8"回収額 "), &SJ(u8"収　支 ")});
    for (velmo::StringGrid* g : {StringGrid4, StringGrid5})
        set_headers(g, {&SJ(u8"No"), &SJ(u8" 年  月"), &SJ(u8"投資総額 "), &SJ(u8"回収総額 "), &SJ(u8"収　支 "),
                        &SJ(u8"勝　率 ")});
}

void TForm5::read_records() {
    setWindowTitle(u("生涯記録、収支"));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
    write_headers();
    for (velmo::StringGrid* g : {StringGrid2, StringGrid3})
        for (int c = 4; c <= 6; ++c) g->set_col_width(c, 65);
    for (velmo::StringGrid* g : {StringGrid4, StringGrid5})
        for (int c = 2; c <= 4; ++c) g->set_col_width(c, 92);
    for (int tag = 1; tag <= 4; ++tag)
        for (int r = 1; r <= static_cast<int>(velmo::kRanks); ++r) grid(tag)->set_cell(0, r, std::to_string(r));

    const QString path = velmo::user_file_read_path(QStringLiteral("velmo.rcd"));
    // A save of the file that did not finish is settled before a byte of it is read.
    velmo::offer_interrupted_save(path);
    const velmo::FileRead read = velmo::read_input_file(path);
    if (read.status == velmo::ReadStatus::TooLarge) {
        velmo::dialogs().message(velmo::too_large_message(path));
        file_refused = true;
    }
    if (read.status == velmo::ReadStatus::Ok) {
        velmo::DecodedRecords file;
        const bool foreign = velmo::decode_records(read.bytes, file) == velmo::RecordsDecode::WrongMagic;
        // A file cut short or not of this kind is told, and written over only when the user says so.
        if (foreign || !file.complete) {
            velmo::dialogs().message(velmo::damaged_file_message(path));
            file_damaged = true;
        }
        if (foreign) return;
        const velmo::RecordsImage held = velmo::held_records(file, StringGrid1->row_count());
        if (file.has_header) {
            StaticText1->setText(velmo::from_cp932(held.total_text));
            Label5->setText(velmo::from_cp932(held.win_text));
        }
        // Year rows stay together from row 1, whatever order a damaged file had.
        put_year_rows(held.tables[0]);
        for (int tag = 1; tag <= 4; ++tag) put_rank_rows(tag, held.tables[static_cast<std::size_t>(tag)]);
    }
    std::vector<velmo::TableRow> rows = year_rows();
    show_year_sums(velmo::sum_years(rows, false));
    if (StringGrid1->row_count() > kYearGridRows)
        StringGrid1->set_col_width(5, kYearLastWidth - style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

std::vector<velmo::TableRow> TForm5::year_rows() const {
    std::vector<velmo::TableRow> rows;
    for (int r = 1; r < StringGrid1->row_count(); ++r) {
        if (StringGrid1->cell(0, r).empty()) continue;
        velmo::TableRow row;
        for (int c = 0; c < StringGrid1->col_count(); ++c) row.push_back(StringGrid1->cell(c, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<velmo::TableRow> TForm5::rank_rows(int tag) const {
    const velmo::StringGrid* g = grid(tag);
    std::vector<velmo::TableRow> rows;
    for (int r = 1; r <= static_cast<int>(velmo::kRanks) && !g->cell(1, r).empty(); ++r) {
        velmo::TableRow row;
        for (int c = 0; c < g->col_count(); ++c) row.push_back(g->cell(c, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

void TForm5::put_year_rows(const std::vector<velmo::TableRow>& rows) {
    const int n = static_cast<int>(rows.size());
    if (StringGrid1->row_count() < n + 1) StringGrid1->set_row_count(n + 1);
    for (int r = 1; r < StringGrid1->row_count(); ++r) {
        const velmo::TableRow* row = r <= n ? &rows[static_cast<std::size_t>(r - 1)] : nullptr;
        for (int c = 0; c < StringGrid1->col_count(); ++c)
            StringGrid1->set_cell(c, r, row && c < static_cast<int>(row->size()) ? (*row)[static_cast<std::size_t>(c)]
                                                                                 : std::string());
    }
    StringGrid1->invalidate();
}

void TForm5::put_rank_rows(int tag, const std::vector<velmo::TableRow>& rows) {
    velmo::StringGrid* g = grid(tag);
    for (int r = 1; r < g->row_count(); ++r) {
        const std::size_t i = static_cast<std::size_t>(r - 1);
        const velmo::TableRow* row = i < rows.size() && r <= static_cast<int>(velmo::kRanks) ? &rows[i] : nullptr;
        for (int c = 1; c < g->col_count(); ++c)
            g->change_cell(c, r, row && c < static_cast<int>(row->size()) ? std::string_view((*row)[static_cast<std::size_t>(c)])
                                                                           : std::string_view());
    }
    g->invalidate();
}

void TForm5::show_year_sums(const velmo::LifetimeSums& sums) {
    Label2->setText(QString::number(sums.investment));
    Label3->setText(QString::number(sums.payout));
    Label4->setText(QString::number(sums.balance));
}

void TForm5::show_lifetime_totals(const velmo::LifetimeSums& sums) {
    StaticText1->setText(velmo::from_cp932(velmo::lifetime_balance_text(sums.balance)));
    show_year_sums(sums);
    Label5->setText(velmo::from_cp932(velmo::lifetime_win_text(sums.counts)));
}

void TForm5::update_year_table() {
    if (!Form1) return;
    const TForm1& f = *Form1;
    std::vector<velmo::TableRow> rows = year_rows();
    const std::size_t old_n = rows.size();
    const int old_count = StringGrid1->row_count();
    if (f.rec_count == 0) {
        velmo::remove_year_row(rows, f.year_text);
    } else {
        const velmo::MonthlyTexts& months = Form1->monthly_texts();
        const auto& total = months[TForm1::kMonthlyTotalRow - 1];
        const std::size_t at = velmo::place_year_row(rows, f.year_text,
                                                     velmo::year_row(f.year_text, total[0], total[1], total[3], total[4]));
        if (static_cast<int>(rows.size()) + 1 > old_count) {
            StringGrid1->set_row_count(static_cast<int>(rows.size()) + 1);
            // A year after every other one, with no empty row left for it.
            if (at == old_n) StringGrid1->set_col_width(5, kYearGrownWidth);
        }
    }
    const velmo::LifetimeSums sums = velmo::sum_years(rows, true);
    put_year_rows(rows);
    show_lifetime_totals(sums);
}

void TForm5::update_rankings() {
    if (!Form1) return;
    const TForm1& f = *Form1;
    velmo::Rankings rankings{rank_rows(1), rank_rows(2), rank_rows(3), rank_rows(4)};
    // The balances as kept beside the year list; the texts of a record are read
    // only when it reaches the ten.
    const auto figures = Form1->ledger_figures().rows();
    std::vector<std::int64_t> balances;
    balances.reserve(figures.size());
    for (const velmo::RowFigures& record : figures) balances.push_back(record.balance);
    const velmo::LedgerView& ledger = Form1->ledger_view();
    velmo::LedgerRecord held;  // the record the texts of the last call point into
    const auto record_at = [&ledger, &held](std::size_t i) {
        held = ledger.record(static_cast<int>(i) + 1);
        return velmo::RecordTexts{held.date, held.hall, held.machines, held.totals, held.balance};
    };
    std::vector<velmo::MonthTexts> months;
    const velmo::MonthlyTexts& texts = Form1->monthly_texts();
    for (int m = 1; m <= 12 && !texts[static_cast<std::size_t>(m - 1)][0].empty(); ++m) {
        const auto& t = texts[static_cast<std::size_t>(m - 1)];
        months.push_back(velmo::MonthTexts{velmo::month_label(m), t[0], t[1], t[2], t[4]});
    }
    velmo::update_rankings(rankings, f.year_text, balances, record_at, months);
    put_rank_rows(1, rankings.best_records);
    put_rank_rows(2, rankings.worst_records);
    put_rank_rows(3, rankings.best_months);
    put_rank_rows(4, rankings.worst_months);
}

velmo::RecordsImage TForm5::records_image() const {
    velmo::RecordsImage image;
    image.total_text = velmo::cp932_lossy(StaticText1->text());
    image.win_text = velmo::cp932_lossy(Label5->text());
    image.tables[0] = year_rows();
    for (int tag = 1; tag <= 4; ++tag) image.tables[static_cast<std::size_t>(tag)] = rank_rows(tag);
    return image;
}

void TForm5::write_records() {
    const QString path = velmo::user_file_write_path(QStringLiteral("velmo.rcd"), true);
    // The ledger was saved: these tables are what the saved ledgers say, also
    // when the record file itself cannot be written.
    saved_state_ = records_image();
    if (file_damaged && !file_refused) {
        file_damaged = false;
        if (!velmo::dialogs().question(velmo::overwrite_damaged_question(path))) file_refused = true;
    }
    if (file_refused) return;
    velmo::save_with_dialogs(path, velmo::encode_records(saved_state_));
}

void TForm5::restore_saved_state() {
    const velmo::RecordsImage& s = saved_state_;
    put_year_rows(s.tables[0]);
    for (int tag = 1; tag <= 4; ++tag) put_rank_rows(tag, s.tables[static_cast<std::size_t>(tag)]);
    StaticText1->setText(velmo::from_cp932(s.total_text));
    Label5->setText(velmo::from_cp932(s.win_text));
    std::vector<velmo::TableRow> rows = s.tables[0];
    show_year_sums(velmo::sum_years(rows, false));
}

void TForm5::form5open() {
    if (Form1) Form1->setEnabled(false);
}

void TForm5::form5close() {
    if (Form1) {
        Form1->setEnabled(true);
        Form1->show();
    }
}

void TForm5::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    form5open();
}

void TForm5::closeEvent(QCloseEvent* event) {
    form5close();
    event->accept();
}

void TForm5::SGrid1Draw(int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter& p = *StringGrid1->canvas();
    p.setFont(velmo::ui_font(15));
    p.setPen(Qt::black);
    const Qt::Alignment align = Qt::AlignBottom | (col == 0 ? Qt::AlignHCenter : Qt::AlignRight);
    const QString text = velmo::from_cp932(StringGrid1->cell(col, row));
    if (row == 0) {
        velmo::header_shading(p, rect, StringGrid1->row_height(0), col == 0);
    } else {
        p.fillRect(rect, velmo::year_cell_fill(col, StringGrid1->cell(0, row), StringGrid1->cell(3, row),
                                               StringGrid1->cell(4, row)));
    }
    velmo::draw_text_in_rect(p, rect, text, align);
}

void TForm5::SGrid2Draw(velmo::StringGrid* sender, int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter& p = *sender->canvas();
    p.setFont(velmo::ui_font(15));
    p.setPen(Qt::black);
    const bool months = sender->tag >= 3;
    Qt::Alignment h = Qt::AlignRight;
    if (col == 0) h = Qt::AlignHCenter;
    else if (col == 1 || (!months && col <= 3)) h = Qt::AlignLeft;
    if (row == 0 || col == 0) {
        velmo::header_shading(p, rect, sender->row_height(0), col == 0);
    } else {
        p.fillRect(rect, velmo::rank_cell_fill(sender->tag, row, !sender->cell(1, row).empty()));
    }
    velmo::draw_text_in_rect(p, rect, velmo::from_cp932(sender->cell(col, row)), Qt::AlignBottom | h);
}
