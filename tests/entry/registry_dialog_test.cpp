// The hall and machine registry dialog driven through its buttons, keys and
// mouse, and the list arithmetic behind it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "entry/registry_dialog.h"
#include "framework/cp932.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using Masks = std::vector<std::uint16_t>;
using Names = std::vector<std::string>;

class RegistryDialog : public AppFixture {
protected:
    TForm3& d() { return *form3; }

    // The list's items as UTF-8 texts.
    std::vector<std::string> items(const QListWidget* list) {
        std::vector<std::string> out;
        for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
        return out;
    }
    void halls_page() { d().PageControl1->setCurrentWidget(d().TabSheet1); }
    void machines_page() { d().PageControl1->setCurrentWidget(d().TabSheet2); }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    // Types a name into a name box key by key and presses Enter.
    void type_and_enter(QLineEdit* edit, const QString& text) {
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // Types text key by key, whatever characters it holds (one key per character).
    void type(QLineEdit* edit, const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
            const QString ch = text.mid(i, n);
            i += n - 1;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
            QApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
            QApplication::sendEvent(edit, &release);
        }
    }
    void add_machine(const char* name, std::uint16_t mask) {
        machines_page();
        d().Edit2->setText(u(name));
        click(d().Button1);
        // The new machine is selected: tick its attributes as the player does.
        for (int i = 0; i < 16; ++i)
            if ((mask >> i) & 1u) {
                d().attribute_edit(i)->setText(QStringLiteral("attr%1").arg(i + 1));
                QTest::mouseClick(d().attribute_check(i), Qt::LeftButton, {}, QPoint(5, 10));
            }
    }
    QPoint item_centre(QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); }
    // Presses on one row, moves the pointer over the rows in between, releases on the last.
    void drag(QListWidget* list, int from, std::initializer_list<int> over) {
        QWidget* port = list->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, item_centre(list, from));
        int last = from;
        for (int row : over) {
            const QPoint pos = item_centre(list, row);
            QMouseEvent move(QEvent::MouseMove, pos, port->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(port, &move);
            last = row;
        }
        QTest::mouseRelease(port, Qt::LeftButton, {}, item_centre(list, last));
    }
};

TEST_F(RegistryDialog, HallsAddAtTheTopFromTheButtonAndFromEnter) {
    halls_page();
    click(d().Button1);  // nothing typed: nothing happens
    EXPECT_EQ(d().ListBox1->count(), 0);

    d().Edit1->setText(u("駅前ホール"));
    click(d().Button1);
    EXPECT_TRUE(d().Edit1->text().isEmpty());
    type_and_enter(d().Edit1, QStringLiteral("Plaza"));
    EXPECT_TRUE(d().Edit1->text().isEmpty());
    type_and_enter(d().Edit1, QStringLiteral("Plaza"));  // the same name twice is listed twice
    EXPECT_EQ(items(d().ListBox1), (Names{"Plaza", "Plaza", "駅前ホール"}));
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(RegistryDialog, EnterCommittingAConversionDoesNotAddTheName) {
    halls_page();
    QLineEdit* e = d().Edit1;
    // An input method commits its text; the Enter that committed it is released afterwards.
    QInputMethodEvent commit;
    commit.setCommitString(u("新宿"));
    QApplication::sendEvent(e, &commit);
    ASSERT_EQ(e->text(), u("新宿"));
    QTest::keyRelease(e, Qt::Key_Return);
    EXPECT_EQ(d().ListBox1->count(), 0);
    // A second Enter with the text unchanged adds it.
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(items(d().ListBox1), Names{"新宿"});
    // Enter in an empty box adds nothing.
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(d().ListBox1->count(), 1);

    // A conversion committed over a name of the same byte length is not added by its own Enter either.
    for (const char* name : {"さくら", "つばき"}) {
        e->selectAll();
        QInputMethodEvent conversion;
        conversion.setCommitString(u(name));
        QApplication::sendEvent(e, &conversion);
        QTest::keyRelease(e, Qt::Key_Return);
        EXPECT_EQ(d().ListBox1->count(), 1) << name;
    }
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(items(d().ListBox1), (Names{"つばき", "新宿"}));
}

TEST_F(RegistryDialog, MachinesCarryTheirMasksThroughAddDeleteAndRename) {
    d().show();
    add_machine("C", 2);
    add_machine("B", 0);
    add_machine("A", 5);
    EXPECT_EQ(items(d().ListBox2), (Names{"A", "B", "C"}));
    EXPECT_EQ(form1->attr_mask, (Masks{5, 0, 2}));

    // A new machine is selected with no attributes shown.
    d().Edit2->setText(QStringLiteral("N"));
    click(d().Button1);
    EXPECT_EQ(TForm3::selected_row(d().ListBox2), 0);
    EXPECT_FALSE(d().check_box(1)->isChecked());
    EXPECT_EQ(form1->attr_mask, (Masks{0, 5, 0, 2}));

    // Choosing A with the mouse puts its name in the box and shows its attributes.
    QTest::mouseClick(d().ListBox2->viewport(), Qt::LeftButton, {}, item_centre(d().ListBox2, 1));
    EXPECT_EQ(d().Edit2->text(), QStringLiteral("A"));
    EXPECT_TRUE(d().check_box(1)->isChecked());
    EXPECT_FALSE(d().check_box(2)->isChecked());
    EXPECT_TRUE(d().check_box(3)->isChecked());

    // Rename keeps the mask.
    d().Edit2->setText(QStringLiteral("A2"));
    click(d().Button2);
    EXPECT_EQ(items(d().ListBox2), (Names{"N", "A2", "B", "C"}));
    EXPECT_TRUE(d().Edit2->text().isEmpty());
    click(d().Button2);  // empty name: nothing
    EXPECT_EQ(d().ListBox2->item(1)->text(), QStringLiteral("A2"));

    // Deleting N then A2: the masks after each move up.
    QTest::mouseClick(d().ListBox2->viewport(), Qt::LeftButton, {}, item_centre(d().ListBox2, 0));
    click(d().Button3);
    QTest::mouseClick(d().ListBox2->viewport(), Qt::LeftButton, {}, item_centre(d().ListBox2, 0));
    ASSERT_EQ(d().Edit2->text(), QStringLiteral("A2"));
    click(d().Button3);
    EXPECT_EQ(items(d().ListBox2), (Names{"B", "C"}));
    EXPECT_EQ(form1->attr_mask, (Masks{0, 2}));
    EXPECT_TRUE(d().Edit2->text().isEmpty());
    // Nothing is selected now: rename, delete and the attribute boxes change nothing.
    EXPECT_EQ(TForm3::selected_row(d().ListBox2), -1);
    d().Edit2->setText(QStringLiteral("Z"));
    click(d().Button2);
    click(d().Button3);
    QTest::mouseClick(d().check_box(1), Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(items(d().ListBox2), (Names{"B", "C"}));
    EXPECT_EQ(form1->attr_mask, (Masks{0, 2}));
}

TEST_F(RegistryDialog, MachineAddedWithoutARegistryFileGetsAMask) {
    read_registry();  // no file: the masks are absent
    ASSERT_FALSE(form1->attr_mask_present);
    add_machine("M", 1);
    EXPECT_TRUE(form1->attr_mask_present);
    EXPECT_EQ(form1->attr_mask, (Masks{1}));
}

TEST_F(RegistryDialog, AttributeBoxesFollowNamesAndTintTheirNames) {
    add_machine("X", 0);
    add_machine("Y", 0);
    QCheckBox* box4 = d().check_box(4);
    EXPECT_FALSE(box4->isEnabled());
    QTest::mouseClick(box4, Qt::LeftButton, {}, QPoint(5, 10));  // unnamed: cannot be ticked
    EXPECT_EQ(form1->attr_mask, (Masks{0, 0}));

    d().edit(6)->setText(u("甘デジ"));
    ASSERT_TRUE(box4->isEnabled());
    QTest::mouseClick(box4, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(form1->attr_mask, (Masks{0x0008, 0}));
    EXPECT_TRUE(d().edit(6)->styleSheet().contains(QStringLiteral("rgb(255,255,220)")));
    EXPECT_TRUE(d().edit(7)->styleSheet().contains(QStringLiteral("rgb(255,255,255)")));
    QTest::mouseClick(box4, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(form1->attr_mask, (Masks{0, 0}));
    EXPECT_TRUE(d().edit(6)->styleSheet().contains(QStringLiteral("rgb(255,255,255)")));
}

TEST_F(RegistryDialog, SortKeepsEveryMachinesMask) {
    d().show();
    add_machine("b", 3);
    add_machine("A", 1);
    add_machine("C", 0);
    click(d().Button5);
    EXPECT_EQ(items(d().ListBox2), (Names{"A", "b", "C"}));
    EXPECT_EQ(form1->attr_mask, (Masks{1, 3, 0}));
    // The first machine is selected and shown.
    EXPECT_EQ(TForm3::selected_row(d().ListBox2), 0);
    EXPECT_TRUE(d().check_box(1)->isChecked());
    EXPECT_FALSE(d().check_box(2)->isChecked());

    halls_page();
    for (const char* h : {"c", "B", "a"}) {
        d().Edit1->setText(u(h));
        click(d().Button1);
    }
    QTest::mouseClick(d().ListBox1->viewport(), Qt::LeftButton, {}, item_centre(d().ListBox1, 0));
    click(d().Button5);
    EXPECT_EQ(items(d().ListBox1), (Names{"a", "B", "c"}));
    // Later additions go to the top again.
    d().Edit1->setText(QStringLiteral("z"));
    click(d().Button1);
    EXPECT_EQ(d().ListBox1->item(0)->text(), QStringLiteral("z"));
}

TEST_F(RegistryDialog, DraggingMovesItemsAndTheirMasks) {
    d().show();
    halls_page();
    for (const char* h : {"C", "B", "A"}) {
        d().Edit1->setText(u(h));
        click(d().Button1);
    }
    // The third hall dragged to the first place, one row at a time.
    drag(d().ListBox1, 2, {1, 0});
    EXPECT_EQ(items(d().ListBox1), (Names{"C", "A", "B"}));
    // A pointer that skips a row still moves the item, not exchanges it.
    drag(d().ListBox1, 0, {2});
    EXPECT_EQ(items(d().ListBox1), (Names{"A", "B", "C"}));
    // Moving without a press drags nothing.
    const QPoint pos = item_centre(d().ListBox1, 2);
    QMouseEvent move(QEvent::MouseMove, pos, d().ListBox1->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(d().ListBox1->viewport(), &move);
    EXPECT_EQ(items(d().ListBox1), (Names{"A", "B", "C"}));

    add_machine("Z", 4);
    add_machine("Y", 2);
    add_machine("X", 1);
    drag(d().ListBox2, 0, {1, 2});
    EXPECT_EQ(items(d().ListBox2), (Names{"Y", "Z", "X"}));
    EXPECT_EQ(form1->attr_mask, (Masks{2, 4, 1}));
    // The dragged machine stays selected with its attributes shown.
    EXPECT_EQ(TForm3::selected_row(d().ListBox2), 2);
    EXPECT_TRUE(d().check_box(1)->isChecked());
    EXPECT_EQ(d().Edit2->text(), QStringLiteral("X"));
}

TEST_F(RegistryDialog, NamesAreLimitedInBytesAndMustBeStorable) {
    // 20 full-width characters are 40 bytes: the hall box keeps 16 of them, the machine box all.
    const QString wide = QString(20, QChar(0x30A2));  // ア
    type(d().Edit1, wide);
    EXPECT_EQ(to_cp932(d().Edit1->text())->size(), 32u);
    type(d().Edit2, wide + QStringLiteral("x"));
    EXPECT_EQ(d().Edit2->text(), wide);
    d().edit(3)->setText(QString(33, QLatin1Char('n')));
    EXPECT_EQ(d().edit(3)->text().size(), 32);
    EXPECT_TRUE(dialogs.texts().empty());

    d().Edit1->clear();
    QTest::keyClicks(d().Edit1, QStringLiteral("ab"));
    type(d().Edit1, QString::fromUtf8("😀"));
    EXPECT_EQ(d().Edit1->text(), QStringLiteral("ab"));
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], u("「😀」は記録できない文字です"));
}

TEST_F(RegistryDialog, OpensOverADisabledMainWindowAndWritesTheRegistryWhenClosed) {
    form1->ToolButton2Click();
    EXPECT_TRUE(d().isVisible());
    EXPECT_FALSE(form1->isEnabled());

    halls_page();
    d().Edit1->setText(QStringLiteral("H"));
    click(d().Button1);
    add_machine("M", 2);
    // Showing the main window for the first time loads a ledger; give it one.
    form1->arguments = {path(QStringLiteral("vq2004.vqd"))};
    dialogs.answers.push_back(true);
    d().close();  // the window's close button

    EXPECT_FALSE(d().isVisible());
    EXPECT_TRUE(form1->isEnabled());
    const Registry saved = decode_registry(read_bytes(QStringLiteral("velmo.lst")));
    EXPECT_EQ(saved.halls, (std::vector<std::string>{"H"}));
    EXPECT_EQ(saved.machines, (std::vector<std::string>{"M"}));
    EXPECT_EQ(saved.masks, (std::optional<Masks>{Masks{2}}));
    EXPECT_EQ(saved.attribute_names[1], "attr2");
    // The entry dialog offers the new lists.
    ASSERT_EQ(form2->ComboBox1->count(), 1);
    EXPECT_EQ(form2->ComboBox2->itemText(0), QStringLiteral("M"));
}

// ---- The arithmetic on its own ----

TEST(RegistryLists, MasksFollowTheMachineList) {
    // Masks shorter or longer than the list are fitted to it first.
    Masks short_list{7};
    insert_mask_at_top(short_list, 3);
    EXPECT_EQ(short_list, (Masks{0, 7, 0, 0}));
    Masks long_list{1, 2, 3, 4};
    remove_mask(long_list, 1, 2);
    EXPECT_EQ(long_list, (Masks{1}));
    remove_mask(long_list, 5, 1);  // outside the list: nothing removed
    EXPECT_EQ(long_list, (Masks{1}));

    std::vector<int> v{0, 1, 2, 3};
    move_element(v, 3, 0);
    EXPECT_EQ(v, (std::vector<int>{3, 0, 1, 2}));
    move_element(v, 0, 3);
    EXPECT_EQ(v, (std::vector<int>{0, 1, 2, 3}));
    move_element(v, 1, 9);
    EXPECT_EQ(v, (std::vector<int>{0, 1, 2, 3}));
}

TEST(RegistryLists, NamesSortInJapaneseOrder) {
    const auto q = [](const char* utf8) { return QString::fromUtf8(utf8); };
    // Full-width letters with the Latin ones, whatever their case; katakana and
    // hiragana by their sound; kana before kanji.
    const std::vector<QString> names{q("漢字ホール"), q("ｂホール"), q("ウホール"), q("いホール"),
                                     q("Ａホール"), q("アホール"), q("cホール")};
    const std::vector<QString> expected{q("Ａホール"), q("ｂホール"), q("cホール"), q("アホール"),
                                        q("いホール"), q("ウホール"), q("漢字ホール")};
    EXPECT_EQ(sorted_names(names), expected);
    // Names the collation finds equal keep one fixed order, whichever comes first.
    EXPECT_EQ(sorted_names({q("ab"), q("AB")}), sorted_names({q("AB"), q("ab")}));
    std::vector<MachineWithMask> machines{{q("ウ"), 2}, {q("Ａ"), 1}, {q("あ"), 3}};
    std::vector<QString> order;
    for (const auto& m : sorted_machines(machines)) order.push_back(m.name);
    EXPECT_EQ(order, (std::vector<QString>{q("Ａ"), q("あ"), q("ウ")}));
}

TEST(RegistryLists, MachinesSortByNameThenMaskDigits) {
    std::vector<MachineWithMask> machines;
    for (const auto& [name, mask] : std::vector<std::pair<const char*, int>>{{"B", 3}, {"A", 1}, {"A", 12}, {"A", 3}, {"a", 0}})
        machines.push_back({QString::fromLatin1(name), static_cast<std::uint16_t>(mask)});
    std::vector<std::pair<std::string, int>> got;
    for (const auto& m : sorted_machines(machines)) got.emplace_back(m.name.toStdString(), m.mask);
    // Equal names order by their mask digits as text: "A12" before "A3".
    EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"a", 0}, {"A", 1}, {"A", 12}, {"A", 3}, {"B", 3}}));
}

// Names the file holds in bytes that are no CP932 are written back byte for
// byte through an added hall and a sort; a renamed one takes its new name.
TEST_F(RegistryDialog, NamesTheFileHeldInOtherBytesAreWrittenBackUnchanged) {
    const std::string odd_hall("A\x85\x40" "B", 4), odd_machine("\xef\x40m", 3);
    Registry file;
    file.halls = {"Zoo", odd_hall, "Good"};
    file.machines = {odd_machine, "M2"};
    write_bytes(QStringLiteral("velmo.lst"), encode_registry(file));
    read_registry();
    halls_page();
    d().Edit1->setText(QStringLiteral("New"));
    click(d().Button1);
    click(d().Button5);  // sorted: every name moves to another row
    ASSERT_TRUE(save_registry_file());
    Registry saved = decode_registry(read_bytes(QStringLiteral("velmo.lst")));
    std::sort(saved.halls.begin(), saved.halls.end());
    EXPECT_EQ(saved.halls, (Names{odd_hall, "Good", "New", "Zoo"}));
    EXPECT_EQ(saved.machines, (Names{odd_machine, "M2"}));

    machines_page();
    d().ListBox2->setCurrentRow(0);
    d().selitem(1);
    d().Edit2->setText(QStringLiteral("Renamed"));
    click(d().Button2);
    ASSERT_TRUE(save_registry_file());
    EXPECT_EQ(decode_registry(read_bytes(QStringLiteral("velmo.lst"))).machines, (Names{"Renamed", "M2"}));
}

}  // namespace
}  // namespace velmo::testing
