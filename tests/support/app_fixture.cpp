#include "tests/support/app_fixture.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <clocale>

#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/record_fields.h"

namespace velmo::testing {

namespace {
QByteArray saved_data_home_;  // the XDG_DATA_HOME of the test run, put back after each test
}  // namespace

void AppFixture::SetUp() {
    ASSERT_TRUE(dir.isValid());
    set_program_dir(dir.path());
    // The user's data folder too, so that no file of the machine's own user is read.
    saved_data_home_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", path(QStringLiteral("user-data")).toLocal8Bit());
    set_today(QDate(2004, 3, 20));
    form1 = std::make_unique<TForm1>();
    form1->init_done = true;  // tests load their own files; showing the window must not start up
    form2 = std::make_unique<TForm2>();
    form3 = std::make_unique<TForm3>();
    form4 = std::make_unique<TForm4>();
    form5 = std::make_unique<TForm5>();
    form6 = std::make_unique<TForm6>();
    form7 = std::make_unique<TForm7>();
}

void AppFixture::TearDown() {
    form7.reset();
    form6.reset();
    form5.reset();
    form4.reset();
    form3.reset();
    form2.reset();
    form1.reset();
    set_program_dir(QString());
    if (saved_data_home_.isEmpty()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", saved_data_home_);
    set_today(std::nullopt);
    set_write_fault(std::nullopt);
}

QString AppFixture::path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

void AppFixture::write_bytes(const QString& name, const std::string& bytes) const {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string AppFixture::read_bytes(const QString& name) const {
    return read_file(path(name)).value_or(std::string("<missing>"));
}

void AppFixture::load(const QString& file) {
    form1->clear_ledger();
    form1->file_name = file;
    form1->load_ledger();
}

void AppFixture::start_empty_2004_ledger() {
    form1->year_text = "2004";
    dialogs.answers = {true};
    load(path(QStringLiteral("vq2004.vqd")));
    dialogs.shown.clear();
}

DecimalCommaNumbers::DecimalCommaNumbers() {
    if (const char* now = std::setlocale(LC_NUMERIC, nullptr)) before_ = now;
    active_ = std::setlocale(LC_NUMERIC, kDecimalCommaLocale) != nullptr &&
              std::string(std::localeconv()->decimal_point) == ",";
}

DecimalCommaNumbers::~DecimalCommaNumbers() { std::setlocale(LC_NUMERIC, before_.empty() ? "C" : before_.c_str()); }

void AppFixture::enter_on(int month, int day, const char* hall, const char* machine, const char* bet, const char* pay) {
    form1->SpeedButton1Click();
    form2->MonthCalendar1()->setSelectedDate(QDate(2004, month, day));
    form2->ComboBox1->setEditText(u(hall));
    form2->ComboBox2->setEditText(u(machine));
    for (auto [edit, keys] : {std::pair{form2->Edit1, bet}, std::pair{form2->Edit2, pay}}) {
        edit->setFocus();
        QTest::keyClicks(edit, QString::fromLatin1(keys));
    }
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
}

int AppFixture::append_record(const TestRecord& record) {
    TForm1& f = *form1;
    const int r = ++f.rec_count;
    if (f.StringGrid1->row_count() <= r + 1) f.StringGrid1->set_row_count(r + 8);
    if (f.StringGrid5->row_count() <= r) f.StringGrid5->set_row_count(r + 1);
    LedgerRecord cells;
    cells.date = record.date;
    cells.hall = record.hall;
    cells.machines = record.machines;
    cells.balance = std::to_string(record.payout - record.investment);
    cells.extra = record.extra;
    cells.detail = record.detail;
    cells.totals = pack_day_totals({std::to_string(record.investment), std::to_string(record.payout)});
    cells.comment = record.comment;
    f.put_record(r, cells);
    return r;
}

std::string sj(const char* utf8) { return cp932_literal(utf8); }
std::string sj(const char8_t* utf8) { return cp932_literal(utf8); }
QString u(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace velmo::testing
