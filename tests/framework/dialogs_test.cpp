// The real dialogs as the user meets them: Qt's own buttons and the file
// dialog read Japanese, captions are the program's, the file filter shows once.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/text_guard.h"
#include "tests/support/typing.h"

namespace velmo {
namespace {

// Runs look(dialog) once a modal dialog is up; look must close it.
void when_shown(std::function<void(QWidget*)> look) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, look] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        look(modal);
    });
    timer->start(10);
}

using testing::type_text;

// The visible texts of a dialog's buttons, without the mnemonic marks.
QStringList button_texts(QWidget* dialog) {
    QStringList texts;
    for (auto* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisible() && !b->text().isEmpty()) texts << QString(b->text()).remove(QLatin1Char('&'));
    return texts;
}

TEST(RealDialogs, QuestionAndYearBoxButtonsReadJapanese) {
    QStringList shown;
    QString caption;
    when_shown([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        shown = button_texts(box);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(dialogs().question(u("削除しますか？")));
    EXPECT_EQ(caption, QStringLiteral("Velmorant"));
    EXPECT_EQ(shown, (QStringList{u("はい(Y)"), u("いいえ(N)")}));

    // The year box: OK and a Japanese cancel button, the program's caption and prompt.
    QStringList input_buttons;
    when_shown([&](QWidget* w) {
        caption = w->windowTitle();
        input_buttons = button_texts(w);
        qobject_cast<QDialog*>(w)->reject();
    });
    EXPECT_FALSE(
        dialogs().input_number(u("収支ファイル新規作成"), u("半角で年を入力してください"), QString()).has_value());
    EXPECT_EQ(caption, u("収支ファイル新規作成"));
    EXPECT_EQ(input_buttons, (QStringList{u("OK"), u("キャンセル")}));
}

TEST(RealDialogs, TheYearBoxTakesNoInputMethodAndAsciiDigits) {
    // For each box: whether its edit field lets an input method in, and what it returns for keys typed.
    const struct {
        bool number;
        bool takes_input_method;
        const char* typed;
        const char* returned;
    } boxes[] = {{true, false, "２００５", "2005"}, {false, true, "２００５", "２００５"}};
    for (const auto& b : boxes) {
        std::optional<bool> enabled;
        when_shown([&](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            QInputMethodQueryEvent query(Qt::ImEnabled);
            QApplication::sendEvent(edit, &query);
            enabled = query.value(Qt::ImEnabled).toBool();
            type_text(edit, u(b.typed));
            qobject_cast<QDialog*>(w)->accept();
        });
        const auto caption = u("収支ファイル新規作成");
        const auto prompt = u("半角で年を入力してください");
        const std::optional<QString> answer = b.number ? dialogs().input_number(caption, prompt, QString())
                                                       : dialogs().input(caption, prompt, QString());
        EXPECT_EQ(enabled, b.takes_input_method) << b.number;
        EXPECT_EQ(answer, u(b.returned)) << b.number;
    }
}

TEST(RealDialogs, TheYearBoxLooksLikeQtsOwnInputBox) {
    const int flash = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);  // a steady cursor: both pictures show it
    QImage pictures[2];
    auto take = [](QImage& picture) {
        when_shown([&picture](QWidget* w) {
            (void)QTest::qWaitForWindowActive(w);  // both with the focused edit field's frame
            picture = w->grab().toImage();
            qobject_cast<QDialog*>(w)->reject();
        });
    };
    const auto caption = u("収支ファイル新規作成");
    const auto prompt = u("半角で年を入力してください");
    take(pictures[0]);
    (void)QInputDialog::getText(nullptr, caption, prompt);
    take(pictures[1]);
    (void)dialogs().input_number(caption, prompt, QString());
    QApplication::setCursorFlashTime(flash);
    ASSERT_FALSE(pictures[0].isNull());
    EXPECT_EQ(pictures[0], pictures[1]);
}

TEST(RealDialogs, OpenDialogIsCaptionedOpenAndShowsTheFilterOnce) {
    QString title;
    QStringList filters;
    QString file_name_label;
    when_shown([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"))) file_name_label = label->text();
        dialog->reject();
    });
    EXPECT_FALSE(dialogs().open_file(u("収支ﾌｧｲﾙ(*.vqd)|*.vqd")).has_value());
    EXPECT_EQ(title, u("開く"));
    EXPECT_EQ(filters, QStringList{u("収支ﾌｧｲﾙ(*.vqd)")});
    EXPECT_TRUE(file_name_label.startsWith(u("ファイル名"))) << file_name_label.toStdString();
}

TEST(RealDialogs, FiltersInQtsForm) {
    EXPECT_EQ(qt_file_filter(u("収支ﾌｧｲﾙ(*.vqd)|*.vqd")), u("収支ﾌｧｲﾙ(*.vqd)"));
    // A description without its patterns gets them; several patterns and filters.
    EXPECT_EQ(qt_file_filter(u("表|*.csv;*.txt|全て|*.*")), u("表 (*.csv *.txt);;全て (*.*)"));
    // The patterns in the description must be the same ones to count as shown.
    EXPECT_EQ(qt_file_filter(u("収支(*.vqd)|*.vqx")), u("収支(*.vqd) (*.vqx)"));
}

// After a refusal the keyboard is back in the field that caused it, the
// first time and the second, so the user types on there.
TEST(RealDialogs, ARefusalGivesTheKeyboardBackToItsField) {
    QWidget window;
    auto* first = new QLineEdit(&window);
    auto* field = new QLineEdit(&window);
    field->move(0, 40);
    guard_text(field, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (int round = 0; round < 2; ++round) {
        field->clear();
        field->setFocus();
        int boxes = 0;
        when_shown([&](QWidget* w) {
            ++boxes;
            first->setFocus();  // the box's own closing may leave the keyboard anywhere
            qobject_cast<QDialog*>(w)->accept();
        });
        QTest::keyClicks(field, QStringLiteral("a"));
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\U0001F363"));
        QApplication::sendEvent(field, &key);  // returns once the box is closed
        EXPECT_EQ(boxes, 1);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_EQ(QApplication::focusWidget(), field) << "round " << round;
        EXPECT_EQ(field->text(), QStringLiteral("a"));
    }
}

// A window manager keeps a window in front of the one it is transient for: every
// secondary window for the main window, a box for the window the user works in.
TEST(RealDialogs, WindowsAndBoxesAreTransientForTheWindowTheyBelongTo) {
    QWidget main_window;
    main_window.show();
    set_dialog_parent(&main_window);
    QWidget secondary(nullptr, Qt::Dialog);
    QWidget other(nullptr, Qt::Window);
    secondary.show();
    other.show();
    ASSERT_NE(secondary.windowHandle(), nullptr);
    EXPECT_EQ(secondary.windowHandle()->transientParent(), main_window.windowHandle());
    EXPECT_EQ(other.windowHandle()->transientParent(), main_window.windowHandle());

    main_window.setEnabled(false);  // as while the entry dialog is up
    // The platform's own activations of the windows just shown come first.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QTest::qWait(50);
    QApplication::setActiveWindow(&secondary);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&secondary));
    QWindow* owner_of_box = nullptr;
    when_shown([&](QWidget* w) {
        owner_of_box = w->windowHandle()->transientParent();
        qobject_cast<QDialog*>(w)->accept();
    });
    dialogs().message(QStringLiteral("x"));
    EXPECT_EQ(owner_of_box, secondary.windowHandle());
    set_dialog_parent(nullptr);
}

}  // namespace
}  // namespace velmo
