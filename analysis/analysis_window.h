#pragma once
// The 収支分析 window: a filter bar over the open year (or every year of its
// folder) and three pages, 概要, 表 and 分布, computed over the records that
// match, with a fourth, 貯玉, while the player has stores. With play data the
// overview and the tables show hours and 時給 too; with machine numbers (機種の
// スペック) for the slice's played machines, 仕事量, 期待時給 and 運 too, and a
// page 期待値. It reads the ledger only
// through LedgerView and follows its changed() signal; while hidden it only
// notes that it is out of date.
#include <QTableWidget>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_expect.h"
#include "analysis/analysis_slice.h"
#include "ledger/ledger_view.h"
#include "ledger/player_settings.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QTabWidget;

namespace velmo::play {
class ExpectChart;
}

namespace velmo::analysis {

class DistributionChart;

// A table of the 表 page: sorts by a click on a header (by the numbers, not the
// texts) and copies itself as tab-separated text with Ctrl+C.
class FiguresTable : public QTableWidget {
    Q_OBJECT
public:
    explicit FiguresTable(QWidget* parent = nullptr);
    // The header and every row in the order shown, tab-separated, lines ending in CR LF.
    QString tsv() const;
    void copy_to_clipboard() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    // The window of ledger, showing the budget of settings; parent, when given,
    // is the window it closes with.
    AnalysisWindow(LedgerView& ledger, const PlayerSettings& settings, QWidget* parent = nullptr);

    // The filter bar. Item 0 of each box is "すべて" (range: この年, 全年).
    QComboBox* range_box = nullptr;
    QComboBox* hall_box = nullptr;
    QComboBox* machine_box = nullptr;
    QComboBox* weekday_box = nullptr;
    QComboBox* first_month_box = nullptr;
    QComboBox* last_month_box = nullptr;
    QLabel* extra_label = nullptr;
    QComboBox* extra_box = nullptr;
    QTabWidget* pages = nullptr;
    QLabel* verdict_label = nullptr;
    QLabel* note_label = nullptr;  // years read, and files refused under 全年
    QTabWidget* table_pages = nullptr;
    std::array<FiguresTable*, kTableKeys.size()> tables{};  // in the order of kTableKeys
    DistributionChart* chart = nullptr;
    QWidget* stores_page = nullptr;     // 貯玉: shown while there is a store
    QTableWidget* stores_table = nullptr;
    QLabel* stores_note = nullptr;
    play::ExpectChart* expect_chart = nullptr;  // 期待値: shown while the slice has entries with machine numbers
    QLabel* luck_label = nullptr;     // the plain sentence of 運の偏り
    QLabel* counted_label = nullptr;  // "仕事量はスペック登録済みの N 件から"
    // The registry's halls in list order, which the stores follow; unset: by name.
    std::function<std::vector<std::string>()> hall_order;

    // The figures shown, and how often they were computed (for the tests).
    const Figures& figures() const { return figures_; }
    const std::vector<StoreLine>& stores() const { return stores_; }
    const SliceExpect& expect() const { return expect_; }
    // How often the machine entries' expected values were taken (for the tests).
    int expect_computations() const { return expect_computations_; }
    int computations() const { return computations_; }
    // The value shown for an overview figure by its name ("来店数", "収支" ...).
    QString overview_text(const QString& name) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ledger_changed();
    // Reads the records again and fills the filter bar, keeping what is chosen.
    void read_records();
    // The figures for the filter chosen, on every page.
    void recompute();
    Filter chosen_filter() const;
    void fill_overview();
    void fill_tables();
    void fill_stores();
    void fill_stores_table();
    // The entries' expected values by the machine numbers of the settings, taken again.
    void read_expect();
    // The slice's expected-value figures, and the 期待値 page.
    void compute_expect();
    void fill_expect_overview();
    // The play data of the year files before the open one, read again when they changed.
    const std::vector<play::PlayEntry>& earlier_play(int open_year);
    QString key_text(TableKey key, std::uint32_t number) const;
    // The row's caption label.
    QLabel* add_overview_row(int row, int column, const QString& name);

    LedgerView& ledger_;
    const PlayerSettings& settings_;
    std::optional<std::uint64_t> read_revision_;  // of the records read; none when out of date
    bool filling_ = false;
    QString extra_name_;  // the extra column's header; empty without the column
    AnalysisLedger data_;
    Figures figures_;
    int computations_ = 0;
    QGridLayout* overview_grid_ = nullptr;
    std::vector<std::pair<QString, QLabel*>> overview_values_;
    QLabel* budget_caption_ = nullptr;  // "予算（12月）", shown while a monthly budget is set
    // The play rows of the overview (caption, value), shown while the slice has play data.
    std::vector<std::pair<QLabel*, QLabel*>> play_rows_;
    // The expected-value rows of the overview (caption, value), shown while the slice has entries with numbers.
    std::vector<std::pair<QLabel*, QLabel*>> expect_rows_;
    play::MachineNumberTable all_numbers_;  // the numbers ledger_expect_ was taken with
    LedgerExpect ledger_expect_;
    SliceExpect expect_;
    int expect_computations_ = 0;
    bool all_years_ = false;  // the records read are every year of the folder
    std::vector<StoreLine> stores_;
    bool stores_shown_ = false;  // the 貯玉 table shows stores_
    QString earlier_stamp_;   // the files earlier_ was read from, with their sizes and times
    std::vector<play::PlayEntry> earlier_;
};

}  // namespace velmo::analysis
