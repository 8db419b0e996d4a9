// The name registry file: golden bytes, round trips, damaged files, and the
// windows it fills and is written from.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>


#include "entry/tform2.h"
#include "entry/tform3.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "ledger/registry_file.h"
#include "shell/tform1.h"
#include "tests/support/app_fixture.h"

namespace velmo {
namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) out.push_back(static_cast<char>(b));
    return out;
}

TEST(RegistryCodec, GoldenBytesOfOneHall) {
    Registry reg;
    reg.halls = {"A"};
    EXPECT_EQ(encode_registry(reg), bytes({0x00, 0x01, 0x41, 0x20, 0x02, 0x00, 0x00, 0x14, 0x01, 0x00, 0x16, 0x01, 0x00, 0xFF}));
}

TEST(RegistryCodec, FullRegistryInItsFixedOrder) {
    Registry reg;
    reg.halls = {"H1", cp932_literal("ホール")};
    reg.machines = {"M1", "M2"};
    reg.attribute_names[1] = "B";
    reg.attribute_names[4] = "EE";
    reg.masks = std::vector<std::uint16_t>{0x0012, 0x8001};
    reg.hsize_level = 3;
    reg.vsize_level = 15;
    const std::string hall2 = cp932_literal("ホール");
    const std::string expected = bytes({0x00, 2}) + "H1" + bytes({0x00, 6}) + hall2 +
                                 bytes({0x01, 2}) + "M1" + bytes({0x01, 2}) + "M2" +
                                 bytes({0x10, 1}) + "B" + bytes({1}) +
                                 bytes({0x10, 2}) + "EE" + bytes({4}) +
                                 bytes({0x20, 2, 0, 2, 0x00, 0x12, 0x80, 0x01}) +
                                 bytes({0x14, 1, 3, 0x16, 1, 15, 0xFF});
    EXPECT_EQ(encode_registry(reg), expected);

    const Registry back = decode_registry(expected);
    EXPECT_EQ(back.halls, reg.halls);
    EXPECT_EQ(back.machines, reg.machines);
    EXPECT_EQ(back.attribute_names, reg.attribute_names);
    EXPECT_EQ(back.masks, reg.masks);
    EXPECT_EQ(back.hsize_level, 3);
    EXPECT_EQ(back.vsize_level, 15);
    EXPECT_EQ(encode_registry(back), expected);
}

TEST(RegistryCodec, MissingMaskRecordAndUnknownRecords) {
    // Unknown types 0x05 and 0x30 sit between known records; there is no mask record.
    const std::string file = bytes({0x00, 1}) + "A" + bytes({0x05, 3, 9, 9, 9}) + bytes({0x01, 1}) + "M" +
                             bytes({0x30, 0}) + bytes({0x01, 1}) + "N" + bytes({0x16, 1, 7, 0xFF});
    const Registry reg = decode_registry(file);
    EXPECT_EQ(reg.halls, (std::vector<std::string>{"A"}));
    EXPECT_EQ(reg.machines, (std::vector<std::string>{"M", "N"}));
    EXPECT_FALSE(reg.masks.has_value());
    EXPECT_FALSE(reg.hsize_level.has_value());
    EXPECT_EQ(reg.vsize_level, 7);
    // A mask count of 0 leaves the masks as they were.
    const Registry zero = decode_registry(bytes({0x01, 1}) + "M" + bytes({0x20, 2, 0, 1, 0, 9, 0x20, 2, 0, 0, 0xFF}));
    EXPECT_EQ(zero.masks, (std::vector<std::uint16_t>{9}));
}

TEST(RegistryCodec, DamagedFilesStayWithinTheLists) {
    // Mask counts that disagree with the machine list are fitted to it.
    const Registry more = decode_registry(bytes({0x01, 1}) + "M" + bytes({0x20, 2, 0, 3, 0, 1, 0, 2, 0, 3, 0xFF}));
    EXPECT_EQ(more.masks, (std::vector<std::uint16_t>{1}));
    const Registry fewer = decode_registry(bytes({0x01, 1}) + "M" + bytes({0x01, 1}) + "N" + bytes({0x20, 2, 0, 1, 0x40, 0, 0xFF}));
    EXPECT_EQ(fewer.masks, (std::vector<std::uint16_t>{0x4000, 0}));
    // A count claiming more words than the file holds reads what is there.
    const Registry cut = decode_registry(bytes({0x01, 1}) + "M" + bytes({0x01, 1}) + "N" + bytes({0x20, 2, 0xFF, 0xFF, 0, 5, 0}));
    EXPECT_EQ(cut.masks, (std::vector<std::uint16_t>{5, 0}));
    // Attribute indexes outside 0..15 are ignored, the rest of the file still read.
    const Registry attr = decode_registry(bytes({0x10, 1}) + "X" + bytes({16}) + bytes({0x10, 1}) + "Y" + bytes({255}) +
                                          bytes({0x10, 1}) + "Z" + bytes({15}) + bytes({0x00, 1}) + "H" + bytes({0xFF}));
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(attr.attribute_names[static_cast<std::size_t>(i)].empty()) << i;
    }
    EXPECT_EQ(attr.attribute_names[15], "Z");
    EXPECT_EQ(attr.halls, (std::vector<std::string>{"H"}));
    // Data longer than 54 bytes keeps its first 54, never half a character, and
    // the records after it are still found.
    std::string long_name;
    for (int i = 0; i < 40; ++i) long_name += cp932_literal("機");  // 80 bytes
    const Registry lng = decode_registry(bytes({0x01, 80}) + long_name + bytes({0x01, 1}) + "M" + bytes({0xFF}));
    ASSERT_EQ(lng.machines.size(), 2u);
    EXPECT_EQ(lng.machines[0], long_name.substr(0, 54));
    EXPECT_EQ(lng.machines[1], "M");
    // Steps out of range are held to their ranges.
    const Registry steps = decode_registry(bytes({0x14, 1, 200, 0x16, 1, 16, 0xFF}));
    EXPECT_EQ(steps.hsize_level, 21);
    EXPECT_EQ(steps.vsize_level, 15);
    // Step records without their byte change nothing.
    const Registry no_step = decode_registry(bytes({0x14, 0, 0x16, 0, 0xFF}));
    EXPECT_FALSE(no_step.hsize_level.has_value());
    EXPECT_FALSE(no_step.vsize_level.has_value());
}

TEST(RegistryCodec, EveryTruncationReadsAPrefix) {
    Registry reg;
    reg.halls = {"Hall one", "Hall two"};
    reg.machines = {"M1", "M2", "M3"};
    reg.attribute_names[0] = "first";
    reg.attribute_names[15] = "last";
    reg.masks = std::vector<std::uint16_t>{1, 2, 3};
    reg.hsize_level = 5;
    reg.vsize_level = 6;
    const std::string full = encode_registry(reg);
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Registry part = decode_registry(std::string_view(full).substr(0, n));
        // Names are whole or missing, in order, and masks never outnumber machines.
        ASSERT_LE(part.halls.size(), 2u);
        for (std::size_t i = 0; i < part.halls.size(); ++i) {
            EXPECT_EQ(part.halls[i], reg.halls[i]) << n;
        }
        for (std::size_t i = 0; i < part.machines.size(); ++i) {
            EXPECT_EQ(part.machines[i], reg.machines[i]) << n;
        }
        if (part.masks) {
            EXPECT_EQ(part.masks->size(), part.machines.size()) << n;
        }
    }
    // Without its end byte the file is read to its end.
    const Registry no_end = decode_registry(std::string_view(full).substr(0, full.size() - 1));
    EXPECT_EQ(no_end.vsize_level, 6);
    EXPECT_EQ(no_end.masks, reg.masks);
    // Every byte overwritten with values that steer the reader elsewhere: the
    // result always fits its lists and survives another write and read.
    for (std::size_t n = 0; n < full.size(); ++n) {
        for (int value : {0x00, 0x01, 0x10, 0x14, 0x20, 0x7F, 0xFF}) {
            std::string damaged = full;
            damaged[n] = static_cast<char>(value);
            const Registry part = decode_registry(damaged);
            if (part.masks) {
                EXPECT_EQ(part.masks->size(), part.machines.size()) << n;
            }
            for (const auto& m : part.machines) {
                EXPECT_LE(m.size(), kRegistryRecordMax) << n;
            }
            EXPECT_EQ(encode_registry(decode_registry(encode_registry(part))), encode_registry(part)) << n;
        }
    }
    // Bytes after the end byte are not read.
    const Registry after = decode_registry(full + bytes({0x00, 1}) + "Z");
    EXPECT_EQ(after.halls, reg.halls);
}

// What every save writes reads as whole; a cut, a torn tail or garbled bytes read as damaged.
TEST(RegistryCodec, DamageIsTold) {
    Registry reg;
    reg.halls = {"H1", "H2"};
    reg.machines = {"M1", "M2"};
    reg.attribute_names[3] = "A";
    reg.masks = std::vector<std::uint16_t>{1, 2};
    reg.unread = {{0x41, std::string(60, 'u')}};  // a record of a later version
    const std::string full = encode_registry(reg);
    struct Case {
        std::string bytes;
        bool damaged;
    };
    const Case cases[] = {
        {full, false},
        {encode_registry(Registry{}), false},
        {bytes({0x00, 1}) + "A" + bytes({0x05, 1, 9, 0x30, 0, 0xFF}), false},  // types of a later version
        {full.substr(0, full.size() - 1), true},                              // no end byte
        {full.substr(0, 5), true},                                            // cut inside a record
        {full + bytes({0x00, 1}) + "Z", true},                                // bytes after the end: a torn tail
        {bytes({0x00, 1}) + "A" + bytes({0x83, 1, 0x41, 0xFF}), true},        // a type no save writes
        {bytes({0x10, 1}) + "X" + bytes({16, 0xFF}), true},                   // attribute index out of range
        {bytes({0x01, 1}) + "M" + bytes({0x20, 2, 0, 2, 0, 1, 0, 2, 0xFF}), true},  // two masks, one machine
        {bytes({0x01, 1}) + "M" + bytes({0x20, 1, 0, 0xFF}), true},           // a mask record without its count
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode_registry(c.bytes).damaged, c.damaged) << ::testing::PrintToString(c.bytes);
    }
    // A registry torn by an in-place save that died, the new bytes (a hall
    // added) over the old tail, cut at every byte, is told as damaged or holds
    // no name that neither file has: never garbage read as names. (A tear
    // that keeps the records aligned cannot be seen in the bytes; the copy an
    // in-place save keeps is what finds it.)
    Registry added = reg;
    added.halls.insert(added.halls.begin(), "New hall");
    const std::string next = encode_registry(added);
    int told = 0;
    for (std::size_t n = 1; n < next.size(); ++n) {
        const std::string torn = next.substr(0, n) + (n < full.size() ? full.substr(n) : std::string());
        const Registry r = decode_registry(torn);
        if (r.damaged) {
            ++told;
            continue;
        }
        for (const auto& h : r.halls) EXPECT_TRUE(h == "New hall" || h == "H1" || h == "H2") << n;
        for (const auto& m : r.machines) EXPECT_TRUE(m == "M1" || m == "M2") << n;
    }
    EXPECT_GT(told, static_cast<int>(next.size()) * 3 / 4);
}

// The program's windows, the program directory in a temporary folder and
// every dialog answered from a script.
class RegistryWindows : public velmo::testing::AppFixture {
protected:
    void write(const std::string& data) { write_bytes(QStringLiteral("velmo.lst"), data); }
    std::string file() { return read_bytes(QStringLiteral("velmo.lst")); }
};

TEST_F(RegistryWindows, ReadFillsTheListsCombosNamesAndMasks) {
    Registry reg;
    reg.halls = {cp932_literal("駅前ホール"), "B"};
    reg.machines = {"M1", "M2"};
    reg.attribute_names[1] = cp932_literal("甘デジ");
    reg.attribute_names[4] = "E";
    reg.masks = std::vector<std::uint16_t>{0x0002, 0x0012};
    reg.hsize_level = 4;
    reg.vsize_level = 2;
    const std::string data = encode_registry(reg);
    write(data);

    read_registry();
    ASSERT_EQ(Form3->ListBox1->count(), 2);
    EXPECT_EQ(Form3->ListBox1->item(0)->text(), QString::fromUtf8("駅前ホール"));
    EXPECT_EQ(Form3->ListBox2->item(1)->text(), QStringLiteral("M2"));
    ASSERT_EQ(Form2->ComboBox1->count(), 2);
    EXPECT_EQ(Form2->ComboBox1->itemText(0), QString::fromUtf8("駅前ホール"));
    EXPECT_EQ(Form2->ComboBox2->itemText(1), QStringLiteral("M2"));
    // Attribute 2 is in Edit4, attribute 5 in Edit7; only their check boxes are enabled.
    EXPECT_EQ(Form3->edit(4)->text(), QString::fromUtf8("甘デジ"));
    EXPECT_EQ(Form3->edit(7)->text(), QStringLiteral("E"));
    for (int k = 1; k <= 16; ++k) {
        EXPECT_EQ(Form3->check_box(k)->isEnabled(), k == 2 || k == 5) << k;
    }
    for (int e = 3; e <= 18; ++e) {
        EXPECT_EQ(Form3->edit(e)->text().isEmpty(), e != 4 && e != 7) << e;
    }
    EXPECT_EQ(Form1->attr_mask, (std::vector<std::uint16_t>{0x0002, 0x0012}));
    EXPECT_EQ(Form1->hsize_level, 4);
    EXPECT_EQ(Form1->vsize_level, 2);

    // Written back unchanged, byte for byte.
    EXPECT_TRUE(save_registry_file());
    EXPECT_EQ(file(), data);
}

// One key press carrying text, as a keyboard or an input method delivers it.
void press_key(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

TEST_F(RegistryWindows, DamagedNamesFillTheBoxesWithoutTheTypingMessage) {
    Registry reg;
    const std::string bad = "\x85\x40";  // no character of CP932
    reg.halls = {bad, "B"};
    reg.machines = {"M" + bad};
    reg.attribute_names[0] = "A" + bad;
    write(encode_registry(reg));

    read_registry();
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_EQ(Form2->ComboBox1->count(), 2);
    EXPECT_TRUE(Form2->ComboBox1->itemText(0).contains(QChar(0xFFFD)));
    EXPECT_TRUE(Form3->edit(3)->text().startsWith(QLatin1Char('A')));
    // The entry dialog's comment box filled from a damaged record: no message either.
    Form2->Memo1->setPlainText(from_cp932("note" + bad));
    Form2->ComboBox1->setCurrentIndex(0);
    EXPECT_TRUE(dialogs.shown.empty());

    // What the user types is still refused, with the message.
    Form3->Edit1->setFocus();
    press_key(Form3->Edit1, QString::fromUtf8("😀"));
    press_key(Form2->Memo1, QString::fromUtf8("😀"));
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{QString::fromUtf8("「😀」は記録できない文字です"),
                                                     QString::fromUtf8("「😀」は記録できない文字です")}));
    EXPECT_TRUE(Form3->Edit1->text().isEmpty());
    EXPECT_EQ(Form2->Memo1->toPlainText(), from_cp932("note" + bad));
}

TEST_F(RegistryWindows, MissingFileAndMissingMasks) {
    read_registry();
    EXPECT_EQ(Form3->ListBox1->count(), 0);
    EXPECT_FALSE(Form1->attr_mask_present);

    write(bytes({0x01, 1}) + "M" + bytes({0x01, 1}) + "N" + bytes({0xFF}));
    read_registry();
    EXPECT_TRUE(Form1->attr_mask_present);
    EXPECT_EQ(Form1->attr_mask, (std::vector<std::uint16_t>{0, 0}));
}

TEST_F(RegistryWindows, ClearingANameTakesTheAttributeFromTheSelectedMachineOnly) {
    Registry reg;
    reg.machines = {"X", "Y"};
    reg.attribute_names[3] = "four";
    reg.masks = std::vector<std::uint16_t>{0x0008, 0x0008};
    write(encode_registry(reg));
    read_registry();
    Form3->ListBox2->setCurrentRow(0);
    EXPECT_TRUE(Form3->check_box(4)->isChecked());
    Form3->edit(6)->clear();
    EXPECT_FALSE(Form3->check_box(4)->isEnabled());
    EXPECT_EQ(Form1->attr_mask, (std::vector<std::uint16_t>{0, 0x0008}));
}

TEST_F(RegistryWindows, FailedWriteKeepsTheOldFileAndSaysSo) {
    write(bytes({0x00, 1}) + "A" + bytes({0xFF}));
    read_registry();
    Form3->ListBox1->addItem(QStringLiteral("B"));
    set_write_fault(3);
    EXPECT_FALSE(save_registry_file());
    set_write_fault(std::nullopt);
    EXPECT_EQ(file(), bytes({0x00, 1}) + "A" + bytes({0xFF}));
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], registry_path() + QString::fromUtf8(" に保存できませんでした（ディスクの空きが足りません）"));
    // The entry dialog still offers the lists as they are.
    EXPECT_EQ(Form2->ComboBox1->count(), 2);

    EXPECT_TRUE(save_registry_file());
    EXPECT_EQ(decode_registry(file()).halls, (std::vector<std::string>{"A", "B"}));
}

// An installed program (its folder prefix/bin beside prefix/share/applications)
// reads a registry left beside it, and saves into the user's data folder.
TEST_F(RegistryWindows, AnInstalledProgramSavesTheRegistryInTheUsersDataFolder) {
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("usr/share/applications"))));
    write_bytes(QStringLiteral("usr/share/applications/velmorant.desktop"), "[Desktop Entry]\n");
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("usr/bin"))));
    set_program_dir(path(QStringLiteral("usr/bin")));
    const std::string only_a = bytes({0x00, 1}) + "A" + bytes({0xFF});
    write_bytes(QStringLiteral("usr/bin/velmo.lst"), only_a);
    read_registry();
    ASSERT_EQ(Form3->ListBox1->count(), 1);
    Form3->ListBox1->addItem(QStringLiteral("B"));
    EXPECT_TRUE(save_registry_file());
    const QString saved = path(QStringLiteral("user-data/velmorant/velmo.lst"));
    EXPECT_EQ(registry_path(), saved);
    EXPECT_EQ(decode_registry(read_file(saved).value_or(std::string())).halls, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(read_bytes(QStringLiteral("usr/bin/velmo.lst")), only_a);
    // From now on the data folder's registry is the one read.
    Form3->ListBox1->clear();
    read_registry();
    EXPECT_EQ(Form3->ListBox1->count(), 2);
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(RegistryWindows, ClosingTheDialogWritesAndReturnsToTheMainWindow) {
    Form3->ListBox1->addItem(QStringLiteral("A"));
    Form3->show();
    EXPECT_FALSE(Form1->isEnabled());
    // Showing the main window for the first time loads a ledger; give it one.
    form1->arguments = {path(QStringLiteral("vq2004.vqd"))};
    dialogs.answers.push_back(true);
    Form3->Button4->click();
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_EQ(file(), bytes({0x00, 0x01, 0x41, 0x20, 0x02, 0x00, 0x00, 0x14, 0x01, 0x00, 0x16, 0x01, 0x00, 0xFF}));
}

// A damaged registry is told once when read, and written over only when the
// user says so; kept, it is never written that session.
TEST_F(RegistryWindows, ADamagedFileIsToldAndWrittenOverOnlyWhenTheUserSays) {
    const std::string cut = bytes({0x00, 1}) + "A" + bytes({0x00, 4}) + "B";
    for (const bool overwrite : {false, true}) {
        write(cut);
        Form1->registry_refused = Form1->registry_damaged = false;
        dialogs.shown.clear();
        read_registry();
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{damaged_file_message(registry_path())});
        ASSERT_EQ(Form3->ListBox1->count(), 1);
        Form3->ListBox1->addItem(QStringLiteral("C"));
        dialogs.shown.clear();
        dialogs.answers = {overwrite};
        EXPECT_TRUE(save_registry_file());
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{overwrite_damaged_question(registry_path())});
        if (overwrite) {
            EXPECT_EQ(decode_registry(file()).halls, (std::vector<std::string>{"A", "C"}));
        } else {
            EXPECT_EQ(file(), cut);
        }
        // Asked once: the next save writes, or keeps the file, without a word.
        dialogs.shown.clear();
        EXPECT_TRUE(save_registry_file());
        EXPECT_TRUE(dialogs.shown.empty());
        if (!overwrite) {
            EXPECT_EQ(file(), cut);
        }
    }
}

}  // namespace
}  // namespace velmo
