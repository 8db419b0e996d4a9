#include "shell/tform1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include "assets/glyphs.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/draw.h"
#include "framework/runtime.h"
#include "framework/widgets.h"
#include "shell/beyond_hooks.h"
#include "shell/ledger_view_adapter.h"

using velmo::StringGrid;

TForm1* Form1 = nullptr;

namespace {

constexpr int kClientWidth = 647;
// 423 in the base layout plus the 3 of the first height step, and 2 more: Qt's tab
// bar is 28 pixels high at the tab font, so the pages start at 82, and the "グラフ表示"
// check boxes at the foot of the hall and machine pages end on row 427.
constexpr int kClientHeight = 428;
// The bars keep these heights whatever the font, so that the pages keep theirs:
// a font with a taller line (Noto Sans CJK JP) would otherwise push the foot of
// every page out of view.
constexpr int kTabBarHeight = 28;
constexpr int kMenuBarHeight = 18;

using velmo::u;

StringGrid* make_grid(QWidget* parent, QRect geometry, int cols, int rows, int row_height) {
    auto* g = new StringGrid(parent);
    g->setGeometry(geometry);
    g->set_col_count(cols);
    g->set_row_count(rows);
    g->set_default_row_height(row_height);
    g->set_fixed_rows(1);
    g->set_fixed_cols(0);
    g->set_row_select(true);
    return g;
}

}  // namespace

TForm1::TForm1() {
    Form1 = this;
    year_text = velmo::today().toString(QStringLiteral("yyyy")).toStdString();
    build_window();
    // After the widgets, so that it is deleted after them: what follows it reads
    // it while they are shown.
    player_settings_ = new velmo::PlayerSettings(this);
    setup_year_list_painter();
    setup_editing_commands();
    setup_file_commands();
    setup_csv_commands();
    setup_layout_commands();
    setup_print_commands();
    setup_summary_grids();
    setup_attribute_grid();
    setup_machine_grid();
    setup_graph_tab();
    build_calendar();
    setAcceptDrops(true);
    ledger_view_ = new velmo::YearWindowLedger(*this);
    velmo::install_beyond_hooks(*this);
}

TForm1::~TForm1() {
    FormDestroy();
    if (Form1 == this) Form1 = nullptr;
}

QLabel* TForm1::label(int number) const {
    if (number < 5 || number > 14) return nullptr;
    return hall_scale_labels[static_cast<size_t>(number - 5)];
}

void TForm1::build_window() {
    setWindowIcon(velmo::app_icon());
    setFont(velmo::ui_font(12));
    central = new QWidget(this);
    central->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(central);

    // Tool bar with its three captioned buttons.
    CoolBar1 = new QWidget(central);
    CoolBar1->setGeometry(0, 0, 645, 46);
    CoolBar1->setAutoFillBackground(true);
    ToolBar1 = new QWidget(CoolBar1);
    ToolBar1->setGeometry(0, 0, 180, 46);
    auto tool = [this](const QString& text, const QPixmap& glyph, int left) {
        auto* b = new QToolButton(ToolBar1);
        b->setText(text);
        b->setIcon(QIcon(glyph));
        b->setIconSize(QSize(25, 25));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFont(velmo::ui_font(12));
        b->setGeometry(left, 1, 58, 44);
        return b;
    };
    ToolButton1 = tool(u("収支記入"), velmo::glyph_entry(), 0);
    ToolButton2 = tool(u("登録"), velmo::glyph_registry(), 58);
    ToolButton3 = tool(u("開く"), velmo::glyph_open(), 116);

    // The four enlargement buttons, in a cross.
    auto step_button = [this](const QString& text, int left, int top, int tag) {
        auto* b = new QPushButton(text, central);
        b->setGeometry(left, top, 26, 18);
        b->setProperty("Tag", tag);
        b->setFont(velmo::ui_font(12));
        return b;
    };
    Button4 = step_button(QStringLiteral("-"), 182, 14, -1);
    Button3 = step_button(QStringLiteral("+"), 236, 14, 1);
    Button5 = step_button(QStringLiteral("-"), 209, 4, -1);
    Button6 = step_button(QStringLiteral("+"), 209, 24, 1);
    Button4->setEnabled(false);
    Button5->setEnabled(false);

    StaticText1 = new QLabel(central);
    StaticText1->setGeometry(512, 13, 114, 18);
    StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StaticText1->setFont(velmo::ui_font(13));
    StaticText1->setAlignment(Qt::AlignCenter);

    PageControl1 = new velmo::TabControl(central, kTabBarHeight);
    PageControl1->setGeometry(-1, 54, 650, 374);
    PageControl1->setFont(velmo::ui_font(15));
    PageControl1->setDocumentMode(true);  // no frame: the pages keep the full height their controls need
    std::vector<velmo::Page> pages;
    auto sheet = [&pages](const char* caption) {
        auto* page = new QWidget();
        page->setFont(velmo::ui_font(12));
        pages.push_back({page, u(caption)});
        return page;
    };
    TabSheet1 = sheet("年収支一覧");
    TabSheet2 = sheet("月間収支");
    TabSheet3 = sheet("曜日収支");
    TabSheet4 = sheet("ホール別収支");
    TabSheet5 = sheet("機種別収支");
    TabSheet6 = sheet("属性別収支");
    TabSheet7 = sheet("グラフ");
    velmo::add_pages(*PageControl1, pages);

    build_year_list_tab();
    build_summary_tabs();
    build_menus();

    setFixedSize(sizeHint());
    velmo::set_dialog_parent(this);
}

void TForm1::build_year_list_tab() {
    int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    StringGrid1 = make_grid(TabSheet1, QRect(0, 0, 642, 251), 6, 17, 18);
    const int widths[6] = {45, 13, 152, 259, 74, 90 - sb};
    for (int c = 0; c < 6; ++c) StringGrid1->set_col_width(c, widths[c]);
    StringGrid1->set_cell(0, 0, SJ(u8"日付"));
    StringGrid1->set_cell(1, 0, SJ(u8"曜"));

    Splitter1 = new velmo::Splitter(TabSheet1);
    Splitter1->setGeometry(0, 251, 642, 3);

    Memo1 = new QPlainTextEdit(TabSheet1);
    Memo1->setGeometry(0, 254, 410, 59);
    Memo1->setReadOnly(true);
    Memo1->setFont(velmo::ui_font(15));
    Memo1->clear();

    Label1 = new QLabel(TabSheet1);
    Label1->setGeometry(412, 254, 130, 60);

    PaintBox1 = new velmo::PaintBox(TabSheet1);
    PaintBox1->setGeometry(549, 281, 75, 42);

    StatusBar1 = new velmo::StatusBar(TabSheet1);
    StatusBar1->setGeometry(0, 320, 641, 20);
    StatusBar1->set_panel_count(4);
    const int panels[4] = {175, 135, 292, 30};
    for (int i = 0; i < 4; ++i) StatusBar1->set_panel_width(i, panels[i]);
    StatusBar1->set_panel_text(3, QStringLiteral("v2.31"));

    // Hidden per-row data of the ledger.
    StringGrid5 = new StringGrid(TabSheet1);
    StringGrid5->set_col_count(kExtensionsCol + 1);
    StringGrid5->set_row_count(2);
    StringGrid5->set_fixed_cols(0);
    StringGrid5->hide();
}

void TForm1::build_summary_tabs() {
    StringGrid2 = make_grid(TabSheet2, QRect(-1, 0, 644, 270), 6, 14, 18);
    Label4 = new QLabel(TabSheet2);
    Label4->setGeometry(514, 280, 128, 18);

    StringGrid3 = make_grid(TabSheet3, QRect(-1, 0, 644, 175), 5, 9, 18);
    StringGrid6 = make_grid(TabSheet3, QRect(-1, 178, 644, 166), 6, 21, 17);
    StringGrid6->hide();

    StringGrid4 = make_grid(TabSheet4, QRect(-1, 0, 644, 327), 6, 2, 18);
    CheckBox1 = new QCheckBox(u("グラフ表示"), TabSheet4);
    CheckBox1->setGeometry(2, 328, 100, 18);

    StringGrid7 = make_grid(TabSheet5, QRect(-1, 0, 644, 327), 6, 2, 18);
    CheckBox2 = new QCheckBox(u("グラフ表示"), TabSheet5);
    CheckBox2->setGeometry(2, 328, 100, 18);
    ListBox1 = new QListWidget(TabSheet5);
    ListBox1->hide();

    // Scale labels: Label9..Label13 under the hall grid, Label5..8 and Label14 under the machine grid.
    const int lefts[5] = {214, 304, 395, 486, 577};
    const int hall_numbers[5] = {9, 10, 11, 12, 13};
    const int machine_numbers[5] = {5, 6, 7, 8, 14};
    for (int i = 0; i < 5; ++i) {
        auto make = [&](QWidget* page, int number) {
            auto* l = new QLabel(page);
            l->setGeometry(lefts[i], 328, 60, 16);
            l->setFont(velmo::ui_font(12));
            l->setObjectName(QStringLiteral("Label%1").arg(number));
            hall_scale_labels[static_cast<size_t>(number - 5)] = l;
        };
        make(TabSheet4, hall_numbers[i]);
        make(TabSheet5, machine_numbers[i]);
    }

    StringGrid10 = make_grid(TabSheet6, QRect(-1, 0, 644, 327), 6, 17, 18);
    for (int r = 1; r <= 16; ++r) StringGrid10->set_cell(0, r, std::to_string(r));

    Image2 = new velmo::PaintBox(TabSheet7);
    Image2->setGeometry(0, 0, 642, 346);
}

void TForm1::build_menus() {
    velmo::keep_menu_bar_height(*menuBar(), kMenuBarHeight);
    File1 = menuBar()->addMenu(u("ファイル"));
    Open1 = File1->addAction(u("開く"));
    New1 = File1->addAction(u("新規作成"));
    File1->addSeparator();
    export_csv_action = File1->addAction(u("CSVファイルに書き出し..."));
    import_csv_action = File1->addAction(u("CSVファイルから読み込み..."));
    File1->addSeparator();
    PrintSet1 = File1->addAction(u("印刷設定"));
    PrintPreview1 = File1->addAction(u("印刷ﾌﾟﾚﾋﾞｭｰ"));
    Print1 = File1->addAction(u("印刷"));
    File1->addSeparator();
    kanren = File1->addAction(u("関連付け"));
    File1->addSeparator();
    Close1 = File1->addAction(u("閉じる"));

    N1 = menuBar()->addMenu(u("収支"));
    InputInCome = N1->addAction(u("記入"));
    InComeTeisei = N1->addAction(u("訂正"));
    InComeDelete1 = N1->addAction(u("削除"));
    N1->addSeparator();
    IncomeTuika = N1->addAction(u("項目追加"));
    InComeRecord = N1->addAction(u("記録"));

    PopupMenu1 = new QMenu(this);
    input_cal = PopupMenu1->addAction(u("記入"));
    input_cal->setVisible(false);
    N2 = PopupMenu1->addAction(u("訂正"));
    Delete1 = PopupMenu1->addAction(u("削除"));
    PopupMenu1->addSeparator();
    pop_calen = PopupMenu1->addAction(u("表示切替"));
}

void TForm1::set_caption_for_year() {
    setWindowTitle(QStringLiteral("Velmorant  --") + velmo::from_cp932(year_text) + u("年収支--"));
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!init_done) {
        init_done = true;
        init();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    // While a dialog has disabled the window, a close request is ignored:
    // nothing is asked, saved or released. A failed save keeps the window too.
    if (!isEnabled() || !save_shusi()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    if (WMDropFiles(event->mimeData()->urls())) event->acceptProposedAction();
}

bool TForm1::WMDropFiles(const QList<QUrl>& urls) {
    // Only the first dropped file is opened.
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            open_dropped_file(url.toLocalFile());
            return true;
        }
    }
    return false;
}
