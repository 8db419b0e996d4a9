// Typing through a real input method: fcitx5 with mozc on an X server of the
// test's own, keys typed by xdotool as a player types them. Names and comments
// are converted to kanji and committed with Enter; the amount and other number
// boxes take the digits as they are typed; what is saved is read back with the
// program's own readers.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "framework/cp932.h"
#include "framework/string_grid.h"
#include "framework/text_guard.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "ledger/registry_file.h"
#include "play/play_data.h"
#include "play/play_dialog.h"
#include "tests/ime/ime_session.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

constexpr int kWaitMs = 15000;
constexpr int kBoxGiveUpMs = 30000;
constexpr int kMaxCandidates = 150;

// Every input method event the windows receive, by receiver.
class ImeEvents : public QObject {
public:
    struct Seen {
        QObject* receiver;
        QString preedit;
        QString commit;
    };
    std::vector<Seen> seen;

    int count(const QObject* receiver) const {
        int n = 0;
        for (const Seen& s : seen) n += s.receiver == receiver && (!s.preedit.isEmpty() || !s.commit.isEmpty());
        return n;
    }
    const Seen* last(const QObject* receiver) const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->receiver == receiver) return &*it;
        return nullptr;
    }
    // The text committed to receiver by the events from index from on.
    QString committed(const QObject* receiver, std::size_t from) const {
        QString text;
        for (std::size_t i = from; i < seen.size(); ++i)
            if (seen[i].receiver == receiver) text += seen[i].commit;
        return text;
    }
    QString preedit(const QObject* receiver) const {
        const Seen* s = last(receiver);
        return s ? s->preedit : QString();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::InputMethod) {
            const auto* e = static_cast<QInputMethodEvent*>(event);
            seen.push_back({watched, e->preeditString(), e->commitString()});
        }

        return false;
    }
};

class RealInputMethod : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        if (const auto& failed = ime_session_failure())
            FAIL() << "the test's own X server and bus could not start: " << failed->toStdString();
        if (const auto failed = ime_session().start_input_method())
            FAIL() << "fcitx5 with mozc could not start: " << failed->toStdString();
        qApp->installEventFilter(&events);
    }
    void TearDown() override {
        qApp->removeEventFilter(&events);
        set_dialogs(&dialogs);
        AppFixture::TearDown();
        ime_session().stop_input_method();
    }

    ImeSession& ime() { return ime_session(); }
    std::string logs() { return ime().logs().toStdString(); }

    // Clicks into w, as a player does, and waits until it has the keyboard.
    void focus(QWidget* w) {
        const QPoint at = w->mapToGlobal(QPoint(w->width() / 4, w->height() / 2));
        ASSERT_TRUE(ime().xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                                   QStringLiteral("click"), QStringLiteral("1")}));
        const auto has_keyboard = [w] {
            return QApplication::focusWidget() == w && QGuiApplication::focusWindow() == w->window()->windowHandle();
        };
        ASSERT_TRUE(QTest::qWaitFor(has_keyboard, kWaitMs)) << "no keyboard focus for " << w->metaObject()->className();
    }
    void type(const char* keys) {
        ASSERT_TRUE(ime().xdotool(
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), QString::fromLatin1(keys)}));
    }
    void key(const char* name) { ASSERT_TRUE(ime().xdotool({QStringLiteral("key"), QString::fromLatin1(name)})); }

    // Switches mozc on with the trigger key (in a box that takes it). The window's
    // input context is made when it first gets the keyboard and is ready a moment
    // later; keys before that pass by the input method, so the key is pressed again
    // until the input method is on.
    void ime_on() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return ime().state() >= 1; }, kWaitMs)) << logs();
        for (int tries = 0; tries < 10 && ime().state() != 2; ++tries) {
            key("ctrl+space");
            (void)QTest::qWaitFor([this] { return ime().state() == 2; }, 1500);
        }
        ASSERT_EQ(ime().state(), 2) << "the trigger key did not switch the input method on\n" << logs();
    }

    // Types romaji into the focused box target, waits for their kana, converts
    // with the space bar until wanted is the candidate and commits it with Enter.
    void compose(QObject* target, const char* romaji, const QString& kana, const QString& wanted) {
        type(romaji);
        ASSERT_TRUE(QTest::qWaitFor([&] { return events.preedit(target) == kana; }, kWaitMs))
            << "composing " << romaji << " shows \"" << events.preedit(target).toStdString() << "\"";
        QStringList candidates;
        QString now = kana;
        for (int i = 0; i < kMaxCandidates && now != wanted; ++i) {
            key("space");
            const QString before = now;
            (void)QTest::qWaitFor([&] { return events.preedit(target) != before && !events.preedit(target).isEmpty(); },
                                  5000);
            now = events.preedit(target);
            candidates << now;
            if (now == before) break;  // no further candidate
        }
        ASSERT_EQ(now, wanted) << "not among the candidates of " << romaji << ": "
                               << candidates.join(QLatin1Char(' ')).toStdString();
        const std::size_t before = events.seen.size();
        key("Return");
        const auto committed = [&] {
            return events.committed(target, before) == wanted && events.preedit(target).isEmpty();
        };
        ASSERT_TRUE(QTest::qWaitFor(committed, kWaitMs)) << "Enter did not commit " << wanted.toStdString();
        QTest::qWait(300);  // the Enter's release, and whatever it might have set off
    }

    // Types digits into the focused box and waits until its text is expected.
    template <typename TextOf>
    void type_digits(const char* digits, TextOf text_of, const QString& expected) {
        type(digits);
        const bool arrived = QTest::qWaitFor([&] { return text_of() == expected; }, kWaitMs);
        EXPECT_TRUE(arrived) << "typed " << digits << ", the box holds \"" << text_of().toStdString() << "\"";
    }

    // Answers the next modal box once it has the keyboard.
    // A box whose answer did not reach it (the keys went to a window that had not
    // yet taken the keyboard) is answered again; one still open after kBoxGiveUpMs
    // is closed here and the case fails, rather than waiting in its event loop for ever.
    void when_box_shown(std::function<void(QWidget*)> answer) {
        auto* timer = new QTimer(&owner);  // ends with the case, answered or not
        timer->setInterval(50);
        auto answered = std::make_shared<QElapsedTimer>();
        auto first = std::make_shared<QElapsedTimer>();
        QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, answered, first] {
            QWidget* shown = QApplication::activeModalWidget();
            if (!shown || !shown->isVisible()) {
                if (answered->isValid()) {
                    timer->stop();
                    timer->deleteLater();
                }
                return;
            }
            if (!first->isValid()) first->start();
            if (first->elapsed() > kBoxGiveUpMs) {
                ADD_FAILURE() << "the box was not closed by its answer: " << shown->metaObject()->className();
                timer->stop();
                timer->deleteLater();
                shown->close();
                return;
            }
            if (answered->isValid() && answered->elapsed() < 2000) return;
            (void)QTest::qWaitForWindowActive(shown);  // the answer's keys go to the window that has the keyboard
            answered->start();
            answer(shown);
        });
        timer->start();
    }

    HeldLedger saved_ledger() {
        dialogs.answers = {true};
        EXPECT_TRUE(form1->save_ledger());
        DecodedLedger decoded;
        EXPECT_EQ(decode_ledger(read_bytes(QStringLiteral("vq2004.vqd")), decoded), DecodeResult::Ok);
        return held_ledger(decoded);
    }

    ImeEvents events;
    QObject owner;
};

TEST_F(RealInputMethod, EntryDialogStoresConvertedTextsAndTypedAmounts) {
    start_empty_2004_ledger();
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    form1->SpeedButton1Click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2.get()));
    QSignalSpy commits(form2->Button1, &QPushButton::clicked);
    QSignalSpy cancels(form2->Button2, &QPushButton::clicked);

    focus(form2->ComboBox1);
    ime_on();
    compose(form2->ComboBox1, "sinjuku", u("しんじゅく"), u("新宿"));
    EXPECT_EQ(form2->ComboBox1->currentText(), u("新宿"));

    focus(form2->ComboBox2);
    compose(form2->ComboBox2, "hokuto", u("ほくと"), u("北斗"));
    EXPECT_EQ(form2->StringGrid1->cell(1, 1), sj("北斗"));

    // The input method is still on: the amount boxes take the digits as typed.
    ASSERT_EQ(ime().state(), 2);
    focus(form2->Edit1);
    type_digits("1000", [&] { return form2->Edit1->text(); }, QStringLiteral("1000"));
    focus(form2->Edit2);
    type_digits("3500", [&] { return form2->Edit2->text(); }, QStringLiteral("3500"));
    EXPECT_EQ(events.count(form2->Edit1), 0);
    EXPECT_EQ(events.count(form2->Edit2), 0);
    EXPECT_EQ(form2->StringGrid1->cell(2, 1), "1000");
    EXPECT_EQ(form2->StringGrid1->cell(3, 1), "3500");

    focus(form2->Memo1);
    compose(form2->Memo1, "toukyou", u("とうきょう"), u("東京"));
    EXPECT_EQ(form2->Memo1->toPlainText(), u("東京"));  // the committing Enter adds no line

    // No Enter pressed a button, added a record or put a name into a list.
    EXPECT_EQ(commits.count(), 0);
    EXPECT_EQ(cancels.count(), 0);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form2->ComboBox1->count(), 0);
    EXPECT_EQ(form2->ComboBox2->count(), 0);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front().text.toStdString();

    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(form1->rec_count, 1);
    const HeldLedger held = saved_ledger();
    ASSERT_EQ(held.records.size(), 1u);
    const LedgerRecord& r = held.records[0];
    EXPECT_EQ(r.hall, sj("新宿"));
    EXPECT_EQ(r.machines, sj("北斗"));
    EXPECT_EQ(r.comment, sj("東京"));
    EXPECT_EQ(r.totals, pack_day_totals({"1000", "3500"}));
    EXPECT_EQ(r.balance, "2500");
}

TEST_F(RealInputMethod, RegistryNameBoxesCommitWithoutAddingTheName) {
    form3->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form3.get()));
    QSignalSpy adds(form3->Button1, &QPushButton::clicked);
    struct Page {
        QWidget* page;
        QLineEdit* edit;
        QListWidget* list;
        const char* romaji;
        const char* kana;
        const char* name;
    };
    const Page pages[] = {
        {form3->TabSheet1, form3->Edit1, form3->ListBox1, "sinjuku", "しんじゅく", "新宿"},
        {form3->TabSheet2, form3->Edit2, form3->ListBox2, "hokuto", "ほくと", "北斗"},
    };
    for (const Page& p : pages) {
        SCOPED_TRACE(p.name);
        form3->PageControl1->setCurrentWidget(p.page);
        focus(p.edit);
        ime_on();
        compose(p.edit, p.romaji, u(p.kana), u(p.name));
        EXPECT_EQ(p.edit->text(), u(p.name));
        EXPECT_EQ(p.list->count(), 0) << "the Enter that committed the conversion added the name";
        // Enter again, with nothing being composed, adds it.
        key("Return");
        EXPECT_TRUE(QTest::qWaitFor([&] { return p.list->count() == 1; }, kWaitMs));
    }
    EXPECT_EQ(adds.count(), 0);
    form3->Button4Click();
    const Registry saved = decode_registry(read_file(registry_path()).value_or(std::string()));
    EXPECT_EQ(saved.halls, std::vector<std::string>{sj("新宿")});
    EXPECT_EQ(saved.machines, std::vector<std::string>{sj("北斗")});
}

TEST_F(RealInputMethod, UnstorableCharacterIsRefusedAndTypingGoesOnThroughTheInputMethod) {
    start_empty_2004_ledger();
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    form1->SpeedButton1Click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2.get()));
    focus(form2->ComboBox1);
    ime_on();

    // The real message box, closed with Enter as a player closes it.
    set_dialogs(nullptr);
    QString message;
    when_box_shown([&](QWidget* box) {
        if (auto* m = qobject_cast<QMessageBox*>(box)) message = m->text();
        key("Return");
    });
    compose(form2->ComboBox1, "tutiyosi", u("つちよし"), u("𠮷"));
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, kWaitMs));
    set_dialogs(&dialogs);
    EXPECT_EQ(message, unencodable_message(u("𠮷")));
    EXPECT_EQ(form2->ComboBox1->currentText(), QString());

    // Typing on in the same box, without a click: the input method composes again.
    compose(form2->ComboBox1, "sinjuku", u("しんじゅく"), u("新宿"));
    EXPECT_EQ(form2->ComboBox1->currentText(), u("新宿"));

    focus(form2->ComboBox2);
    compose(form2->ComboBox2, "hokuto", u("ほくと"), u("北斗"));
    focus(form2->Edit1);
    type_digits("500", [&] { return form2->Edit1->text(); }, QStringLiteral("500"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(form1->rec_count, 1);
    const HeldLedger held = saved_ledger();
    ASSERT_EQ(held.records.size(), 1u);
    EXPECT_EQ(held.records[0].hall, sj("新宿"));
    EXPECT_EQ(held.records[0].totals, pack_day_totals({"500", "0"}));
}

// F2 in the entry dialog opens 実戦データ; with the input method still on from
// the machine's name, its number and time boxes take the digits as typed.
TEST_F(RealInputMethod, PlayDataBoxesTakeTypedDigits) {
    start_empty_2004_ledger();
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    form1->SpeedButton1Click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2.get()));
    focus(form2->ComboBox2);
    ime_on();
    compose(form2->ComboBox2, "hokuto", u("ほくと"), u("北斗"));
    ASSERT_EQ(ime().state(), 2);
    key("F2");
    play::PlayDialog* d = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (d = form2->findChild<play::PlayDialog*>()) && d->isVisible(); }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    QLineEdit* cash = d->edit(0, play::Field::Cash);
    focus(cash);
    type_digits("5000", [&] { return cash->text(); }, QStringLiteral("5000"));
    focus(d->start_edit);
    type_digits("21:45", [&] { return d->start_edit->text(); }, QStringLiteral("21:45"));
    EXPECT_EQ(events.count(cash), 0);
    EXPECT_EQ(events.count(d->start_edit), 0);
    d->accept();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form2->StringGrid1->cell(2, 1), "5000");  // the amount the play data gives
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_EQ(form1->rec_count, 1);
    const HeldLedger held = saved_ledger();
    ASSERT_EQ(held.records.size(), 1u);
    const play::RecordPlayData data = play::read_play_data(held.records[0]);
    EXPECT_EQ(data.machines[0].cash, 5000);
    EXPECT_EQ(data.time.start, 21 * 60 + 45);
}

TEST_F(RealInputMethod, WidthAndYearBoxesTakeTypedDigits) {
    start_empty_2004_ledger();
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    form1->IncomeTuikaClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form7.get()));
    focus(form7->Edit1);
    ime_on();
    compose(form7->Edit1, "tenki", u("てんき"), u("天気"));

    focus(form7->ComboBox3);
    form7->ComboBox3->lineEdit()->selectAll();
    type_digits("140", [&] { return form7->ComboBox3->currentText(); }, QStringLiteral("140"));
    EXPECT_EQ(events.count(form7->ComboBox3), 0);
    form7->Button2Click();
    EXPECT_EQ(form7->extra_width, 140);
    EXPECT_EQ(form1->StringGrid1->cell(form1->extra_col, 0), sj("天気"));

    // The year box of 新規作成, with the input method still on.
    ASSERT_EQ(ime().state(), 2);
    set_dialogs(nullptr);
    QString typed;
    int composed = -1;
    when_box_shown([&](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        if (!edit) return;
        type("2005");
        (void)QTest::qWaitFor([&] { return edit->text() == QStringLiteral("2005"); }, kWaitMs);
        typed = edit->text();
        composed = events.count(edit);
        key("Return");
        // An Enter that only ended a composition leaves the box open.
        if (!QTest::qWaitFor([box] { return !box->isVisible(); }, 3000))
            qobject_cast<QDialog*>(box)->reject();
    });
    const std::optional<QString> year =
        velmo::dialogs().input_number(u("収支ファイル新規作成"), u("半角で年を入力してください"), QString());
    set_dialogs(&dialogs);
    EXPECT_EQ(typed, QStringLiteral("2005"));
    EXPECT_EQ(composed, 0);
    EXPECT_EQ(year, QStringLiteral("2005"));
}

}  // namespace
}  // namespace velmo::testing
