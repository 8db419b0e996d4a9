#pragma once
// The main window: the year ledger (the grids and scalars below are its single
// source of truth), the tabs of the analysis views, menus and tool bar.
// Methods are defined in the folder of the subsystem they belong to.
#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QUrl>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/runtime.h"
#include "framework/string_grid.h"
#include "ledger/ledger_view.h"
#include "ledger/player_settings.h"
#include "views/chart_overlay.h"
#include "views/ledger_figures.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;
class TForm2;

namespace velmo {
struct DecodedLedger;
struct ExtraColumnBlock;
struct LedgerImage;
struct LedgerRecord;
class Printer;
struct ReportData;
class StatusBar;
class Splitter;
class PaintBox;
struct YearChartData;
}  // namespace velmo

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxRecords = velmo::kMaxRecordNumber;
    static constexpr int kMarkRows = 1025;  // row_mark entries 0..1024
    static constexpr int kMonthlyTotalRow = 13;  // StringGrid2: the year's TOTAL under the twelve months

    TForm1();
    ~TForm1() override;

    // ---- Year ledger (ledger/) ----
    velmo::StringGrid* StringGrid1 = nullptr;  // the year list
    velmo::StringGrid* StringGrid5 = nullptr;  // hidden per-row data: machine_detail, day_totals, comment, extensions
    // StringGrid5's column of each record's extension fields (velmo::pack_extensions),
    // moved with the record's other cells.
    static constexpr int kExtensionsCol = 3;
    int rec_count = 0;
    std::array<std::int8_t, kMarkRows> row_mark{};
    std::string year_text;   // four characters, CP932/ASCII
    QString file_name;       // path of the ledger file
    std::uint8_t dirty = 0;  // the bits below
    static constexpr std::uint8_t kLedgerChanged = 1;  // dirty: the ledger changed since loaded or saved
    static constexpr std::uint8_t kStepsChanged = 2;   // dirty: the registry or the enlargement steps changed
    std::uint8_t has_extra = 0;
    std::uint8_t creating_new = 0;
    std::uint8_t graph_ok = 0;
    std::uint8_t machine_summary_ok = 0;
    int edit_row = 0;
    std::vector<std::uint16_t> attr_mask;  // one word per registered machine
    bool attr_mask_present = false;        // absent until the registry was read
    bool registry_refused = false;         // velmo.lst was too large to read, or the user kept it: it is never written
    bool registry_damaged = false;         // velmo.lst was read in part: written only when the user says so
    std::int8_t hsize_level = 0;
    std::int8_t vsize_level = 0;
    std::uint8_t view_flags = 0;  // the bit below
    static constexpr std::uint8_t kCalendarShown = 1;  // view_flags: the year list's calendar view is shown
    int font_step = 0;
    int width_step = 0;
    int extra_steps = 0;  // the extra column's width in steps of 14 pixels

    // Column roles of StringGrid1.
    std::uint8_t hall_col = 2;
    std::uint8_t machine_col = 3;
    std::uint8_t balance_col = 4;
    std::uint8_t total_col = 5;
    std::uint8_t extra_col = 255;

    // The two remembered amount texts of the selected row.
    std::string sel_bet_text;
    std::string sel_payout_text;

    // Row to select after a load.
    int select_row = 1;

    void clear_ledger();
    // Asks and saves. False when a write failed or the user would not overwrite
    // a file another program changed: the action that asked (close, drop, Open,
    // New) must not go on, and the changes stay marked.
    bool save_ledger();
    void load_ledger();
    // Steps 1 and 2 of loading: resets the roles and the extra column's window state.
    void reset_for_load();
    void apply_extra_block(const velmo::ExtraColumnBlock& block);
    // The extra values the entry dialog and the extra column's dialog offer.
    void offer_extra_values(const QStringList& values);
    // Sizes the grids for the records a file says it holds (ledger_io.cpp's field
    // placer calls it as the fields start).
    void size_for_records(int records);
    // The ledger as it is written to its file.
    velmo::LedgerImage ledger_image() const;
    // The extra column's block as the file holds it, when the ledger has the column.
    std::optional<velmo::ExtraColumnBlock> extra_block() const;
    // Record row (1..rec_count) as the file holds it, its year-list mark aside.
    velmo::LedgerRecord record(int row) const;
    // Writes rec into row of both grids; a cell that already holds its text is not
    // written again, so putting a record back unchanged changes no cell.
    void put_record(int row, const velmo::LedgerRecord& rec);
    // Set when a file of the wrong format made the window close.
    bool closed_by_format_error = false;
    // A file that cannot be a ledger: the window closes once the running handler returns.
    void close_for_unreadable_file();
    // The ledger file as it was loaded or last saved (size and modification time).
    QString stamped_file;
    velmo::FileStamp loaded_stamp;

    // ---- File commands (ledger/file_commands.cpp) ----
    void setup_file_commands();
    void SpeedButton3Click();  // open
    void Open1Click();
    void ToolButton3Click();
    void Close1Click();
    void New1Click();
    void kanrenClick();

    // ---- CSV export and import (ledger/csv_commands.cpp) ----
    QAction* export_csv_action = nullptr;  // "CSVファイルに書き出し..."
    QAction* import_csv_action = nullptr;  // "CSVファイルから読み込み..."
    void setup_csv_commands();
    void csv_export_command();
    void csv_import_command();
    // Rows 1..n of both grids take the n records.
    void put_records(const std::vector<velmo::LedgerRecord>& records);

    // ---- Printing (print/printing.cpp) ----
    void setup_print_commands();
    void PrintSetClick();
    void Print1Click();
    void PrintPreview1Click();
    velmo::ReportData report_data();
    // False, after saying why, when a page of this size (printer pixels) holds no report.
    bool page_fits_report(const QSize& page, int scale);
    // The report on every page of printer as one job.
    void print_report(velmo::Printer& printer);

    // ---- Start-up and shut-down (shell/) ----
    QStringList arguments;  // command-line arguments after the program name
    bool init_done = false;  // init runs when the window is first shown
    void init();
    bool save_shusi();   // false: the window stays open
    void FormDestroy();  // runs when the window is destroyed, at the program's end
    // Files dropped on the window: the first local file is opened.
    bool WMDropFiles(const QList<QUrl>& urls);
    void open_dropped_file(const QString& path);
    void centre_on_screen();
    void set_caption_for_year();
    // Layout for the enlargement steps (shell/layout.cpp).
    void apply_width_step();
    void apply_height_step();
    void setup_layout_commands();
    void ResizeButtonClick(QPushButton* sender);  // Button4 "-", Button3 "+": width
    void VResizeButton(QPushButton* sender);      // Button5 "-", Button6 "+": height
    void Resize_Grid(int new_top);                // the year list's splitter was dropped
    void fit_window();
    void layout_year_tab();

    // ---- Views (views/) ----
    int year_total = 0;
    int peak_total = 0;
    int trough_total = 0;
    int best_balance = 0;
    int worst_balance = 0;
    void recompute_totals();
    // The records' figures, in step with the year list and the hidden grid; their
    // machine entries too when asked for.
    velmo::LedgerFigures& ledger_figures(bool with_machines = false);
    // Sizes the TOTAL caption's font so that its whole text shows in its place.
    void fit_total_caption();
    // The painter of StringGrid1 (its on_draw_cell), hooked up by setup_year_list_painter.
    void plmicolor(int col, int row, const QRect& rect, velmo::DrawState state);
    void setup_year_list_painter();
    // The summaries after a load, in refresh order (each part that exists).
    void refresh_after_load();
    // Those summaries alone, without telling of the change.
    void refresh_summaries();
    // The whole refresh sequence after an entry or a delete.
    // committed_rows: the rows of the records the user just committed (entry dialog,
    // CSV import), empty for other changes.
    void refresh_after_change(const std::vector<int>& committed_rows = {});
    // Its part after the totals pass.
    void refresh_summaries_after_change(const std::vector<int>& committed_rows = {});
    // Called once per change of the ledger, after the views above show it: the one
    // place where code beyond the year window learns of changes (see ledger_view.h).
    std::function<void(const std::vector<int>& committed_rows)> on_ledger_changed;
    void ledger_changed(const std::vector<int>& committed_rows = {});
    // After the save question of a changed ledger is settled (saved, or the
    // changes declined): what is on disk is what the user keeps.
    std::function<void()> on_ledger_settled;
    // At the opening of a ledger file, before anything is read from it: the
    // bytes to open instead of the file's (unsaved records the user chose to
    // restore), which then open marked changed; nullopt to read the file.
    std::function<std::optional<std::string>(const QString& file)> on_ledger_opening;
    // After the registry dialog renamed a hall (new_name set) or deleted one
    // (new_name nullopt), with the halls it lists now; names as CP932 bytes.
    std::function<void(const std::string& old_name, const std::optional<std::string>& new_name,
                       const std::vector<std::string>& halls)>
        on_registry_hall_changed;
    // When the entry dialog is built: code beyond the windows adds what it keeps
    // with a record (shell/beyond_hooks.cpp).
    std::function<void(TForm2&)> on_entry_dialog_built;
    // The same for a machine renamed or deleted, with the machines it lists now.
    std::function<void(const std::string& old_name, const std::optional<std::string>& new_name,
                       const std::vector<std::string>& machines)>
        on_registry_machine_changed;
    // The ledger as code beyond the specified windows reads it.
    velmo::LedgerView& ledger_view() { return *ledger_view_; }
    velmo::LedgerView* ledger_view_ = nullptr;  // a child of the window
    // The settings the player makes, kept with the name registry (a child of the window).
    velmo::PlayerSettings& player_settings() const { return *player_settings_; }
    velmo::PlayerSettings* player_settings_ = nullptr;
    // Drawn on the monthly-balance plots of the graph tab's chart and the monthly
    // graph, in order, by code beyond the windows (shell/beyond_hooks.cpp).
    velmo::ChartOverlays chart_overlays;

    // Summaries: monthly, weekday, extra value, per hall (views/).
    std::int64_t hall_scale = 0;  // full scale of the hall bars, a multiple of 20000
    std::uint8_t wheel_dir = 0;   // 0 none since the last tab change, 1 down, 2 up
    void setup_summary_grids();   // sizes, headers and painters of StringGrid2/3/4/6
    void compute_monthly();
    // The rows of the records as the monthly and weekday tables read them (no key column).
    std::vector<velmo::SummaryRow> dated_rows();
    // The monthly and weekday passes on rows read by dated_rows().
    void compute_monthly(std::span<const velmo::SummaryRow> rows);
    void compute_weekday(std::span<const velmo::SummaryRow> rows);
    // The monthly table's texts as its grid shows them once the summaries ran,
    // computed from the records' figures (the TOTAL row's win rate included); kept
    // by the two passes that write them, so that readers need not compute them again.
    const velmo::MonthlyTexts& monthly_texts() const;
    void monthcolor(int col, int row, const QRect& rect, velmo::DrawState state);
    void compute_weekday();
    void weekcolor(int col, int row, const QRect& rect, velmo::DrawState state);
    void compute_extra_summary();
    void usercolor(int col, int row, const QRect& rect, velmo::DrawState state);
    void compute_hall_summary();
    void best15color(int col, int row, const QRect& rect, velmo::DrawState state);
    void CheckBox1Click();
    void StringGrid4MouseWheelDown(bool& handled);
    void StringGrid4MouseWheelUp(bool& handled);

    // Per-machine summary (views/machine_summary.cpp): computed when its tab is shown.
    std::int64_t machine_scale = 0;  // full scale of the machine bars, a multiple of 20000
    void setup_machine_grid();       // sizes, headers, painter and controls of StringGrid7; tab changes
    void compute_machine_summary();
    void kishu_color(int col, int row, const QRect& rect, velmo::DrawState state);
    void CheckBox2Click();
    void StringGrid7MouseWheelDown(bool& handled);
    void StringGrid7MouseWheelUp(bool& handled);
    // Computes the machine table when its tab is shown and the table is stale.
    void update_machine_tab();
    // PageControl1's tab change.
    void page_change();

    // Graph tab (views/graph_view.cpp): the year chart on Image2, animated.
    QImage graph_image;        // the picture Image2 shows
    int click_x = 0;           // x of the last mouse-down on Image2
    int graph_run = 0;         // counts drawings; a running one stops when a newer one starts
    bool graph_animate = true; // false draws the finished chart at once
    void setup_graph_tab();
    velmo::YearChartData graph_data() const;
    void draw_graph();
    void get_x(int x);
    void mouth_graph();
    // Draws the chart when its tab is shown and it is out of date.
    void update_graph_tab();
    // After a change of the enlargement steps: redraw when the tab is shown, else mark it stale.
    void redraw_graph_for_layout();
    // After a move to a screen of another device pixel ratio: the finished chart is drawn
    // again at the new ratio when the tab is shown, else marked stale.
    void redraw_graph_at_screen_ratio();

    // Per-attribute summary (views/attribute_summary.cpp): rows 1..16 of StringGrid10.
    void setup_attribute_grid();  // sizes, headers and painter of StringGrid10
    void compute_attribute_summary();
    void attrcolor(int col, int row, const QRect& rect, velmo::DrawState state);

    // ---- Editing (entry/) ----
    void StringGrid1Click();
    // Scratch sums of the entry dialog: investment, payout, balance.
    long long scratch_bet = 0;
    long long scratch_payout = 0;
    long long scratch_balance = 0;
    void SpeedButton1Click();  // new record
    void ToolButton1Click();
    void InputInComeClick();
    void correction();
    void InComeTeiseiClick();
    void Delete1Click();
    void InComeDelete1Click();
    void StringGrid1DblClick();
    void Edit1Click();  // the 収支 menu opens
    void PopupMenu1Popup();
    void IncomeTuikaClick();
    void InComeRecordClick();  // shows the records window
    void ToolButton2Click();
    void setup_editing_commands();

    // ---- Calendar view (month/calendar_view.cpp) ----
    std::int8_t cal_month = 1;   // month shown, 1..12
    std::int8_t sel_month = 1;   // remembered selected date
    std::int8_t sel_day = 1;
    int sel_index = -1;          // day - 1 of the cell drawn as selected, -1 none
    std::array<std::int64_t, 32> day_investment{};  // by day 1..31; -1 no record, -2 no such day
    std::array<std::int64_t, 32> day_payout{};
    std::array<std::uint16_t, 32> day_flags{};      // first row (bits 0-9), won, lost, selected
    std::array<int, 32> day_records{};              // play records of the day
    QImage calendar_bitmap;  // the picture of Image3
    // The picture width and width step its weekday header was painted for.
    int weekday_header_width = -1;
    int weekday_header_step = -1;
    void build_calendar();
    void Change_scrn();
    void pop_calenClick();
    void hide_calendar();
    void compute_calendar();
    void draw_day_cell(int w1, int i);
    // Draws the weekday header at the current width into the picture; out of the
    // calendar view only notes that the picture needs it, and the next
    // compute_calendar draws it, so start-up and layout steps in the year list
    // do not draw a picture nobody sees.
    void draw_weekday_header();
    void draw_due_weekday_header();
    bool weekday_header_due = false;
    void paint_month(QPainter& painter);
    void draw_logo(QPainter& painter);
    void Button1Click();  // Prev
    void Button2Click();  // Next
    void click_calen(int x, int y);
    void Image3DblClick();
    void input_calClick();
    void ChangeHole();
    void draw_play_hole(velmo::StringGrid* grid, int col, int row, const QRect& rect, velmo::DrawState state);
    void show_day_details(int d);  // d 0: no day of the shown month
    // A file command loaded another ledger while the calendar is shown.
    void redraw_calendar_after_load();
    void show_record_machines(int r);
    void show_hall_total(const std::string& hall);
    // The ledger row of the day list's selected line, 0 when it holds no record.
    int calendar_selected_row() const;
    QLabel* Label3 = nullptr;  // spacer in the year list's place
    QWidget* Panel2 = nullptr;
    QFrame* Bevel1 = nullptr;
    velmo::PaintBox* PaintBox2 = nullptr;  // the month number
    QPushButton* Button1 = nullptr;        // "Prev"
    QPushButton* Button2 = nullptr;        // "Next"
    QFrame* Bevel2 = nullptr;
    velmo::PaintBox* Image3 = nullptr;  // the calendar
    velmo::StringGrid* StringGrid8 = nullptr;  // play records of the selected day
    velmo::StringGrid* StringGrid9 = nullptr;  // machines of one play record

    // ---- Components ----
    QWidget* central = nullptr;
    QWidget* CoolBar1 = nullptr;
    QWidget* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QLabel* StaticText1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;
    QWidget* TabSheet6 = nullptr;
    QWidget* TabSheet7 = nullptr;
    velmo::Splitter* Splitter1 = nullptr;
    QLabel* Label1 = nullptr;  // the comment label beside Memo1
    QPlainTextEdit* Memo1 = nullptr;
    velmo::StatusBar* StatusBar1 = nullptr;
    velmo::PaintBox* PaintBox1 = nullptr;
    velmo::StringGrid* StringGrid2 = nullptr;
    QLabel* Label4 = nullptr;
    velmo::StringGrid* StringGrid3 = nullptr;
    velmo::StringGrid* StringGrid6 = nullptr;
    velmo::StringGrid* StringGrid4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    std::array<QLabel*, 10> hall_scale_labels{};  // Label5 .. Label14
    velmo::StringGrid* StringGrid7 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QListWidget* ListBox1 = nullptr;
    velmo::StringGrid* StringGrid10 = nullptr;
    velmo::PaintBox* Image2 = nullptr;  // the graph tab's chart, painted from graph_image

    QMenu* File1 = nullptr;  // "ファイル"
    QAction* Open1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* kanren = nullptr;
    QAction* PrintSet1 = nullptr;      // 印刷設定
    QAction* PrintPreview1 = nullptr;  // 印刷ﾌﾟﾚﾋﾞｭｰ
    QAction* Print1 = nullptr;         // 印刷
    QMenu* N1 = nullptr;  // "収支"
    QAction* InputInCome = nullptr;
    QAction* InComeTeisei = nullptr;
    QAction* InComeDelete1 = nullptr;
    QAction* IncomeTuika = nullptr;
    QAction* InComeRecord = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* input_cal = nullptr;
    QAction* N2 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* pop_calen = nullptr;

    QLabel* label(int number) const;  // Label5 .. Label14 by number

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    velmo::LedgerFigures figures_;
    // The monthly table's texts as compute_monthly and compute_weekday last wrote them.
    velmo::MonthlyTexts monthly_texts_{};
    // What the last fit_total_caption fitted, and the font it gave the caption.
    struct FittedCaption {
        QString text;
        int width = -1;
        int font_step = 0;
        QFont font;
    };
    FittedCaption fitted_caption_;
    // Each running total as last written into (or found in) the year list, with the
    // cell's stamp then: while the stamp stays, the cell holds that figure's text.
    struct WrittenTotal {
        int value = 0;
        std::uint64_t stamp = 0;
    };
    std::vector<WrittenTotal> written_totals_;

    void build_window();
    void build_year_list_tab();
    void build_summary_tabs();
    void build_menus();
};

extern TForm1* Form1;
