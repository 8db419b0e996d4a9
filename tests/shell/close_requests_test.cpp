// Closing the main window when it must not end the program: while a dialog has
// disabled it, and when the save that the close (or a file switch) asked for fails.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>

#include "framework/printer.h"
#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using Masks = std::vector<std::uint16_t>;

std::string ledger_bytes(const std::string& year, const std::string& hall, const std::string& balance) {
    LedgerImage image;
    image.year = year;
    image.records.push_back({" 4/4", "", hall, "M", "", "", balance, "", 0});
    return encode_ledger(image);
}

// The hall texts of a saved ledger, record by record.
std::vector<std::string> saved_halls(const std::string& bytes) {
    DecodedLedger file;
    std::vector<std::string> halls;
    if (decode_ledger(bytes, file) != DecodeResult::Ok) return halls;
    for (const LedgerField& f : file.fields)
        if (f.tag == kTagHall) halls.push_back(f.text);
    return halls;
}

class CloseRequests : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        Registry reg;
        reg.halls = {"H"};
        reg.machines = {"M1", "M2"};
        reg.attribute_names[0] = "a1";
        reg.attribute_names[1] = "a2";
        reg.masks = Masks{0x0001, 0x0003};
        write_bytes(QStringLiteral("velmo.lst"), encode_registry(reg));
        read_registry();
        write_bytes(QStringLiteral("vq2004.vqd"), ledger_bytes("2004", "Kept", "100"));
        load(path(QStringLiteral("vq2004.vqd")));
        form1->show();
    }
};

TEST_F(CloseRequests, ADisabledMainWindowIgnoresCloseWhileEachDialogIsShown) {
    ImagePrinter printer(QSize(2250, 2000));
    const std::string lst = read_bytes(QStringLiteral("velmo.lst"));
    const std::string ledger = read_bytes(QStringLiteral("vq2004.vqd"));
    struct Dialog {
        const char* name;
        std::function<void()> open;
        QWidget* window;
    };
    const std::vector<Dialog> shown_over_main = {
        {"entry", [&] { form1->SpeedButton1Click(); }, form2.get()},
        {"registry", [&] { form1->ToolButton2Click(); }, form3.get()},
        {"extra column", [&] { form1->IncomeTuikaClick(); }, form7.get()},
        {"records", [&] { form1->InComeRecordClick(); }, form5.get()},
        {"monthly graph", [&] { form1->mouth_graph(); }, form6.get()},
        {"print preview", [&] { form1->PrintPreview1Click(); }, form4.get()},
    };
    for (const Dialog& d : shown_over_main) {
        SCOPED_TRACE(d.name);
        form1->dirty = 1;  // a close that ran would ask about these changes
        dialogs.shown.clear();
        d.open();
        ASSERT_TRUE(d.window->isVisible());
        ASSERT_FALSE(form1->isEnabled());

        form1->close();  // the window manager's close button of the main window
        EXPECT_TRUE(form1->isVisible());
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_EQ(form1->attr_mask, (Masks{0x0001, 0x0003}));
        EXPECT_EQ(form1->dirty & 1, 1);

        d.window->close();  // the registry dialog writes velmo.lst as it closes
        EXPECT_TRUE(form1->isEnabled());
        EXPECT_EQ(decode_registry(read_bytes(QStringLiteral("velmo.lst"))).masks, (std::optional<Masks>{Masks{1, 3}}));
        EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), ledger);
    }

    // After the entry dialog, a width step saves the registry with the ledger: the masks are whole.
    form1->SpeedButton1Click();
    form1->close();
    form2->Button2Click();
    form1->Button3->click();
    dialogs.answers = {false};
    form1->close();
    EXPECT_FALSE(form1->isVisible());
    const Registry saved = decode_registry(read_bytes(QStringLiteral("velmo.lst")));
    EXPECT_EQ(saved.masks, (std::optional<Masks>{Masks{1, 3}}));
    EXPECT_EQ(saved.hsize_level, 1);
    EXPECT_NE(read_bytes(QStringLiteral("velmo.lst")), lst);
    EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), ledger);
}

// The open ledger's folder is renamed away, so its save fails until it is back.
class FailedSave : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("books")));
        write_bytes(QStringLiteral("books/vq2004.vqd"), ledger_bytes("2004", "Old", "100"));
        write_bytes(QStringLiteral("other.vqd"), ledger_bytes("2001", "Other", "5"));
        load(path(QStringLiteral("books/vq2004.vqd")));
        form1->show();
        // The player's change.
        form1->StringGrid1->set_cell(form1->hall_col, 1, "Edited");
        form1->dirty = 1;
        ASSERT_TRUE(QDir(dir.path()).rename(QStringLiteral("books"), QStringLiteral("moved")));
    }
    void put_folder_back() { ASSERT_TRUE(QDir(dir.path()).rename(QStringLiteral("moved"), QStringLiteral("books"))); }
    // The question, then the failure.
    std::vector<QString> failed_save_texts() const {
        return {u("収支を保存しますか？"), path(QStringLiteral("books/vq2004.vqd")) + u(" に保存できませんでした（保存先のフォルダーがありません）")};
    }
    void expect_edited_ledger_still_open() {
        EXPECT_EQ(form1->year_text, "2004");
        EXPECT_EQ(form1->file_name, path(QStringLiteral("books/vq2004.vqd")));
        EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "Edited");
        EXPECT_EQ(form1->dirty & 1, 1);
    }
};

TEST_F(FailedSave, CloseIsCancelledAndTheNextCloseSavesTheChanges) {
    dialogs.answers = {true};
    form1->close();
    EXPECT_EQ(dialogs.texts(), failed_save_texts());
    EXPECT_TRUE(form1->isVisible());
    expect_edited_ledger_still_open();

    // The menu's close as well.
    dialogs.shown.clear();
    dialogs.answers = {true};
    form1->Close1Click();
    EXPECT_EQ(dialogs.texts(), failed_save_texts());
    EXPECT_TRUE(form1->isVisible());

    put_folder_back();
    dialogs.shown.clear();
    dialogs.answers = {true};
    form1->close();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("収支を保存しますか？")});
    EXPECT_FALSE(form1->isVisible());
    EXPECT_EQ(saved_halls(read_bytes(QStringLiteral("books/vq2004.vqd"))), std::vector<std::string>{"Edited"});
}

TEST_F(FailedSave, DropOpenAndNewAreCancelled) {
    dialogs.answers = {true};
    EXPECT_TRUE(form1->WMDropFiles({QUrl::fromLocalFile(path(QStringLiteral("other.vqd")))}));
    EXPECT_EQ(dialogs.texts(), failed_save_texts());
    expect_edited_ledger_still_open();

    // Neither the open dialog nor the year box is shown after the failure.
    dialogs.shown.clear();
    dialogs.answers = {true};
    dialogs.files = {path(QStringLiteral("other.vqd"))};
    form1->Open1Click();
    EXPECT_EQ(dialogs.texts(), failed_save_texts());
    expect_edited_ledger_still_open();

    dialogs.shown.clear();
    dialogs.answers = {true};
    dialogs.inputs = {QStringLiteral("2010")};
    form1->New1Click();
    EXPECT_EQ(dialogs.texts(), failed_save_texts());
    expect_edited_ledger_still_open();

    // Once the folder is back the drop saves first, then opens the other ledger.
    put_folder_back();
    dialogs.shown.clear();
    dialogs.answers = {true};
    EXPECT_TRUE(form1->WMDropFiles({QUrl::fromLocalFile(path(QStringLiteral("other.vqd")))}));
    EXPECT_EQ(form1->year_text, "2001");
    EXPECT_EQ(saved_halls(read_bytes(QStringLiteral("books/vq2004.vqd"))), std::vector<std::string>{"Edited"});
}

}  // namespace
}  // namespace velmo::testing
