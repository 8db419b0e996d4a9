#include "analysis/analysis_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <tuple>

#include "analysis/distribution_chart.h"
#include "analysis/year_files.h"
#include "play/expect_chart.h"
#include "budget/budget.h"
#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/widgets.h"
#include "ledger/ledger_csv.h"
#include "views/palette.h"
#include "views/win_rate.h"

namespace velmo::analysis {

namespace {

constexpr int kFontHeight = 13;
const char* const kUndefinedText = "—";
const char* const kWeekdayNames[] = {"日", "月", "火", "水", "木", "金", "土"};

enum Column { kKeyColumn, kFewColumn, kVisitsColumn, kInvestmentColumn, kPayoutColumn, kBalanceColumn, kRateColumn,
              kMeanColumn, kColumnCount };
// The columns a slice with play data adds after the others.
enum PlayColumn { kHoursColumn = kColumnCount, kHourlyColumn, kPlayColumnCount };
// And those a slice with machine numbers adds after them.
enum ExpectColumn { kMeanRateColumn = kPlayColumnCount, kBorderGapColumn, kWorkColumn, kLuckColumn, kExpectColumnCount };
// An item whose text, not its number, is what a copy of the table takes (a figure in tenths).
constexpr int kTextCopyRole = Qt::UserRole + 1;

// The play figures the overview shows while the slice has play data, below the budget.
constexpr PlayFigureId kOverviewPlayRows[] = {PlayFigureId::Hours, PlayFigureId::Hourly, PlayFigureId::ExchangeLoss,
                                              PlayFigureId::HeldRatio};

// Tenths as text with one decimal ("12.5").
QString tenths_text(std::int64_t tenths) {
    return QString::fromStdString(figure_text(OverviewFigure{"", FigureFormat::Hours, tenths}));
}

QString yen(std::int64_t v) { return yen_qtext(v); }

// The overview's rows: caption, half (0 left, 1 right), the figure of the one
// table of figures that --analyze prints too, and the unit of a count. 勝敗 and
// 95%信頼区間 show two and three figures from the first one on.
enum class OverviewRow {
    Visits, PlayDays, Investment, Payout, Balance, Rate, WinLoss, Mean, Median, Deviation, Interval,
    LargestWin, LargestLoss, WinStreak, LossStreak, MaxDrawdown, CurrentDrawdown,
};
struct OverviewRowLayout {
    OverviewRow row;
    const char* caption;
    int half;
    FigureId figure;
    const char* unit;
};
constexpr OverviewRowLayout kOverviewRows[] = {
    {OverviewRow::Visits, "来店数", 0, FigureId::Visits, "回"},
    {OverviewRow::PlayDays, "遊技日数", 0, FigureId::PlayDays, "日"},
    {OverviewRow::Investment, "投資", 0, FigureId::Investment, ""},
    {OverviewRow::Payout, "回収", 0, FigureId::Payout, ""},
    {OverviewRow::Balance, "収支", 0, FigureId::Balance, ""},
    {OverviewRow::Rate, "回収率", 0, FigureId::Rate, ""},
    {OverviewRow::WinLoss, "勝敗", 0, FigureId::Wins, ""},
    {OverviewRow::Mean, "平均", 0, FigureId::Mean, ""},
    {OverviewRow::Median, "中央値", 0, FigureId::Median, ""},
    {OverviewRow::Deviation, "標準偏差", 0, FigureId::Deviation, ""},
    {OverviewRow::Interval, "95%信頼区間", 0, FigureId::IntervalLower, ""},
    {OverviewRow::LargestWin, "最大勝ち", 1, FigureId::LargestWin, ""},
    {OverviewRow::LargestLoss, "最大負け", 1, FigureId::LargestLoss, ""},
    {OverviewRow::WinStreak, "最長連勝", 1, FigureId::WinStreak, "回"},
    {OverviewRow::LossStreak, "最長連敗", 1, FigureId::LossStreak, "回"},
    {OverviewRow::MaxDrawdown, "最大ドローダウン", 1, FigureId::MaxDrawdown, ""},
    {OverviewRow::CurrentDrawdown, "現在のドローダウン", 1, FigureId::CurrentDrawdown, ""},
};

QString date_text(const Date& d) {
    return QStringLiteral("%1/%2/%3").arg(d.year).arg(d.month).arg(d.day);
}

QString name_text(const std::string& cp932) {
    return cp932.empty() ? u("（空欄）") : from_cp932(cp932);
}

void set_ink(QLabel* label, const QColor& color) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

// An item sorted by its number (Qt::UserRole) when it has one, else by its text.
class FigureItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(Qt::UserRole);
        const QVariant b = other.data(Qt::UserRole);
        if (a.isValid() && b.isValid()) return a.toDouble() < b.toDouble();
        return text().localeAwareCompare(other.text()) < 0;
    }
};

QTableWidgetItem* item(const QString& text, const QVariant& number, Qt::Alignment align) {
    auto* it = new FigureItem(text);
    if (number.isValid()) it->setData(Qt::UserRole, number);
    it->setTextAlignment(align | Qt::AlignVCenter);
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return it;
}

QTableWidgetItem* amount_item(std::int64_t v) {
    QTableWidgetItem* it = item(yen(v), QVariant::fromValue(static_cast<qlonglong>(v)), Qt::AlignRight);
    if (v < 0) it->setForeground(palette::loss_ink());
    return it;
}

// Fills a combo box with "すべて" and the given names, each with its number,
// keeping the name chosen before when it is still there.
void fill_names(QComboBox* box, const std::vector<std::string>& names) {
    const QString chosen = box->currentIndex() > 0 ? box->currentText() : QString();
    std::vector<std::pair<QString, std::uint32_t>> items;
    for (std::size_t i = 0; i < names.size(); ++i) items.emplace_back(name_text(names[i]), static_cast<std::uint32_t>(i));
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first.localeAwareCompare(b.first) < 0; });
    box->clear();
    box->addItem(u("すべて"));
    for (const auto& [text, number] : items) box->addItem(text, QVariant::fromValue(number));
    box->setCurrentIndex(std::max(0, box->findText(chosen)));
}

std::optional<std::uint32_t> chosen_number(const QComboBox* box) {
    if (box->currentIndex() <= 0 || !box->currentData().isValid()) return std::nullopt;
    return box->currentData().toUInt();
}

}  // namespace

// ---- FiguresTable ----

FiguresTable::FiguresTable(QWidget* parent) : QTableWidget(parent) {
    setColumnCount(kColumnCount);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(kKeyColumn, QHeaderView::Stretch);
    // Unsorted until a header is clicked: rows in the order of their keys.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
}

void FiguresTable::keyPressEvent(QKeyEvent* event) {
    // Ctrl+C copies the whole table, whatever is selected.
    if (event->matches(QKeySequence::Copy)) {
        copy_to_clipboard();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

QString FiguresTable::tsv() const {
    QStringList lines;
    QStringList cells;
    // A field holding a tab, a quote or a line break is quoted, as spreadsheets read such text.
    const auto field = [](const QString& text) { return delimited_field(text, QLatin1Char('\t')); };
    for (int c = 0; c < columnCount(); ++c) cells << field(horizontalHeaderItem(c)->text());
    lines << cells.join(QLatin1Char('\t'));
    for (int r = 0; r < rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < columnCount(); ++c) {
            const QTableWidgetItem* it = item(r, c);
            if (!it) {
                cells << QString();
                continue;
            }
            // Amounts as plain numbers, so that a spreadsheet reads them as numbers.
            const bool plain = c >= kVisitsColumn && c != kRateColumn && c != kHoursColumn &&
                               !it->data(kTextCopyRole).isValid() && it->data(Qt::UserRole).isValid() &&
                               it->text() != u(kUndefinedText);
            cells << field(plain ? it->data(Qt::UserRole).toString() : it->text());
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void FiguresTable::copy_to_clipboard() const { QApplication::clipboard()->setText(tsv()); }

// ---- AnalysisWindow ----

AnalysisWindow::AnalysisWindow(LedgerView& ledger, const PlayerSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), ledger_(ledger), settings_(settings) {
    setWindowTitle(u("収支分析"));
    setFont(ui_font(kFontHeight));
    resize(680, 520);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    // The filter bar.
    auto* bar = new QGridLayout;
    bar->setHorizontalSpacing(6);
    bar->setVerticalSpacing(4);
    const auto box = [&](const char* caption, int row, int column, bool filter = true) {
        auto* label = new QLabel(u(caption), this);
        auto* combo = new QComboBox(this);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(6);
        bar->addWidget(label, row, column);
        bar->addWidget(combo, row, column + 1);
        if (filter)
            connect(combo, &QComboBox::activated, this, [this] {
                if (!filling_) recompute();
            });
        return std::pair{label, combo};
    };
    range_box = box("範囲", 0, 0, false).second;
    range_box->addItems({u("この年"), u("全年")});
    hall_box = box("ホール", 0, 2).second;
    machine_box = box("機種", 0, 4).second;
    weekday_box = box("曜日", 1, 0).second;
    weekday_box->addItem(u("すべて"));
    for (int d = 1; d <= 7; ++d) weekday_box->addItem(u(kWeekdayNames[d - 1]) + u("曜"), d);
    first_month_box = box("月", 1, 2).second;
    last_month_box = box("〜", 1, 4).second;
    for (QComboBox* months : {first_month_box, last_month_box}) {
        months->addItem(u("すべて"));
        for (int m = 1; m <= 12; ++m) months->addItem(QString::number(m) + u("月"), m);
    }
    std::tie(extra_label, extra_box) = box("", 2, 0);
    bar->setColumnStretch(1, 1);
    bar->setColumnStretch(3, 2);
    bar->setColumnStretch(5, 2);
    layout->addLayout(bar);
    // A change of range reads other files, or stops reading them.
    connect(range_box, &QComboBox::activated, this, [this] {
        read_records();
        recompute();
    });

    pages = new QTabWidget(this);
    layout->addWidget(pages, 1);

    // 概要
    auto* overview = new QWidget;
    overview_grid_ = new QGridLayout(overview);
    overview_grid_->setHorizontalSpacing(12);
    overview_grid_->setVerticalSpacing(3);
    std::array<int, 2> rows{};  // rows taken in each half
    for (const OverviewRowLayout& row_def : kOverviewRows)
        add_overview_row(rows[static_cast<std::size_t>(row_def.half)]++, 3 * row_def.half, u(row_def.caption));
    budget_caption_ = add_overview_row(rows[1]++, 3, u("予算"));
    for (const PlayFigureId id : kOverviewPlayRows) {
        QLabel* caption = add_overview_row(rows[1]++, 3, u(figure(play_figure_table({}, {}), id).name));
        QLabel* value = overview_values_.back().second;
        caption->hide();
        value->hide();
        play_rows_.emplace_back(caption, value);
    }
    const int left_rows = rows[0];
    overview_grid_->setColumnStretch(1, 1);
    overview_grid_->setColumnMinimumWidth(2, 16);  // between the two halves
    overview_grid_->setColumnStretch(4, 1);
    verdict_label = new QLabel(overview);
    verdict_label->setFont(ui_font(kFontHeight + 2));
    verdict_label->setWordWrap(true);
    overview_grid_->addWidget(verdict_label, left_rows, 0, 1, 5);
    // 仕事量, 期待時給 and 運 below the verdict, with the sentence and the count,
    // while the slice has entries with machine numbers.
    int expect_row = left_rows + 1;
    for (const char* name : {"仕事量", "期待時給", "運"}) {
        QLabel* caption = add_overview_row(expect_row++, 0, u(name));
        QLabel* value = overview_values_.back().second;
        caption->hide();
        value->hide();
        expect_rows_.emplace_back(caption, value);
    }
    luck_label = new QLabel(overview);
    luck_label->setWordWrap(true);
    luck_label->hide();
    overview_grid_->addWidget(luck_label, expect_row++, 0, 1, 5);
    counted_label = new QLabel(overview);
    counted_label->setWordWrap(true);
    counted_label->hide();
    overview_grid_->addWidget(counted_label, expect_row++, 0, 1, 5);
    overview_grid_->setRowStretch(expect_row, 1);
    pages->addTab(overview, u("概要"));

    // 表
    table_pages = new QTabWidget;
    const char* table_names[] = {"月別", "曜日別", "ホール別", "機種別", "追加項目別"};
    for (std::size_t t = 0; t < tables.size(); ++t) {
        tables[t] = new FiguresTable;
        table_pages->addTab(tables[t], u(table_names[t]));
    }
    pages->addTab(table_pages, u("表"));

    // 分布
    chart = new DistributionChart;
    pages->addTab(chart, u("分布"));

    // 期待値, while the slice has entries with machine numbers.
    expect_chart = new play::ExpectChart;
    pages->addTab(expect_chart, u("期待値"));
    pages->setTabVisible(pages->indexOf(expect_chart), false);

    // 貯玉, while the player has a store.
    stores_page = new QWidget;
    auto* stores_layout = new QVBoxLayout(stores_page);
    stores_table = new QTableWidget(stores_page);
    stores_table->setColumnCount(5);
    stores_table->setHorizontalHeaderLabels({u("ホール"), u("種別"), u("貸玉料金"), u("残高"), u("評価額")});
    stores_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stores_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    stores_table->verticalHeader()->hide();
    stores_table->verticalHeader()->setDefaultSectionSize(20);
    stores_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    stores_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    stores_layout->addWidget(stores_table, 1);
    stores_note = new QLabel(u("評価額は交換率で換算した額です（ホールにレートがなければ、その貯玉を最後に使った来店の交換率）。"
                               "預けた玉は回収に、引き出した玉は投資に数えてあるので、この額はすでに収支に含まれています。"),
                             stores_page);
    stores_note->setWordWrap(true);
    stores_layout->addWidget(stores_note);
    pages->addTab(stores_page, u("貯玉"));
    pages->setTabVisible(pages->indexOf(stores_page), false);
    connect(pages, &QTabWidget::currentChanged, this, [this] {
        if (pages->currentWidget() == stores_page) fill_stores_table();
    });

    note_label = new QLabel(this);
    note_label->setWordWrap(true);
    layout->addWidget(note_label);

    connect(&ledger_, &LedgerView::changed, this, &AnalysisWindow::ledger_changed);
    // The overview's budget line follows the budget; the stores follow the rates and starting
    // balances; the expected values follow the machine numbers.
    connect(&settings_, &PlayerSettings::changed, this, [this] {
        if (read_revision_ && !(settings_.get<play::MachineNumberTable>() == all_numbers_)) {
            read_expect();
            compute_expect();
            fill_tables();
        }
        fill_overview();
        fill_stores();
    });
}

QLabel* AnalysisWindow::add_overview_row(int row, int column, const QString& name) {
    auto* caption = new QLabel(name);
    auto* value = new QLabel;
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    overview_grid_->addWidget(caption, row, column);
    overview_grid_->addWidget(value, row, column + 1);
    overview_values_.emplace_back(name, value);
    return caption;
}

QString AnalysisWindow::overview_text(const QString& name) const {
    for (const auto& [n, label] : overview_values_)
        if (n == name) return label->text();
    return {};
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fit_on_screen(*this);
    if (!read_revision_ || *read_revision_ != ledger_.revision()) {
        read_records();
        recompute();
    }
}

void AnalysisWindow::ledger_changed() {
    // Hidden, the window only notes that it is out of date.
    read_revision_.reset();
    if (!isVisible()) return;
    read_records();
    recompute();
}

void AnalysisWindow::read_records() {
    const LedgerImage open = snapshot(ledger_);
    const int open_year = year_text_value(open.year);
    std::vector<YearFile> others;
    QStringList refused;
    if (range_box->currentIndex() == 1) {
        // Every year file of the ledger's folder, the open year as it stands in memory.
        const QString folder = QFileInfo(ledger_.file_name()).absolutePath();
        for (const QString& path : year_files_in(folder)) {
            if (year_of_file_name(path) == open_year) continue;
            YearFileRead read = read_year_file(path);
            if (read.fault == YearFileFault::None) others.push_back(std::move(read.file));
            else refused << QFileInfo(path).fileName();
        }
    }
    std::vector<YearRecords> years;
    for (const YearFile& f : others)
        years.push_back({f.year, f.records, open.extra && f.has_extra && f.extra_name == open.extra->name});
    years.push_back({open_year, open.records});
    std::stable_sort(years.begin(), years.end(), [](const YearRecords& a, const YearRecords& b) { return a.year < b.year; });
    data_ = analysis_ledger(years);
    read_revision_ = ledger_.revision();
    read_expect();
    // The stores of この年 run through the years before it too; 全年 has read them.
    all_years_ = range_box->currentIndex() == 1;
    if (!all_years_) earlier_play(open_year);

    filling_ = true;
    fill_names(hall_box, data_.halls);
    fill_names(machine_box, data_.machines);
    fill_names(extra_box, data_.extras);
    filling_ = false;
    const bool has_extra = open.extra.has_value();
    extra_name_ = has_extra ? from_cp932(open.extra->name) : QString();
    extra_label->setText(extra_name_);
    extra_label->setVisible(has_extra);
    extra_box->setVisible(has_extra);
    if (!has_extra) extra_box->setCurrentIndex(0);
    table_pages->setTabVisible(static_cast<int>(TableKey::Extra), has_extra);
    table_pages->setTabText(static_cast<int>(TableKey::Extra), extra_name_ + u("別"));

    QStringList year_texts;
    for (const int y : data_.years) year_texts << QString::number(y) + u("年");
    QString note = u("対象: ") + year_texts.join(u("、"));
    if (!refused.isEmpty()) note += u("　読めないため除いたファイル: ") + refused.join(u("、"));
    note_label->setText(note);
}

Filter AnalysisWindow::chosen_filter() const {
    Filter f;
    f.hall = chosen_number(hall_box);
    f.machine = chosen_number(machine_box);
    if (extra_box->isVisibleTo(this)) f.extra = chosen_number(extra_box);
    if (weekday_box->currentIndex() > 0) f.weekday = weekday_box->currentData().toInt();
    if (first_month_box->currentIndex() > 0) f.first_month = first_month_box->currentData().toInt();
    if (last_month_box->currentIndex() > 0) f.last_month = last_month_box->currentData().toInt();
    return f;
}

void AnalysisWindow::recompute() {
    figures_ = compute_figures(data_, chosen_filter());
    ++computations_;
    compute_expect();
    fill_overview();
    fill_tables();
    chart->set_data(ChartData{figures_.histogram, figures_.running, figures_.overview.mean});
    fill_stores();
}

void AnalysisWindow::read_expect() {
    all_numbers_ = settings_.get<play::MachineNumberTable>();
    ledger_expect_ = ledger_expect(data_, all_numbers_);
    ++expect_computations_;
}

void AnalysisWindow::compute_expect() {
    expect_ = slice_expect(data_, ledger_expect_, figures_, chosen_filter());
    pages->setTabVisible(pages->indexOf(expect_chart), expect_.shown);
    play::ExpectChartData chart_data;
    if (expect_.shown) {
        chart_data.points = play::expect_points(expect_.entries);
        chart_data.dates.reserve(chart_data.points.size());
        for (const play::ExpectPoint& p : chart_data.points) chart_data.dates.push_back(date_text(data_.records[p.record].date));
        chart_data.figures = expect_.figures;
    }
    expect_chart->set_data(std::move(chart_data));
}

void AnalysisWindow::fill_expect_overview() {
    const bool shown = expect_.shown;
    for (const auto& [caption, value] : expect_rows_) {
        caption->setVisible(shown);
        value->setVisible(shown);
    }
    luck_label->setVisible(shown && expect_.figures.z);
    counted_label->setVisible(shown);
    if (!shown) return;
    const play::ExpectFigures& f = expect_.figures;
    const auto amount = [&](QLabel* label, const std::optional<std::int64_t>& v, const QString& more = {}) {
        label->setText(v ? yen(*v) + more : u(kUndefinedText));
        set_ink(label, v && *v < 0 ? palette::loss_ink() : QColor(Qt::black));
    };
    amount(expect_rows_[0].second, f.work);
    amount(expect_rows_[1].second, f.hourly);
    amount(expect_rows_[2].second, f.luck,
           f.z ? u("（偏り z = ") + QString::fromStdString(z_text(*f.z)) + u("）") : QString());
    if (f.z) luck_label->setText(QString::fromStdString(play::luck_sentence(*f.z)));
    counted_label->setText(u("仕事量はスペック登録済みの ") + QString::number(f.counted) + u(" 件から"));
}

const std::vector<play::PlayEntry>& AnalysisWindow::earlier_play(int open_year) {
    QString stamp;
    const QString path = ledger_.file_name();
    if (!path.isEmpty()) {
        for (const QString& file : year_files_in(QFileInfo(path).absolutePath())) {
            if (year_of_file_name(file) >= open_year) break;
            const QFileInfo info(file);
            stamp += file + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|') +
                     QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('\n');
        }
    }
    if (stamp != earlier_stamp_ || stamp.isEmpty()) {
        earlier_ = stamp.isEmpty() ? std::vector<play::PlayEntry>{} : play::earlier_years(path, open_year);
        earlier_stamp_ = stamp;
    }
    return earlier_;
}

void AnalysisWindow::fill_stores() {
    const std::vector<std::string> halls = hall_order ? hall_order() : std::vector<std::string>{};
    const std::span<const play::PlayEntry> earlier = all_years_ ? std::span<const play::PlayEntry>{} : earlier_;
    stores_ = slice_stores(data_, chosen_filter(), earlier, settings_.get<play::PlaySettings>(), halls);
    pages->setTabVisible(pages->indexOf(stores_page), !stores_.empty());
    // The table is filled when its page is shown.
    stores_shown_ = false;
    if (pages->currentWidget() == stores_page) fill_stores_table();
}

void AnalysisWindow::fill_stores_table() {
    if (stores_shown_) return;
    stores_shown_ = true;
    stores_table->setRowCount(static_cast<int>(stores_.size()));
    for (std::size_t i = 0; i < stores_.size(); ++i) {
        const play::StoreBalance& s = stores_[i].store;
        const int row = static_cast<int>(i);
        const bool slot = s.key.kind == play::Kind::Slot;
        const std::int64_t pieces = s.pieces();
        stores_table->setItem(row, 0, item(name_text(s.key.hall), {}, Qt::AlignLeft));
        stores_table->setItem(row, 1, item(slot ? u("スロット") : u("パチンコ"), {}, Qt::AlignLeft));
        stores_table->setItem(row, 2, item(QString::fromStdString(play::price_text(s.key.lending_price)) + u("円"), {},
                                           Qt::AlignRight));
        QTableWidgetItem* balance = item(yen(pieces) + (slot ? u("枚") : u("玉")), {}, Qt::AlignRight);
        if (pieces < 0) balance->setForeground(palette::loss_ink());
        stores_table->setItem(row, 3, balance);
        stores_table->setItem(row, 4, stores_[i].value ? amount_item(*stores_[i].value) : item(u(kUndefinedText), {}, Qt::AlignRight));
    }
}

void AnalysisWindow::fill_overview() {
    const Overview& o = figures_.overview;
    const OverviewFigures figures = overview_figures(o);
    const QString undefined = u(kUndefinedText);
    const auto value = [&](FigureId id) { return figure(figures, id).value; };
    // A figure as the window writes it: yen with separators, a rate with "%", a count with its unit.
    const auto shown = [&](FigureId id, const char* unit) -> QString {
        const OverviewFigure& f = figure(figures, id);
        if (!f.value) return undefined;
        if (f.format == FigureFormat::Yen) return yen(*f.value);
        if (f.format == FigureFormat::Rate) return QString::fromStdString(figure_text(f)) + u("%");
        return QString::number(*f.value) + u(unit);
    };
    const auto details = [&](const std::optional<Extreme>& e) -> QString {
        return e ? u("（") + date_text(e->date) + u(" ") + name_text(e->hall) + u("）") : QString();
    };
    for (std::size_t r = 0; r < std::size(kOverviewRows); ++r) {
        const OverviewRowLayout& row_def = kOverviewRows[r];
        const std::optional<std::int64_t> v = value(row_def.figure);
        QString text = shown(row_def.figure, row_def.unit);
        bool negative = figure(figures, row_def.figure).format == FigureFormat::Yen && v && *v < 0;
        switch (row_def.row) {
        case OverviewRow::WinLoss:
            text = from_cp932(format_win_rate(static_cast<int>(value(FigureId::Wins).value_or(0)),
                                              static_cast<int>(value(FigureId::Losses).value_or(0)),
                                              static_cast<int>(value(FigureId::Draws).value_or(0))));
            break;
        case OverviewRow::Interval:
            if (v && value(FigureId::IntervalUpper))
                text = yen(*v) + u(" 〜 ") + shown(FigureId::IntervalUpper, "");
            break;
        case OverviewRow::LargestWin: text += details(o.largest_win); break;
        case OverviewRow::LargestLoss: text += details(o.largest_loss); break;
        case OverviewRow::MaxDrawdown:
            negative = false;
            if (o.max_drawdown.trough)
                text += u("（") + (o.max_drawdown.peak ? date_text(*o.max_drawdown.peak) : u("最初")) + u(" → ") +
                        date_text(*o.max_drawdown.trough) + u("）");
            break;
        default: break;
        }
        QLabel* label = overview_values_[r].second;
        label->setText(text);
        set_ink(label, negative ? palette::loss_ink() : QColor(Qt::black));
    }
    // The budget against the last month of the slice, summed as the slice counts.
    const std::int64_t budget = settings_.get<budget::Budget>().monthly;
    const std::vector<Visit>& visits = figures_.slice.visits;
    const bool budget_shown = budget > 0 && !visits.empty();
    QLabel* budget_value = overview_values_[std::size(kOverviewRows)].second;  // the row after the figures'
    budget_caption_->setVisible(budget_shown);
    budget_value->setVisible(budget_shown);
    if (budget_shown) {
        const Date last = visits.back().date;
        std::int64_t month = 0;
        for (const Visit& v : visits)
            if (v.date.year == last.year && v.date.month == last.month) month += v.balance;
        budget_caption_->setText(u("予算（") + QString::number(last.month) + u("月）"));
        budget_value->setText(budget::status_text(budget, month));
        set_ink(budget_value, budget + month < 0 ? palette::loss_ink() : QColor(Qt::black));
    }

    // Hours, 時給, 交換差損 and 持ち玉比率 while the slice has play data.
    const bool play_shown = figures_.play.records > 0;
    const PlayFigureTable play = play_figure_table(figures_.play, std::nullopt);
    for (std::size_t i = 0; i < play_rows_.size(); ++i) {
        const auto& [caption, label] = play_rows_[i];
        caption->setVisible(play_shown);
        label->setVisible(play_shown);
        if (!play_shown) continue;
        const OverviewFigure& f = figure(play, kOverviewPlayRows[i]);
        QString text = undefined;
        if (f.value) {
            if (f.format == FigureFormat::Yen) text = yen(*f.value);
            else if (f.format == FigureFormat::Rate) text = QString::fromStdString(figure_text(f)) + u("%");
            else text = tenths_text(*f.value) + u("時間");
        }
        label->setText(text);
        set_ink(label, kOverviewPlayRows[i] == PlayFigureId::Hourly && f.value && *f.value < 0 ? palette::loss_ink()
                                                                                                 : QColor(Qt::black));
    }

    fill_expect_overview();

    QString verdict;
    QColor ink(Qt::black);
    if (!o.verdict) {
        verdict = u("判定には2回以上の来店が要ります");
    } else if (*o.verdict == Verdict::Plus) {
        verdict = u("プラスと言えます（95%）");
        ink = palette::win_ink();
    } else if (*o.verdict == Verdict::Minus) {
        verdict = u("マイナスと言えます（95%）");
        ink = palette::loss_ink();
    } else {
        verdict = u("まだ偶然の範囲です");
        if (o.visits_needed) {
            const QString n = *o.visits_needed >= kVisitsNeededMore ? u("99999+") : QString::number(*o.visits_needed);
            verdict += u("\n同じ成績が続けば、あと約") + n + u("回で判定できます");
        }
    }
    verdict_label->setText(verdict);
    set_ink(verdict_label, ink);
}

QString AnalysisWindow::key_text(TableKey key, std::uint32_t number) const {
    switch (key) {
        case TableKey::Month: return QString::number(number) + u("月");
        case TableKey::Weekday: return number >= 1 && number <= 7 ? u(kWeekdayNames[number - 1]) + u("曜") : QString();
        case TableKey::Hall: return name_text(data_.halls[number]);
        case TableKey::Machine: return name_text(data_.machines[number]);
        case TableKey::Extra: return name_text(data_.extras[number]);
    }
    return {};
}

void AnalysisWindow::fill_tables() {
    const char* key_names[] = {"月", "曜日", "ホール", "機種"};
    const QColor few_ink(128, 128, 128);
    const QColor few_back(236, 236, 236);
    for (std::size_t t = 0; t < tables.size(); ++t) {
        FiguresTable* table = tables[t];
        const TableKey key = kTableKeys[t];
        QStringList headers = {key == TableKey::Extra ? extra_name_ : u(key_names[t]), u("少"), u("来店数"), u("投資"), u("回収"), u("収支"), u("回収率"), u("平均収支")};
        // Hours and 時給 while the slice has play data.
        const bool play = figures_.play.records > 0;
        if (play) headers << u("時間") << u("時給");
        // 平均回転率, ボーダー差, 仕事量 and 運 while the slice has entries with machine numbers.
        const bool expect = play && expect_.shown && expect_.tables[t].size() == figures_.tables[t].size();
        if (expect) headers << u("平均回転率") << u("ボーダー差") << u("仕事量") << u("運");
        table->setColumnCount(expect ? int{kExpectColumnCount} : play ? int{kPlayColumnCount} : int{kColumnCount});
        // Fourteen columns outgrow the window: the names keep their width and the table scrolls.
        table->horizontalHeader()->setSectionResizeMode(kKeyColumn, expect ? QHeaderView::ResizeToContents
                                                                           : QHeaderView::Stretch);
        table->setHorizontalHeaderLabels(headers);
        table->setSortingEnabled(false);
        const std::vector<TableRow>& rows = figures_.tables[t];
        table->setRowCount(static_cast<int>(rows.size()));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TableRow& r = rows[i];
            const int row = static_cast<int>(i);
            // Months and weekdays sort in calendar order, names by their text.
            const QVariant order = key == TableKey::Month || key == TableKey::Weekday ? QVariant(r.key) : QVariant();
            table->setItem(row, kKeyColumn, item(key_text(key, r.key), order, Qt::AlignLeft));
            table->setItem(row, kFewColumn, item(r.few() ? u("少") : QString(), r.few() ? 1 : 0, Qt::AlignCenter));
            table->setItem(row, kVisitsColumn, item(QString::number(r.visits), r.visits, Qt::AlignRight));
            table->setItem(row, kInvestmentColumn, amount_item(r.investment));
            table->setItem(row, kPayoutColumn, amount_item(r.payout));
            table->setItem(row, kBalanceColumn, amount_item(r.balance()));
            // Sorted by the rate as shown, in tenths of a percent; a row without investment first.
            const std::optional<std::string> rate = payout_rate_text(r.investment, r.payout);
            const std::optional<std::int64_t> tenths = payout_rate_tenths(r.investment, r.payout);
            table->setItem(row, kRateColumn,
                           item(rate ? QString::fromStdString(*rate) + u("%") : u(kUndefinedText),
                                QVariant::fromValue(static_cast<qlonglong>(tenths.value_or(-1))), Qt::AlignRight));
            table->setItem(row, kMeanColumn, amount_item(rounded_mean(r.balance(), r.visits)));
            if (play) {
                // Sorted by minutes and yen; a row without a time first.
                const std::optional<std::int64_t> hourly = r.hourly();
                table->setItem(row, kHoursColumn,
                               item(r.timed_visits > 0 ? tenths_text(play::round_div(r.minutes, 6)) : u(kUndefinedText),
                                    QVariant::fromValue(static_cast<qlonglong>(r.timed_visits > 0 ? r.minutes : -1)),
                                    Qt::AlignRight));
                table->setItem(row, kHourlyColumn,
                               hourly ? amount_item(*hourly)
                                      : item(u(kUndefinedText), QVariant::fromValue(std::numeric_limits<qlonglong>::min()),
                                             Qt::AlignRight));
            }
            if (expect) {
                // Sorted by their numbers; a row without the figure first.
                const play::ExpectFigures& e = expect_.tables[t][i];
                const QVariant none = QVariant::fromValue(std::numeric_limits<qlonglong>::min());
                const auto tenths_item = [&](const std::optional<std::int64_t>& v) {
                    QTableWidgetItem* it = v ? item(tenths_text(*v), QVariant::fromValue(static_cast<qlonglong>(*v)), Qt::AlignRight)
                                             : item(u(kUndefinedText), none, Qt::AlignRight);
                    it->setData(kTextCopyRole, true);
                    if (v && *v < 0) it->setForeground(palette::loss_ink());
                    return it;
                };
                const auto amount = [&](const std::optional<std::int64_t>& v) {
                    return v ? amount_item(*v) : item(u(kUndefinedText), none, Qt::AlignRight);
                };
                table->setItem(row, kMeanRateColumn, tenths_item(e.mean_rate_tenths));
                table->setItem(row, kBorderGapColumn, tenths_item(e.mean_border_gap_tenths));
                table->setItem(row, kWorkColumn, amount(e.work));
                table->setItem(row, kLuckColumn, amount(e.luck));
            }
            if (r.few()) {
                // Too few visits to mean much: greyed, negative amounts keeping their colour.
                for (int c = 0; c < table->columnCount(); ++c) {
                    QTableWidgetItem* it = table->item(row, c);
                    it->setBackground(few_back);
                    if (it->foreground().color() != palette::loss_ink()) it->setForeground(few_ink);
                }
            }
        }
        table->setSortingEnabled(true);
    }
}

}  // namespace velmo::analysis
