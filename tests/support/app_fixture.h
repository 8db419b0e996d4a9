#pragma once
// A test fixture with the program's seven windows created as at start-up, the
// program directory in a temporary folder, today's date fixed and every dialog
// answered from a script.
#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "framework/dialogs.h"
#include "month/tform6.h"
#include "print/tform4.h"
#include "records/tform5.h"
#include "shell/tform1.h"

namespace velmo::testing {

// A play record as a test appends it; the balance is payout minus investment.
struct TestRecord {
    std::string date;
    std::string hall;
    std::string machines;
    long long investment = 0;
    long long payout = 0;
    std::string detail;  // packed machine_detail; empty when the test needs none
    std::string extra;   // written when the ledger has an extra column
    std::string comment;
};

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside the temporary folder.
    QString path(const QString& name) const;
    void write_bytes(const QString& name, const std::string& bytes) const;
    std::string read_bytes(const QString& name) const;
    // Clears the ledger and loads the named file, as the file commands do.
    void load(const QString& file);
    // Starts a new, empty ledger of 2004 (vq2004.vqd, the new-ledger question answered
    // Yes) and forgets the texts shown so far.
    void start_empty_2004_ledger();
    // Commits a record of one machine through the entry dialog, on that day of
    // 2004, the amounts typed key by key.
    void enter_on(int month, int day, const char* hall, const char* machine, const char* bet, const char* pay);
    void enter_in_march(int day, const char* hall, const char* machine, const char* bet, const char* pay) {
        enter_on(3, day, hall, machine, bet, pay);
    }
    // Appends a record after the last one, as the grids hold it; returns its row.
    int append_record(const TestRecord& record);

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TForm6> form6;
    std::unique_ptr<TForm7> form7;
};

// The locale whose numbers take a decimal comma; tests/test_deps.sh generates it.
inline constexpr const char* kDecimalCommaLocale = "de_DE.UTF-8";
// Reads numbers (LC_NUMERIC) by that locale for the life of the object, as a
// program started under it does, then by the one before. active(): the locale
// exists and its decimal point is a comma.
class DecimalCommaNumbers {
public:
    DecimalCommaNumbers();
    ~DecimalCommaNumbers();
    DecimalCommaNumbers(const DecimalCommaNumbers&) = delete;
    DecimalCommaNumbers& operator=(const DecimalCommaNumbers&) = delete;
    bool active() const { return active_; }

private:
    std::string before_;
    bool active_ = false;
};

// A CP932 string for a UTF-8 literal.
std::string sj(const char* utf8);
std::string sj(const char8_t* utf8);
QString u(const char* utf8);

}  // namespace velmo::testing

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
