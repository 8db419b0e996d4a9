// Hall rates and store balances: their registry records, what the player types
// for them, and how they follow the halls of the registry dialog.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include "entry/tform3.h"
#include "ledger/registry_file.h"
#include "play/play_input.h"
#include "play/play_settings.h"
#include "play/rates_dialog.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using play::HallRates;
using play::Kind;
using play::PlaySettings;
using play::StoreStart;

TEST(PlayRegistry, RecordsBeforeTheEndByteOnlyWhenSet) {
    play::register_registry_records();
    Registry reg;
    reg.halls = {"A", "B"};
    const std::string without = encode_registry(reg);
    PlaySettings s;
    s.halls = {{"A", {400, 280}, {2000, 56}}};
    s.stores = {{{"A", Kind::Pachinko, 400}, 12000}};
    reg.settings.set(s);
    const std::string with = encode_registry(reg);
    // 41 L "A" 00000190 0118 000007D0 0038, 42 L "A" 01 00000190 00002EE0, then the end byte.
    const std::string rates = std::string("\x41\x0E\x01" "A\x00\x00\x01\x90\x01\x18\x00\x00\x07\xD0\x00\x38", 16);
    const std::string store = std::string("\x42\x0B\x01" "A\x01\x00\x00\x01\x90\x00\x00\x2E\xE0", 13);
    EXPECT_EQ(with, without.substr(0, without.size() - 1) + rates + store + "\xFF");
    const Registry back = decode_registry(with);
    EXPECT_FALSE(back.damaged);
    EXPECT_EQ(back.settings.get<PlaySettings>(), s);
    EXPECT_TRUE(back.unread.empty());
    EXPECT_EQ(encode_registry(back), with);
    // Records this version does not read are kept as they are: a name running past
    // the data, rates beyond their bounds, no rates at all, an unknown kind.
    for (const std::string& bad :
         {std::string("\x41\x03\x05" "AB", 5), std::string("\x41\x0E\x01" "A\x00\x01\x86\xA0\x01\x18\x00\x00\x00\x00\x00\x00", 16),
          std::string("\x41\x0E\x01" "A\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 16),
          std::string("\x42\x0B\x01" "A\x03\x00\x00\x01\x90\x00\x00\x2E\xE0", 13)}) {
        const std::string file = without.substr(0, without.size() - 1) + bad + "\xFF";
        const Registry kept = decode_registry(file);
        EXPECT_EQ(kept.settings.get<PlaySettings>(), PlaySettings{});
        ASSERT_EQ(kept.unread.size(), 1u);
        EXPECT_EQ(encode_registry(kept), file);
    }
    // The longest hall name keeps a record within the 54 bytes every reader holds.
    PlaySettings longest;
    longest.halls = {{std::string(play::kMaxHallName, 'x'), {play::kMaxLendingPrice, play::kMaxExchangeRate}, {}}};
    longest.stores = {{{std::string(play::kMaxHallName, 'x'), Kind::Slot, play::kMaxLendingPrice}, play::kMaxPieces}};
    EXPECT_LE(play::encode_rates_record(longest.halls[0]).size(), kRegistryRecordMax);
    EXPECT_LE(play::encode_store_record(longest.stores[0]).size(), kRegistryRecordMax);
    reg.settings.set(longest);
    EXPECT_EQ(decode_registry(encode_registry(reg)).settings.get<PlaySettings>(), longest);
}

TEST(PlayRegistry, RatesFollowTheHallsOfTheRegistry) {
    const PlaySettings base{{{"A", {400, 280}, {}}, {"B", {100, 1000}, {}}},
                            {{{"A", Kind::Pachinko, 400}, 12000}, {{"B", Kind::Pachinko, 100}, 500}}};
    struct Case {
        const char* what;
        const char* old_name;
        std::optional<std::string> new_name;
        std::vector<std::string> listed;
        PlaySettings want;
    };
    const Case cases[] = {
        {"renamed", "A", "C", {"C", "B"},
         {{{"B", {100, 1000}, {}}, {"C", {400, 280}, {}}}, {{{"B", Kind::Pachinko, 100}, 500}, {{"C", Kind::Pachinko, 400}, 12000}}}},
        {"renamed onto a hall with rates", "A", "B", {"B", "B"},
         {{{"B", {400, 280}, {}}}, {{{"B", Kind::Pachinko, 400}, 12000}}}},
        {"deleted", "B", std::nullopt, {"A"}, {{{"A", {400, 280}, {}}}, {{{"A", Kind::Pachinko, 400}, 12000}}}},
        {"one of two rows deleted", "B", std::nullopt, {"A", "B"}, base},
        {"one of two rows renamed", "A", "D", {"A", "D", "B"},
         {{{"A", {400, 280}, {}}, {"B", {100, 1000}, {}}, {"D", {400, 280}, {}}},
          {{{"A", Kind::Pachinko, 400}, 12000}, {{"B", Kind::Pachinko, 100}, 500}, {{"D", Kind::Pachinko, 400}, 12000}}}},
        {"renamed to itself", "A", "A", {"A", "B"}, base},
        {"a hall without rates", "Z", std::nullopt, {"A", "B"}, base},
    };
    for (const Case& c : cases) {
        PlaySettings s = base;
        play::follow_hall(s, c.old_name, c.new_name, c.listed);
        EXPECT_EQ(s, c.want) << c.what;
    }
}

TEST(PlayInput, TypedNumbers) {
    struct Case {
        const char* text;
        play::TypedNumber price, rate, count;
    };
    const Case cases[] = {
        {"", {true, std::nullopt}, {true, std::nullopt}, {true, std::nullopt}},
        {"4", {true, 400}, {true, 40}, {true, 4}},
        {"０．５円", {true, 50}, {true, 5}, {false, std::nullopt}},
        {" 5.6枚 ", {true, 560}, {true, 56}, {false, std::nullopt}},
        {"１２，０００玉", {false, std::nullopt}, {false, std::nullopt}, {true, 12000}},
        {"1.25", {true, 125}, {false, std::nullopt}, {false, std::nullopt}},
        {"-5", {false, std::nullopt}, {false, std::nullopt}, {false, std::nullopt}},
        {"0", {false, std::nullopt}, {false, std::nullopt}, {true, 0}},
        {",5", {false, std::nullopt}, {false, std::nullopt}, {false, std::nullopt}},
        {"100000000", {false, std::nullopt}, {false, std::nullopt}, {false, std::nullopt}},
    };
    auto same = [](const play::TypedNumber& a, const play::TypedNumber& b) { return a.ok == b.ok && a.value == b.value; };
    for (const Case& c : cases) {
        const QString t = QString::fromUtf8(c.text);
        EXPECT_TRUE(same(play::read_price(t), c.price)) << c.text;
        EXPECT_TRUE(same(play::read_rate(t), c.rate)) << c.text;
        EXPECT_TRUE(same(play::read_count(t, play::kMaxPieces), c.count)) << c.text;
    }
    EXPECT_EQ(play::read_clock(QString::fromUtf8("２２：３０")).value, 1350);
    EXPECT_FALSE(play::read_clock(QStringLiteral("25:00")).ok);
}

class HallRatesUse : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start_empty_2004_ledger();
        form3->PageControl1->setCurrentWidget(form3->TabSheet1);
        for (const char* h : {"B", "A"}) {
            form3->Edit1->setText(u(h));
            form3->Button1Click();
        }
    }
    const PlaySettings& setting() const { return form1->player_settings().get<PlaySettings>(); }
    // Opens ホールのレート from the menu, lets fill type into it and presses OK; a
    // refused box leaves the dialog open, and it is then cancelled.
    void set_rates(std::function<void(play::RatesDialog&)> fill) {
        QTimer::singleShot(0, form1.get(), [=, this] {
            auto* dialog = qobject_cast<play::RatesDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            fill(*dialog);
            dialog->accept();
            if (dialog->isVisible()) dialog->reject();
        });
        form1->findChild<QAction*>(QStringLiteral("hall_rates_action"))->trigger();
    }
    void select_hall(int row) { form3->ListBox1->setCurrentRow(row); }
};

TEST_F(HallRatesUse, SetRenamedDeletedAndKeptWithTheRegistry) {
    set_rates([](play::RatesDialog& d) {
        ASSERT_EQ(d.rates_table->rowCount(), 2);  // A, B as the registry lists them
        d.rate_edit(0, 0)->setText(QStringLiteral("4"));
        d.rate_edit(0, 1)->setText(u("２８"));
        d.rate_edit(1, 2)->setText(QStringLiteral("20"));
        d.rate_edit(1, 3)->setText(QStringLiteral("5.6"));
        d.add_store_row();
        d.store_edit(0, 2)->setText(QStringLiteral("4"));
        d.store_edit(0, 3)->setText(QStringLiteral("12,000"));
    });
    const PlaySettings set{{{"A", {400, 280}, {}}, {"B", {}, {2000, 56}}}, {{{"A", Kind::Pachinko, 400}, 12000}}};
    EXPECT_EQ(setting(), set);
    EXPECT_TRUE(dialogs.texts().empty());
    EXPECT_TRUE(form1->player_settings().unsaved());

    // A price without its rate is refused, naming the hall and the kind; nothing changes.
    set_rates([](play::RatesDialog& d) { d.rate_edit(1, 3)->clear(); });
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], u("Bのスロットは貸玉料金と交換率を両方入力してください"));
    dialogs.shown.clear();
    EXPECT_EQ(setting(), set);

    // Renamed in the registry dialog: the rates and the store go with the name.
    select_hall(0);
    form3->Edit1->setText(u("C"));
    form3->Button2Click();
    EXPECT_EQ(setting().rates_of("C")->pachinko, (play::KindRates{400, 280}));
    EXPECT_EQ(setting().rates_of("A"), nullptr);
    EXPECT_EQ(setting().start_of({"C", Kind::Pachinko, 400}), 12000);
    // Deleted: they go with it.
    select_hall(0);
    form3->Button3Click();
    EXPECT_EQ(setting(), (PlaySettings{{{"B", {}, {2000, 56}}}, {}}));

    // Kept in velmo.lst and read back on the next start.
    ASSERT_TRUE(save_registry_file());
    form1->player_settings().load({}, {});
    read_registry();
    EXPECT_EQ(setting(), (PlaySettings{{{"B", {}, {2000, 56}}}, {}}));
}

}  // namespace
}  // namespace velmo::testing
