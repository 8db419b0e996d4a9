// The player's own column: added at a place, moved with its values, changed,
// deleted, and its preset values.
#include <QCheckBox>
#include <QComboBox>
#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

#include "entry/extra_column.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"
#include "tests/support/figures_check.h"

namespace velmo::testing {
namespace {

class ExtraColumn : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        LedgerImage image;
        image.year = "2004";
        image.records.push_back({" 1/1", "", "H1", "M1", "", "", "100", "", 0});
        image.records.push_back({" 1/2", "", "H2", "M2", "", "", "-50", "", 0});
        write_bytes(QStringLiteral("x.vqd"), encode_ledger(image));
        load(path(QStringLiteral("x.vqd")));
    }
    // Opens the dialog from the menu and applies name, place (3..7) and width.
    void apply(const char* name, int place, const char* width) {
        form1->IncomeTuikaClick();
        form7->Edit1->setText(u(name));
        form7->ComboBox1->setCurrentIndex(place - 3);
        form7->ComboBox3->setEditText(QString::fromLatin1(width));
        QTest::mouseClick(form7->Button2, Qt::LeftButton);
    }
    std::string cell(int col, int row) { return form1->StringGrid1->cell(col, row); }
    // A ledger of 2004 with a 天気 column, 28 pixels wide, offering values.
    static LedgerImage weather_ledger(std::vector<std::string> values) {
        LedgerImage image;
        image.year = "2004";
        ExtraColumnBlock extra;
        extra.name = sj("天気");
        extra.width_text = "28";
        extra.list = std::move(values);
        image.extra = extra;
        return image;
    }
};

TEST_F(ExtraColumn, AddedAtPlaceThreeMovesEveryRoleRight) {
    apply("台", 3, "28");
    EXPECT_EQ(form1->has_extra, 1);
    EXPECT_EQ(form1->extra_col, 2);
    EXPECT_EQ(form1->hall_col, 3);
    EXPECT_EQ(form1->machine_col, 4);
    EXPECT_EQ(form1->balance_col, 5);
    EXPECT_EQ(form1->total_col, 6);
    EXPECT_EQ(cell(2, 0), sj("台"));
    EXPECT_EQ(cell(2, 1), "");
    EXPECT_EQ(cell(3, 1), "H1");
    EXPECT_EQ(cell(5, 2), "-50");
    EXPECT_EQ(form1->StringGrid1->col_width(2), 28);
    EXPECT_EQ(form1->dirty & 1, 1);
    EXPECT_FALSE(form7->isVisible());
    EXPECT_TRUE(form1->isEnabled());
    EXPECT_EQ(form1->PageControl1->tabText(2), u("曜日収支、台"));
    EXPECT_EQ(form1->IncomeTuika->text(), u("項目訂正"));
    EXPECT_FALSE(form2->GroupBox5->isHidden());
    EXPECT_EQ(form2->GroupBox5->title(), u("台"));
}

TEST_F(ExtraColumn, AtPlaceSevenNothingMovesAndMovingCarriesTheValues) {
    apply("No", 7, "14");
    EXPECT_EQ(form1->extra_col, 6);
    EXPECT_EQ(form1->balance_col, 4);
    EXPECT_EQ(form1->total_col, 5);
    form1->StringGrid1->set_cell(6, 1, "a");
    form1->StringGrid1->set_cell(6, 2, "b");
    // Reopened: "訂正", the place kept; moved to place 4.
    form1->IncomeTuikaClick();
    EXPECT_EQ(form7->Button2->text(), u("訂正"));
    EXPECT_TRUE(form7->Button6->isEnabled());
    EXPECT_EQ(form7->ComboBox1->currentIndex(), 4);
    form7->ComboBox1->setCurrentIndex(1);
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(form1->extra_col, 3);
    EXPECT_EQ(cell(3, 1), "a");
    EXPECT_EQ(cell(3, 2), "b");
    EXPECT_EQ(cell(3, 0), "No");
    EXPECT_EQ(form1->hall_col, 2);
    EXPECT_EQ(form1->machine_col, 4);
    EXPECT_EQ(cell(4, 1), "M1");
    EXPECT_EQ(cell(5, 2), "-50");
    EXPECT_EQ(cell(6, 2), "50");  // the running total, recomputed in its new place
    EXPECT_EQ(form1->StringGrid1->col_width(3), 14);
    // The figures kept of the records follow the columns to their new places.
    expect_figures_in_step(*form1);
    expect_keys_in_step(form1->ledger_figures(), *form1->StringGrid1, form1->extra_col);
    EXPECT_EQ(form1->ledger_figures().rows()[1].balance, -50);

    // Saved and reloaded, everything is where it was.
    dialogs.answers = {true};
    form1->save_ledger();
    load(path(QStringLiteral("x.vqd")));
    EXPECT_EQ(form1->extra_col, 3);
    EXPECT_EQ(cell(3, 2), "b");
    EXPECT_EQ(cell(5, 1), "100");
}

TEST_F(ExtraColumn, DeletedColumnTakesItsValuesAndANewOneStartsEmpty) {
    apply("X", 4, "42");
    form1->StringGrid1->set_cell(3, 1, "v");
    form1->IncomeTuikaClick();
    dialogs.answers = {false};
    QTest::mouseClick(form7->Button6, Qt::LeftButton);
    EXPECT_EQ(dialogs.shown.back().text, u("項目 「X」を削除します"));
    EXPECT_TRUE(form7->isVisible());
    EXPECT_EQ(form1->has_extra, 1);
    dialogs.answers = {true};
    QTest::mouseClick(form7->Button6, Qt::LeftButton);
    EXPECT_EQ(form1->has_extra, 0);
    EXPECT_EQ(form1->StringGrid1->col_count(), 6);
    EXPECT_EQ(form1->machine_col, 3);
    EXPECT_EQ(cell(3, 1), "M1");
    expect_figures_in_step(*form1);
    EXPECT_EQ(form1->ledger_figures().rows()[0].balance, 100);
    EXPECT_EQ(form1->PageControl1->tabText(2), u("曜日収支"));
    EXPECT_EQ(form1->IncomeTuika->text(), u("項目追加"));
    EXPECT_TRUE(form2->GroupBox5->isHidden());
    EXPECT_FALSE(form7->isVisible());

    apply("Y", 4, "42");
    EXPECT_EQ(cell(3, 1), "");  // the old values are gone
    EXPECT_EQ(cell(3, 0), "Y");
}

TEST_F(ExtraColumn, WidthsNamesAndAlignment) {
    form1->hsize_level = 10;
    form1->IncomeTuikaClick();
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("項目名の入力がありません")});
    EXPECT_TRUE(form7->isVisible());

    dialogs.shown.clear();
    form7->Edit1->setText(QStringLiteral("W"));
    form7->ComboBox3->setEditText(QStringLiteral("abc"));
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(dialogs.shown.size(), 1u);  // a width that is no number changes nothing
    EXPECT_EQ(form1->has_extra, 0);
    EXPECT_EQ(form1->dirty & 1, 0);

    form7->ComboBox3->setEditText(QStringLiteral("182"));
    form7->RadioButton2->setChecked(true);
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(form1->hsize_level, 8);  // 13 steps leave room for 8
    EXPECT_EQ(form7->extra_align, 1);
    form1->IncomeTuikaClick();
    EXPECT_TRUE(form7->RadioButton2->isChecked());
    EXPECT_EQ(form7->ComboBox3->currentText(), QStringLiteral("182"));
    form7->ComboBox3->setEditText(QStringLiteral("10"));
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(form1->extra_steps, 0);  // below 14: no width steps, the entry dialog shows no value group
    EXPECT_EQ(form1->StringGrid1->col_width(form1->extra_col), 10);
    EXPECT_TRUE(form2->GroupBox5->isHidden());
}

TEST_F(ExtraColumn, PresetValuesAreUniqueAndAtMostTen) {
    form1->IncomeTuikaClick();
    EXPECT_FALSE(form7->ComboBox2->isEnabled());
    form7->CheckBox1->setChecked(true);
    EXPECT_TRUE(form7->ComboBox2->isEnabled());
    for (int i = 0; i < 10; ++i) {
        form7->ComboBox2->setEditText(QString::number(i));
        form7->Button4Click();
    }
    form7->ComboBox2->setEditText(QStringLiteral("3"));
    form7->Button4Click();
    EXPECT_EQ(form7->ComboBox2->count(), 10);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("リストデータの登録は１０件までです")});
    form7->ComboBox2->setCurrentIndex(0);
    form7->Button5Click();
    form7->ComboBox2->setEditText(QStringLiteral("3"));
    form7->Button4Click();  // already listed: nothing changes
    EXPECT_EQ(form7->ComboBox2->count(), 9);
    EXPECT_EQ(form7->ComboBox2->currentText(), QString());

    form7->Edit1->setText(QStringLiteral("P"));
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(form2->ComboBox3->count(), 9);
    EXPECT_EQ(form2->ComboBox3->itemText(0), QStringLiteral("1"));
}

// Each load offers its own file's values, none chosen, whatever the boxes held:
// the same list with a value left chosen or typed, another list, no column at all.
TEST_F(ExtraColumn, EachLoadOffersItsOwnValuesWithNoneChosen) {
    const auto ledger = [](std::vector<std::string> values) { return encode_ledger(weather_ledger(std::move(values))); };
    const auto offered = [](QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) items.append(box->itemText(i));
        return items;
    };
    write_bytes(QStringLiteral("a.vqd"), ledger({sj("晴"), sj("雨")}));
    write_bytes(QStringLiteral("c.vqd"), ledger({sj("曇")}));
    // A value is chosen or typed where the user can: in the shown dialogs, left with them.
    const auto leave_in_dialogs = [this](const std::function<void()>& in_entry, const std::function<void()>& in_extra) {
        form1->SpeedButton1Click();
        in_entry();
        QTest::mouseClick(form2->Button2, Qt::LeftButton);
        form1->IncomeTuikaClick();
        in_extra();
        form7->close7();
    };
    load(path(QStringLiteral("a.vqd")));
    leave_in_dialogs([this] { form2->ComboBox3->setCurrentIndex(1); },
                     [this] { form7->ComboBox2->setEditText(QStringLiteral("typed")); });
    ASSERT_EQ(form2->ComboBox3->currentText(), u("雨"));
    ASSERT_EQ(form7->ComboBox2->currentText(), QStringLiteral("typed"));

    load(path(QStringLiteral("a.vqd")));
    for (QComboBox* box : {form2->ComboBox3, form7->ComboBox2}) {
        EXPECT_EQ(offered(box), (QStringList{u("晴"), u("雨")}));
        EXPECT_EQ(box->currentIndex(), -1);
        EXPECT_EQ(box->currentText(), QString());
    }
    leave_in_dialogs([this] { form2->ComboBox3->setEditText(QStringLiteral("typed")); }, [] {});
    ASSERT_EQ(form2->ComboBox3->currentText(), QStringLiteral("typed"));
    load(path(QStringLiteral("c.vqd")));
    for (QComboBox* box : {form2->ComboBox3, form7->ComboBox2}) {
        EXPECT_EQ(offered(box), QStringList{u("曇")});
        EXPECT_EQ(box->currentIndex(), -1);
        EXPECT_EQ(box->currentText(), QString());
    }
    // The fixture's own ledger has no extra column.
    load(path(QStringLiteral("x.vqd")));
    EXPECT_EQ(form1->has_extra, 0);
    for (QComboBox* box : {form2->ComboBox3, form7->ComboBox2}) {
        EXPECT_EQ(box->count(), 0);
        EXPECT_EQ(box->currentText(), QString());
    }
}

TEST_F(ExtraColumn, PresetValuesAreOfferedWithNoneChosenAndEnterAddsNone) {
    write_bytes(QStringLiteral("w.vqd"), encode_ledger(weather_ledger({sj("晴"), sj("雨")})));
    load(path(QStringLiteral("w.vqd")));
    EXPECT_EQ(form2->ComboBox3->count(), 2);
    EXPECT_EQ(form2->ComboBox3->currentIndex(), -1);
    EXPECT_EQ(form2->ComboBox3->currentText(), QString());

    // A record entered without choosing a value stores none.
    form1->SpeedButton1Click();
    form2->StringGrid1->set_row(1);
    form2->ComboBox2->setEditText(QStringLiteral("M"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(form1->rec_count, 1);
    EXPECT_EQ(cell(form1->extra_col, 1), "");

    // The dialog's own box: a typed value is stored as typed.
    form1->IncomeTuikaClick();
    EXPECT_EQ(form7->ComboBox2->currentText(), QString());
    QTest::keyClicks(form7->ComboBox2->lineEdit(), QStringLiteral("a"));
    form7->Button4Click();
    EXPECT_EQ(form7->ComboBox2->itemText(2), QStringLiteral("a"));
    for (int i = 3; i < 10; ++i) {
        QTest::keyClicks(form7->ComboBox2->lineEdit(), QString::number(i));
        form7->Button4Click();
    }
    ASSERT_EQ(form7->ComboBox2->count(), 10);
    // Enter adds no eleventh value, nor a width to the width list.
    QTest::keyClicks(form7->ComboBox2->lineEdit(), QStringLiteral("x"));
    QTest::keyClick(form7->ComboBox2->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form7->ComboBox2->count(), 10);
    const int widths = form7->ComboBox3->count();
    form7->ComboBox3->lineEdit()->selectAll();
    QTest::keyClicks(form7->ComboBox3->lineEdit(), QStringLiteral("20"));
    QTest::keyClick(form7->ComboBox3->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form7->ComboBox3->count(), widths);
    // Removing a value leaves none chosen, not its neighbour.
    form7->ComboBox2->setCurrentIndex(0);
    form7->Button5Click();
    EXPECT_EQ(form7->ComboBox2->count(), 9);
    EXPECT_EQ(form7->ComboBox2->currentText(), QString());

    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    EXPECT_EQ(form2->ComboBox3->count(), 9);
    EXPECT_EQ(form2->ComboBox3->currentText(), QString());
}

TEST_F(ExtraColumn, ACorrectionAsTheEntryDialogsFirstOpeningKeepsEveryField) {
    LedgerImage image = weather_ledger({sj("晴"), sj("雨")});
    image.records.push_back({" 3/1", sj("曇"), sj("駅前"), "A" + sj("、") + "B",
                             pack_machine_detail({{"A", "100", "300"}, {"B", "200", "0"}}), pack_day_totals({"300", "300"}),
                             "0", sj("メモ"), 0});
    write_bytes(QStringLiteral("e.vqd"), encode_ledger(image));
    load(path(QStringLiteral("e.vqd")));
    const auto record = [this] {
        std::vector<std::string> fields;
        for (int col = 0; col < form1->StringGrid1->col_count(); ++col) fields.push_back(cell(col, 1));
        for (int col = 0; col < 3; ++col) fields.push_back(form1->StringGrid5->cell(col, 1));
        return fields;
    };
    const std::vector<std::string> loaded = record();

    // The entry dialog has not been shown since the windows were made.
    form1->StringGrid1->set_row(1);
    form1->correction();
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->ComboBox1->currentText(), u("駅前"));
    EXPECT_EQ(form2->ComboBox3->currentText(), u("曇"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(record(), loaded);
}

TEST_F(ExtraColumn, DialogOpensCentredWithEveryCaptionReadable) {
    form1->IncomeTuikaClick();
    ASSERT_TRUE(form7->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = form7->frameGeometry();
    EXPECT_EQ(frame.left(), screen.left() + (screen.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), screen.top() + (screen.height() - frame.height()) / 2);

    // Captions fit their controls, and no two controls of one box overlap.
    for (QLabel* label : form7->findChildren<QLabel*>())
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << label->text().toStdString();
    for (QAbstractButton* button : form7->findChildren<QAbstractButton*>()) {
        // A push button's hint has a style minimum; its caption needs a few pixels of margin.
        const int needed = qobject_cast<QPushButton*>(button)
                               ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                               : button->sizeHint().width();
        EXPECT_LE(needed, button->width()) << button->text().toStdString();
    }
    QList<QWidget*> boxes = {form7.get()};
    for (QGroupBox* group : form7->findChildren<QGroupBox*>()) boxes.append(group);
    for (QWidget* box : boxes) {
        const auto children = box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < children.size(); ++i)
            for (int j = i + 1; j < children.size(); ++j)
                EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
                    << children[i]->metaObject()->className() << " / " << children[j]->metaObject()->className();
    }
}

TEST(ExtraColumnRoles, ByPlace) {
    EXPECT_EQ(roles_with_extra_at(2), (ColumnRoles{3, 4, 5, 6}));
    EXPECT_EQ(roles_with_extra_at(4), (ColumnRoles{2, 3, 5, 6}));
    EXPECT_EQ(roles_with_extra_at(6), (ColumnRoles{2, 3, 4, 5}));
}

}  // namespace
}  // namespace velmo::testing
