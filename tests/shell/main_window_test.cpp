// The main window as it starts: its tabs, bars and menus, start-up with a
// ledger named on the command line, and a file dropped on the window.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QPushButton>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>
#include <QApplication>
#include <gtest/gtest.h>

#include "framework/runtime.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using MainWindow = AppFixture;

std::string one_record_ledger(const std::string& year, const std::string& date, const std::string& balance) {
    LedgerImage image;
    image.year = year;
    image.records.push_back({date, "", "H", "M", "", "", balance, "note", 0});
    return encode_ledger(image);
}

TEST_F(MainWindow, ComposedWithItsTabsBarsAndMenus) {
    const char* tabs[7] = {"年収支一覧", "月間収支", "曜日収支", "ホール別収支", "機種別収支", "属性別収支", "グラフ"};
    ASSERT_EQ(form1->PageControl1->count(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(form1->PageControl1->tabText(i), u(tabs[i]));
    EXPECT_EQ(form1->StatusBar1->panel_count(), 4);
    EXPECT_EQ(form1->StatusBar1->panel_width(2), 292);
    EXPECT_EQ(form1->StatusBar1->panel_text(3), QStringLiteral("v2.31"));
    EXPECT_EQ(form1->StringGrid1->col_count(), 6);
    EXPECT_EQ(form1->StringGrid1->row_count(), 17);
    EXPECT_EQ(form1->StringGrid1->cell(0, 0), sj("日付"));
    EXPECT_EQ(form1->StringGrid1->cell(1, 0), sj("曜"));
    EXPECT_TRUE(form1->StringGrid5->isHidden());
    EXPECT_FALSE(form1->Button4->isEnabled());
    EXPECT_FALSE(form1->Button5->isEnabled());
    EXPECT_EQ(form1->menuBar()->actions().size(), 2);
    EXPECT_EQ(form1->File1->title(), u("ファイル"));
    EXPECT_EQ(form1->N1->title(), u("収支"));
    EXPECT_EQ(form1->year_text, QDate(2004, 3, 20).toString(QStringLiteral("yyyy")).toStdString());
    EXPECT_FALSE(form1->windowIcon().isNull());
    // The lowest controls of the tabs fit in the page height.
    form1->show();
    const int page_height = form1->PageControl1->currentWidget()->height();
    EXPECT_GE(page_height, 346);
    EXPECT_LE(form1->CheckBox1->geometry().bottom(), page_height - 1);
    EXPECT_LE(form1->StatusBar1->geometry().bottom(), page_height - 1);
}

TEST_F(MainWindow, StartUpOpensTheFileNamedOnTheCommandLine) {
    write_bytes(QStringLiteral("mine.vqd"), one_record_ledger("2001", " 6/9", "700"));
    form1->arguments = {path(QStringLiteral("mine.vqd")), QStringLiteral("ignored.vqd")};
    form1->init();
    EXPECT_EQ(form1->file_name, path(QStringLiteral("mine.vqd")));
    EXPECT_EQ(form1->year_text, "2001");
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->windowTitle(), u("Velmorant  --2001年収支--"));
    EXPECT_EQ(form1->Memo1->toPlainText(), QStringLiteral("note"));  // the selected record's comment
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ ＋700"));
    EXPECT_TRUE(dialogs.shown.empty());
}

// The selection stays on row 1 from one ledger to the next: the comment box and
// the status bar must still show the newly loaded ledger's record, or none.
TEST_F(MainWindow, EachLoadShowsItsOwnSelectedRecordWhenTheSelectionStaysOnItsRow) {
    const auto ledger = [](const char* comment, const char* investment, const char* payout) {
        LedgerImage image;
        image.year = "2003";
        image.records.push_back({" 2/3", "", "H", "M", "", pack_day_totals({investment, payout}), "1", comment, 0});
        return encode_ledger(image);
    };
    write_bytes(QStringLiteral("a.vqd"), ledger("first", "100", "800"));
    write_bytes(QStringLiteral("b.vqd"), ledger("second", "300", "50"));
    load(path(QStringLiteral("a.vqd")));
    ASSERT_EQ(form1->StringGrid1->row(), 1);
    EXPECT_EQ(form1->Memo1->toPlainText(), QStringLiteral("first"));
    EXPECT_EQ(form1->StatusBar1->panel_text(0), QStringLiteral("BET: 100  PAYOUT: 800"));

    load(path(QStringLiteral("b.vqd")));
    ASSERT_EQ(form1->StringGrid1->row(), 1);
    EXPECT_EQ(form1->Memo1->toPlainText(), QStringLiteral("second"));
    EXPECT_EQ(form1->StatusBar1->panel_text(0), QStringLiteral("BET: 300  PAYOUT: 50"));

    // A new ledger has no record to show.
    form1->year_text = "2005";
    dialogs.answers = {true};
    load(path(QStringLiteral("vq2005.vqd")));
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form1->Memo1->toPlainText(), QString());
    EXPECT_EQ(form1->StatusBar1->panel_text(0), QString());
}

TEST_F(MainWindow, StartUpWithoutArgumentsUsesTheYearsDefaultFile) {
    form1->year_text = "2004";
    dialogs.answers = {true};
    form1->init();
    EXPECT_EQ(form1->file_name, QStringLiteral("vq2004.vqd"));
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("2004年の収支表を新規で作成します")});
}

TEST_F(MainWindow, DroppedFileAsksToSaveFirstThenOpensIt) {
    write_bytes(QStringLiteral("a.vqd"), one_record_ledger("2002", " 1/1", "100"));
    write_bytes(QStringLiteral("b.vqd"), one_record_ledger("2003", " 2/2", "-50"));
    load(path(QStringLiteral("a.vqd")));
    form1->dirty = 1;
    dialogs.answers = {false};

    EXPECT_TRUE(form1->WMDropFiles({QUrl::fromLocalFile(path(QStringLiteral("b.vqd"))),
                                    QUrl::fromLocalFile(path(QStringLiteral("a.vqd")))}));

    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("収支を保存しますか？")});
    EXPECT_EQ(form1->file_name, path(QStringLiteral("b.vqd")));  // only the first file
    EXPECT_EQ(form1->year_text, "2003");
    EXPECT_EQ(form1->StringGrid1->cell(0, 1), " 2/2");
    EXPECT_EQ(form1->PageControl1->currentWidget(), form1->TabSheet1);
    EXPECT_EQ(form1->StatusBar1->panel_text(2), QStringLiteral("H TOTAL -50"));  // the new ledger's details
}

TEST_F(MainWindow, ADroppedFileOfAnotherFormatEndsTheProgramOnlyAfterTheDropReturns) {
    write_bytes(QStringLiteral("a.vqd"), one_record_ledger("2002", " 1/1", "100"));
    write_bytes(QStringLiteral("notes.txt"), "a text file, not a ledger\n");
    load(path(QStringLiteral("a.vqd")));
    form1->show();

    // The events the window system delivers for a drag of the file onto the window.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path(QStringLiteral("notes.txt")))});
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form1.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form1.get(), &drop);

    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("ファイル形式が違います")});
    EXPECT_TRUE(drop.isAccepted());
    // The window outlives the drop handler; it closes from the event loop after it.
    EXPECT_TRUE(form1->isVisible());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(form1->isVisible());
    EXPECT_EQ(dialogs.texts().size(), 1u);      // nothing saved, nothing asked
}

TEST_F(MainWindow, ClosingAsksOnceAndSavesOnYes) {
    write_bytes(QStringLiteral("c.vqd"), one_record_ledger("2002", " 1/1", "100"));
    load(path(QStringLiteral("c.vqd")));
    form1->StringGrid1->set_cell(form1->balance_col, 1, "250");
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->close();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("収支を保存しますか？")});
    DecodedLedger saved;
    ASSERT_EQ(decode_ledger(read_bytes(QStringLiteral("c.vqd")), saved), DecodeResult::Ok);
    ASSERT_FALSE(saved.fields.empty());
    bool found = false;
    for (const auto& f : saved.fields) found = found || (f.tag == kTagBalance && f.text == "250");
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace velmo::testing
