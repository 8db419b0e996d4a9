// The windows under the fonts Japanese desktops have. FontLayout checks, under
// whatever fonts this process has, that every control and every owner-drawn text
// stays inside its place on every page and at every enlargement step, and which
// family each window resolved. FontSetups runs those checks again under a Japanese
// locale with three font configurations of its own: IPAGothic alone, Noto Sans
// CJK JP alone, and both.
#include <QAbstractScrollArea>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>

#include "bench/ledger_gen.h"
#include "budget/budget.h"
#include "budget/budget_monitor.h"
#include "framework/draw.h"
#include "framework/printer.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"
#include "views/summary_calc.h"
#include "views/summary_grid.h"

namespace velmo::testing {
namespace {

// Controls whose children are their own parts, laid out by Qt.
bool is_composite(const QWidget& w) {
    return qobject_cast<const QAbstractScrollArea*>(&w) || qobject_cast<const QComboBox*>(&w) ||
           qobject_cast<const QCalendarWidget*>(&w) || qobject_cast<const QTabBar*>(&w);
}

QString name_of(const QWidget& w) {
    const QString name = w.objectName();
    return QString::fromLatin1(w.metaObject()->className()) + (name.isEmpty() ? QString() : QLatin1Char(' ') + name);
}

// Every shown control ends inside what is shown of its parent (visible, in the
// window's coordinates): tab controls and their pages only clip their children,
// since the main window's tab control reaches past the window's sides and foot by
// a pixel or two to keep its borders out of view.
void check_children(const QWidget& parent, const QRect& visible, const QString& where, QStringList& faults) {
    QList<QWidget*> children;
    if (auto* tabs = qobject_cast<const QTabWidget*>(&parent)) {
        if (tabs->currentWidget()) children.push_back(tabs->currentWidget());
    } else if (!is_composite(parent)) {
        for (QObject* o : parent.children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->objectName().startsWith(QLatin1String("qt_"))) children.push_back(w);
    }
    const bool pages = qobject_cast<const QTabWidget*>(&parent) != nullptr;
    for (QWidget* child : children) {
        if (child->isWindow() || child->isHidden()) continue;
        const QRect rect(child->mapTo(child->window(), QPoint()), child->size());
        const bool container = pages || qobject_cast<const QTabWidget*>(child);
        if (!container && (rect.right() > visible.right() || rect.bottom() > visible.bottom()))
            faults << QStringLiteral("%1: %2 at %3,%4 %5x%6 ends outside %7 (shown to %8,%9)")
                          .arg(where, name_of(*child))
                          .arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height())
                          .arg(name_of(parent)).arg(visible.right()).arg(visible.bottom());
        check_children(*child, visible & rect, where, faults);
    }
}

class FontLayout : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        write_bytes(QStringLiteral("velmo.lst"), encode_registry(bench::generated_registry()));
        read_registry();
        bench::LedgerShape shape;
        shape.records = 400;
        write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(bench::generated_ledger("2004", shape)));
        form1->graph_animate = false;
        load(path(QStringLiteral("vq2004.vqd")));
        set_text_box_probe([this](QPainter&, const QRect& rect, const QRect& box) {
            // A bottom-aligned header of 15 pixels in a row of 16 has always started a
            // pixel above its cell in IPAGothic; no font may reach further.
            if (box.top() < rect.top() - 1 || box.bottom() > rect.bottom())
                text_faults << QStringLiteral("%1: a text of %2 pixels at %3..%4 in a place at %5..%6")
                                   .arg(where).arg(box.height()).arg(box.top()).arg(box.bottom())
                                   .arg(rect.top()).arg(rect.bottom());
        });
    }
    void TearDown() override {
        set_text_box_probe(nullptr);
        AppFixture::TearDown();
    }

    // Paints window as shown and checks its controls and texts.
    void check(QWidget& window, const QString& place) {
        where = place;
        window.grab();
        check_children(window, window.rect(), place, faults);
    }
    void check_every_page(QWidget& window, QTabWidget& tabs, const QString& place) {
        for (int i = 0; i < tabs.count(); ++i) {
            tabs.setCurrentIndex(i);
            check(window, place + QLatin1Char('/') + tabs.tabText(i));
        }
    }
    void expect_no_faults() {
        EXPECT_TRUE(faults.isEmpty()) << faults.size() << " controls outside their place, first:\n"
                                      << faults.mid(0, 20).join(QLatin1Char('\n')).toStdString();
        text_faults.removeDuplicates();
        EXPECT_TRUE(text_faults.isEmpty()) << text_faults.mid(0, 20).join(QLatin1Char('\n')).toStdString();
    }

    QString where;
    QStringList faults;
    QStringList text_faults;
};

TEST_F(FontLayout, MainWindowAtEveryStep) {
    form1->show();
    // The menu bar and the tab bar keep their heights whatever the font.
    EXPECT_EQ(form1->menuBar()->height(), 18);
    EXPECT_EQ(form1->height(), form1->centralWidget()->height() + 18);
    EXPECT_EQ(form1->PageControl1->tabBar()->height(), 28);
    // The TOTAL caption closes up its letters only when it would not fit otherwise.
    EXPECT_EQ(form1->StaticText1->font().letterSpacing(), 0) << form1->StaticText1->text().toStdString();
    const auto pages = [&](const QString& step) {
        check_every_page(*form1, *form1->PageControl1, step);
        form1->PageControl1->setCurrentIndex(0);
        form1->pop_calenClick();  // the year list's calendar view, and back
        EXPECT_TRUE(form1->view_flags & 1);
        check(*form1, step + QStringLiteral("/calendar"));
        form1->pop_calenClick();
    };
    pages(QStringLiteral("base"));
    for (int v = 1; v <= 15; ++v) {
        form1->Button6->click();
        pages(QStringLiteral("height %1").arg(v));
    }
    // The generated year's extra column takes some of the 21 width steps.
    while (form1->Button3->isEnabled()) {
        form1->Button3->click();
        pages(QStringLiteral("height 15 width %1").arg(form1->hsize_level));
    }
    EXPECT_EQ(form1->vsize_level, 15);
    EXPECT_EQ(form1->width_step, 21);
    expect_no_faults();
}

TEST_F(FontLayout, DialogsAndSecondaryWindows) {
    form1->show();
    form1->InputInComeClick();
    ASSERT_TRUE(form2->isVisible());
    check(*form2, QStringLiteral("entry"));
    form2->Button2Click();

    form1->ToolButton2Click();
    ASSERT_TRUE(form3->isVisible());
    check_every_page(*form3, *form3->PageControl1, QStringLiteral("registry"));
    form3->close();

    form1->InComeRecordClick();
    ASSERT_TRUE(form5->isVisible());
    EXPECT_EQ(form5->PageControl1->tabBar()->height(), 25);
    check_every_page(*form5, *form5->PageControl1, QStringLiteral("records"));
    form5->close();

    form6->draw_month_graph(3);
    form6->show();
    check(*form6, QStringLiteral("monthly graph"));
    form6->close();

    form7->show();
    check(*form7, QStringLiteral("extra column"));
    form7->close();

    ImagePrinter printer(QSize(2250, 3000));
    form1->PrintPreview1Click();
    ASSERT_TRUE(form4->isVisible());
    check(*form4, QStringLiteral("preview"));
    form4->Button1Click();
    expect_no_faults();
}

// The hall tab's balance bars are as long as their balances give in the family
// this run resolved (FontSetups runs it with each): a bar depends on its columns'
// widths alone, never on the texts drawn over it.
TEST_F(FontLayout, HallBarsKeepTheirLengthsWhateverTheFont) {
    form1->clear_ledger();
    form1->reset_for_load();
    const struct {
        const char* hall;
        long long investment, payout;
    } visits[] = {{"ホールＡ", 10000, 51000}, {"ホールＢ", 20000, 29000}, {"ホールＣ", 50000, 9000}, {"ホールＤ", 1000, 1100}};
    for (const auto& v : visits) append_record({make_date_text(4, 1), v.hall, "M", v.investment, v.payout, "", "", ""});
    form1->refresh_after_change();
    form1->show();
    form1->PageControl1->setCurrentWidget(form1->StringGrid4->parentWidget());
    form1->CheckBox1->setChecked(true);
    form1->CheckBox1Click();
    StringGrid& grid = *form1->StringGrid4;
    ASSERT_EQ(form1->hall_scale, 60000);
    const QImage image = grid.grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    for (int row = 1; row <= 4; ++row) {
        const std::int64_t balance = cell_number(grid.cell(4, row));
        const QRect first = grid.cell_rect(2, row);
        const int top = static_cast<int>((first.top() + 2) * dpr);
        const int bottom = static_cast<int>((first.bottom() - 1) * dpr);
        const BarColors colors = bar_colors(balance);
        // A pixel column belongs to the bar when any of its pixels has a bar colour: the
        // figures drawn over it hide parts of a column, never all of it; the lines
        // between the cells cross the bar without taking from it.
        int drawn = 0;
        for (int x = static_cast<int>(first.left() * dpr); x < image.width(); ++x) {
            for (int y = top; y <= bottom; ++y) {
                const QColor c = image.pixelColor(x, y);
                if (c == colors.dark || c == colors.medium || c == colors.light) {
                    ++drawn;
                    break;
                }
            }
        }
        EXPECT_EQ(std::lround(drawn / dpr), bar_length(grid.col_width(2), form1->hall_scale, balance))
            << "row " << row << " balance " << balance;
    }
}

// The family every window resolved, when the run names the one expected.
TEST_F(FontLayout, EveryWindowUsesTheExpectedFamily) {
    const QString expected = qEnvironmentVariable("VELMO_EXPECT_FAMILY");
    const QStringList names = expected.isEmpty() ? QStringList{ui_family()} : expected.split(QLatin1Char('|'));
    for (QWidget* w : std::initializer_list<QWidget*>{form1.get(), form2.get(), form3.get(), form4.get(), form5.get(),
                                                      form6.get(), form7.get()})
        EXPECT_TRUE(names.contains(QFontInfo(w->font()).family())) << name_of(*w).toStdString() << ": " << QFontInfo(w->font()).family().toStdString();
    if (!expected.isEmpty()) {
        // The run is under the Japanese locale, which must exist on the machine.
        EXPECT_TRUE(QString::fromLatin1(std::setlocale(LC_CTYPE, nullptr)).startsWith(QLatin1String("ja_JP")))
            << std::setlocale(LC_CTYPE, nullptr);
    }
}

// The budget's panel holds the longest texts it can show, at every height step and
// in the family this run resolved (FontSetups runs it with each): a month holding
// every record of a year, each lost or won at the most a balance cell holds,
// under the smallest or the largest budget; and the largest budget a little ahead.
TEST_F(FontLayout, BudgetPanelHoldsItsLongestTexts) {
    const struct {
        long long investment, payout;
        int records;  // all of them in March
        std::int64_t budget;
        const char* text;
    } cases[] = {
        {kCellFigureMax, 0, kMaxRecordNumber, 1, "予算超過 -2,196,875,770,880円"},
        {0, kCellFigureMax, kMaxRecordNumber, budget::kMaxAmount, "予算残り 2,196,975,770,880円"},
        {0, 4000, 1, budget::kMaxAmount, "予算残り 100,003,999円"},
    };
    std::vector<QRect> boxes;  // the texts the panel drew, and their places
    std::vector<QRect> places;
    set_text_box_probe([&](QPainter&, const QRect& rect, const QRect& box) {
        places.push_back(rect);
        boxes.push_back(box);
    });
    form1->show();
    auto* panel = form1->findChild<StatusBar*>(QStringLiteral("budget_panel"));
    auto* monitor = form1->findChild<budget::BudgetMonitor*>(QStringLiteral("budget_monitor"));
    ASSERT_TRUE(panel && monitor);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        form1->clear_ledger();
        form1->reset_for_load();
        for (int j = 0; j < c.records; ++j)
            append_record({make_date_text(3, 1 + j % 31), "H", "M", c.investment, c.payout, "", "", ""});
        form1->refresh_after_change();
        form1->player_settings().set(budget::Budget{c.budget, 0});
        while (form1->Button5->isEnabled()) form1->Button5->click();
        for (int v = 0;; ++v) {
            SCOPED_TRACE(v);
            form1->StringGrid1->set_row(1);
            form1->StringGrid1Click();
            form1->grab();  // the status bar's paint brings the panel up to date
            ASSERT_EQ(panel->panel_text(0), u(c.text));
            boxes.clear();
            places.clear();
            panel->grab();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_TRUE(places[0].contains(QRect(boxes[0].left(), places[0].top(), boxes[0].width(), 1)))
                << "a text " << boxes[0].width() << " wide in a place of " << places[0].width();
            const QFontMetrics metrics(ui_font(form1->StatusBar1->font_height()));
            EXPECT_LE(metrics.horizontalAdvance(u(c.text)), places[0].width());
            // Left of the logo, over the comment box only where the strip beside it is too narrow.
            const QRect on_tab(panel->mapTo(form1->TabSheet1, QPoint()), panel->size());
            EXPECT_LT(on_tab.right(), form1->PaintBox1->x());
            EXPECT_GE(on_tab.left(), 0);
            if (!form1->Button6->isEnabled()) break;
            form1->Button6->click();
        }
    }
    set_text_box_probe(nullptr);
}

TEST(TextShift, MovesAnEmSquareIntoItsRectangle) {
    struct Case {
        QRect em, rect;
        int shift;
    } cases[] = {
        {{0, 2, 50, 15}, {0, 0, 50, 18}, 0},    // inside
        {{0, -1, 50, 15}, {0, 0, 50, 16}, 0},   // a pixel above: as drawn always
        {{0, -2, 50, 15}, {0, 2, 50, 16}, 3},   // a tall line's baseline, bottom-aligned
        {{0, 6, 50, 15}, {0, 0, 50, 18}, -3},   // top-aligned: the foot out below
        {{0, 5, 50, 20}, {0, 0, 50, 15}, -6},   // taller than the rectangle: top a pixel above
    };
    for (const Case& c : cases) EXPECT_EQ(text_shift_into(c.em, c.rect), c.shift) << c.em.y() << " in " << c.rect.y();
}

// The folder of the font file fontconfig finds for family, when it finds that family.
QString font_folder(const char* family) {
    const FontMatch match = fontconfig_match(family);
    return match.is_family ? QFileInfo(match.file).absolutePath() : QString();
}

TEST(FontSetups, EveryWindowFitsUnderAJapaneseLocaleWithEachFont) {
    const QString ipa = font_folder("IPAGothic");
    const QString noto = font_folder("Noto Sans CJK JP");
    ASSERT_FALSE(ipa.isEmpty()) << "IPAGothic is not installed (fonts-ipafont-gothic)";
    ASSERT_FALSE(noto.isEmpty()) << "Noto Sans CJK JP is not installed (fonts-noto-cjk)";
    ASSERT_NE(ipa, noto);
    struct Setup {
        const char* name;
        QStringList folders;
        const char* expected;  // the family's names under a Japanese locale
    };
    const Setup setups[] = {
        {"IPAGothic alone", {ipa}, "IPAGothic|IPAゴシック"},
        {"Noto Sans CJK JP alone", {noto}, "Noto Sans CJK JP"},
        {"both", {noto, ipa}, "IPAGothic|IPAゴシック"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Setup& setup : setups) {
        SCOPED_TRACE(setup.name);
        const QString conf = dir.filePath(QString::fromLatin1(setup.name).replace(QLatin1Char(' '), QLatin1Char('_')) + QStringLiteral(".conf"));
        QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n");
        for (const QString& folder : setup.folders) text += QStringLiteral("  <dir>%1</dir>\n").arg(folder);
        text += QStringLiteral("  <cachedir>%1</cachedir>\n</fontconfig>\n").arg(dir.filePath(QStringLiteral("cache")));
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        f.close();

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FONTCONFIG_FILE"), conf);
        env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VELMO_EXPECT_FAMILY"), QString::fromUtf8(setup.expected));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=FontLayout.*")});
        ASSERT_TRUE(child.waitForFinished(240000)) << "the checks did not end";
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ] 5 tests."))) << output.toStdString();
    }
}

}  // namespace
}  // namespace velmo::testing
