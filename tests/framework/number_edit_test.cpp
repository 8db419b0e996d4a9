// Number boxes: full-width digits become ASCII digits, and the boxes tell an
// input method, as Qt asks the focused widget, that they take none.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <memory>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/number_edit.h"
#include "tests/support/typing.h"

namespace velmo {
namespace {

TEST(AsciiDigits, OnlyFullWidthDigitsChange) {
    const struct {
        const char* text;
        const char* ascii;
    } cases[] = {
        {"１０００", "1000"},  {"1０0９", "1009"}, {"", ""},
        {"／：", "／："},      // the neighbours of ０ and ９ stay
        {"１，０００円", "1，000円"}, {"ａ１Ａ", "ａ1Ａ"}, {"北斗7", "北斗7"},
    };
    for (const auto& c : cases) EXPECT_EQ(ascii_digits(u(c.text)), u(c.ascii)) << c.text;
}

using testing::type_text;

// What Qt's input context learns from the widget that has the focus.
QVariant asked(QWidget* focused, Qt::InputMethodQuery query) {
    QInputMethodQueryEvent event(query);
    QApplication::sendEvent(focused, &event);
    return event.value(query);
}

TEST(NumberBoxes, RefuseTheInputMethodAndTakeFullWidthDigitsAsAscii) {
    struct Box {
        const char* name;
        std::unique_ptr<QWidget> focused;  // what has the focus
        QLineEdit* edit;
    };
    std::vector<Box> boxes;
    {
        auto edit = std::make_unique<NumberEdit>();
        QLineEdit* e = edit.get();
        boxes.push_back({"NumberEdit", std::move(edit), e});
    }
    {
        auto combo = std::make_unique<QComboBox>();
        combo->setEditable(true);
        give_number_edit(*combo);
        QLineEdit* e = combo->lineEdit();
        boxes.push_back({"drop-down with a NumberEdit", std::move(combo), e});
    }
    for (Box& b : boxes) {
        SCOPED_TRACE(b.name);
        EXPECT_FALSE(asked(b.focused.get(), Qt::ImEnabled).toBool());
        type_text(b.focused.get(), u("１２"));
        EXPECT_EQ(b.edit->text(), QStringLiteral("12"));
        QApplication::clipboard()->setText(u("３4５"));
        b.edit->paste();
        EXPECT_EQ(b.edit->text(), QStringLiteral("12345"));
        EXPECT_EQ(b.edit->cursorPosition(), 5);
        // The other answers stay the edit's own.
        EXPECT_EQ(asked(b.focused.get(), Qt::ImSurroundingText).toString(), QStringLiteral("12345"));
    }
    // A plain line edit takes one, whatever its attribute says: the reason for all this.
    QLineEdit plain;
    plain.setAttribute(Qt::WA_InputMethodEnabled, false);
    EXPECT_TRUE(asked(&plain, Qt::ImEnabled).toBool());
}

TEST(NumberBoxes, ADropDownLooksTheSameWithANumberEdit) {
    QComboBox boxes[2];
    for (QComboBox& box : boxes) {
        box.setFont(ui_font(12));
        box.setGeometry(0, 0, 70, 22);
        for (const char* w : {"14", "28", "42"}) box.addItem(QString::fromLatin1(w));
        box.setEditable(true);
    }
    give_number_edit(boxes[1]);
    for (QComboBox& box : boxes) box.setEditText(QStringLiteral("140"));
    EXPECT_EQ(boxes[0].grab().toImage(), boxes[1].grab().toImage());
}

}  // namespace
}  // namespace velmo
