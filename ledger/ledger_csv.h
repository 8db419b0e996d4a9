#pragma once
// The year ledger as a CSV file a spreadsheet opens: one line per machine entry,
// UTF-8 with a byte-order mark, CR LF line ends, fields quoted where they hold a
// comma, a quote or a line break. Reading checks every line of a file before
// anything is taken from it; nothing here touches a window.
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/ledger_codec.h"

namespace velmo {

// ---- Writing ----

// One line of the year as it is exported: a machine entry of a record, or the
// one line of a record without machine entries. The CSV writes these lines as
// they are; a spreadsheet writes the same lines with typed cells.
struct ExportLine {
    int record = 0;        // the record's number in the year list: the lines of one visit share it
    bool dated = false;    // the date exists in the ledger's year
    int year = 0;
    int month = 0;
    int day = 0;
    QString date;          // "YYYY-MM-DD"; a damaged date as it is stored
    QString weekday;       // 日 .. 土, empty without a date
    QString hall;
    QString machine;
    QString investment;    // the machine's texts as stored
    QString payout;
    QString balance;       // payout - investment when both are numbers; the record's balance without machines
    QString comment;       // on the record's first line only
    QString extra;         // on the record's first line only, when the ledger has the column
    std::vector<QString> more;  // the cells of the added columns (csv_columns), when the year writes them
};

// The header names, the extra column's last when the ledger has one.
std::vector<QString> export_header(const LedgerImage& image);
// The lines of every record, in order.
std::vector<ExportLine> export_lines(const LedgerImage& image);

// A text cell as the export writes it, so that no spreadsheet takes it as a
// formula: a text that begins with =, +, -, @, a tab or a CR (also after
// apostrophes of its own) gets one more apostrophe in front.
QString formula_safe(const QString& text);
// The import's inverse: a cell of apostrophes followed by one of those loses
// its first apostrophe; every other cell stays as it is.
QString formula_unescaped(const QString& cell);

// One field as it stands in a line of fields parted by separator (a comma for
// CSV, a tab for the tab-separated text spreadsheets paste): quoted, with quotes
// doubled, when it holds the separator, a quote, CR or LF; else as it is.
QString delimited_field(const QString& text, QChar separator);
inline QString csv_field(const QString& text) { return delimited_field(text, QLatin1Char(',')); }

// The whole file: byte-order mark, header line, then for every record one line
// per machine entry (one line for a record without machine entries).
std::string export_csv(const LedgerImage& image);

// The ledger a decoded file holds, as the window would show and save it: fields
// placed by their record numbers, records 1 up to the highest number read.
LedgerImage ledger_image_of(const DecodedLedger& file);

// True when both paths name one existing file (through symbolic or hard links as well): an export
// must never replace the ledger it is made from.
bool same_file(const QString& a, const QString& b);

// ---- Reading ----

enum class CsvEncoding { Utf8Bom, Utf8, Cp932 };

// The encoding of a file, UTF-8 with a byte-order mark, UTF-8 without one, or
// CP932, tried in that order, and its text's bytes (body, without the mark);
// false when the bytes are none of them.
bool csv_encoding(std::string_view bytes, std::string_view& body, CsvEncoding& encoding);

// One line of a CSV text (a quoted field may span several lines of the file).
struct CsvRow {
    int number = 0;  // 1 for the first line, counted as a spreadsheet counts its rows
    std::vector<QString> fields;
    QString error;  // why the line could not be read; empty when it was
};

// The lines of a file's text, one at a time, straight from its bytes (the
// characters that shape a line are ASCII in both encodings), so that memory
// stays bounded whatever the file: a line keeps at most kMaxFields fields (a
// value past them is an error of the line) and a field at most kMaxFieldBytes
// bytes (a longer one is an error of the line).
class CsvLineReader {
public:
    static constexpr std::size_t kMaxFields = 4096;
    static constexpr std::size_t kMaxFieldBytes = 1 << 20;

    CsvLineReader(std::string_view body, CsvEncoding encoding);
    // The next line that holds a value or an error; false after the last.
    bool next(CsvRow& row);

private:
    QString text(std::string_view field) const;

    std::string_view body_;
    CsvEncoding encoding_;
    std::size_t at_ = 0;
    int number_ = 0;
};

// A CSV file opened for reading: its lines after the header, and the header
// (its first line). An empty problem when it opened; otherwise why not (an
// encoding it is not in, or no line at all), for line 0 of the file.
struct CsvOpened {
    QString problem;
    std::optional<CsvLineReader> lines;
    CsvRow head;
};
CsvOpened open_csv(std::string_view bytes);

class SettingsParts;

// The open ledger an import goes into.
struct CsvImportTarget {
    std::string year;                // year_text
    bool has_extra = false;
    std::string extra_name;          // CP932, when has_extra
    int rec_count = 0;
    // What the added columns' checks may need: the ledger's records as they stand
    // (in date order), its file, and the player's settings. Empty when unknown.
    std::span<const LedgerRecord> records;
    QString ledger_path;
    const SettingsParts* settings = nullptr;
};

struct CsvProblem {
    int line = 0;  // 0: the file as a whole
    QString reason;
};

// ---- Columns added beyond the ledger's own ----
// A module beyond the windows may add columns to the CSV (and so to the
// workbook's 収支一覧), between コメント and the extra column. It registers them
// once; this file only carries their cells, the module reads and writes them.

// What an added group of columns says of one line of an import.
struct CsvMoreLine {
    std::vector<QString> reasons;            // why the line is refused, each naming its column
    std::optional<std::int64_t> investment;  // 投資 and 回収 as the line's cells give them
    std::optional<std::int64_t> payout;
};

// The reading of the added columns through one import.
class CsvMoreReader {
public:
    virtual ~CsvMoreReader() = default;
    // A line of the file: its number, the record it belongs to (index in file
    // order), its machine entry's index in that record (-1: a line without a
    // machine), whether it continues the record, and the cells of the group's
    // columns (empty where the file lacks a column).
    virtual CsvMoreLine line(int line, std::size_t record, int machine, bool continues,
                             const std::vector<QString>& cells) = 0;
    // When every line was read without a fault: the records built (file order)
    // take what the columns gave; problems only the whole file can tell.
    virtual std::vector<CsvProblem> finish(std::vector<LedgerRecord>& records) = 0;
};

struct CsvColumnGroup {
    std::vector<QString> names;  // the header names, in the order they are written
    // Whether the export of a year writes the columns.
    std::function<bool(const LedgerImage&)> exported;
    // How many of them, from the first, the export of a year writes when not
    // all (columns the last ones of which only some years fill); unset: all.
    // The import reads every one of names wherever a file has it.
    std::function<std::size_t(const LedgerImage&)> exported_count;
    // The cells of an export line: of the record's machine entry `machine` (-1
    // for the one line of a record without machine entries).
    std::function<std::vector<QString>(const LedgerRecord&, int machine)> cells;
    // Columns of the group that give 投資 or 回収 (CsvMoreLine): a file with one of
    // them needs no column 投資 or 回収 (an empty or missing amount is 0 where the
    // line's cells give none).
    std::vector<QString> investment_from;
    std::vector<QString> payout_from;
    // A reader for one import into the target.
    std::function<std::unique_ptr<CsvMoreReader>(const CsvImportTarget&)> reader;
};

// Registers the added columns (nullopt: none); before the first export or import.
void set_csv_columns(std::optional<CsvColumnGroup> group);
const CsvColumnGroup* csv_columns();
// The added columns when the export of image writes them, else nullptr.
const CsvColumnGroup* exported_columns(const LedgerImage& image);
// How many of the added columns' names the export of image writes (0 when none).
std::size_t exported_column_count(const LedgerImage& image);

struct CsvImport {
    std::vector<LedgerRecord> records;  // in file order, as the entry dialog builds them
    std::vector<CsvProblem> problems;   // in line order, the first ones; nothing is imported when any
    std::size_t problem_count = 0;      // all problems found, problems.size() or more
    std::vector<QString> ignored_columns;  // header names the ledger has no column for, once each
};

// The question before an import adds its records, naming the columns left out.
QString csv_import_question(const CsvImport& import);

// A date cell: "2004-03-15", "2004/3/15", "2004年3月5日", or, in ledger_year,
// "3月5日" and "3/5", in half- or full-width digits, and followed by a time of
// day as spreadsheets write a date cell holding one ("2004/3/15 0:00", the time
// ignored). False for anything else (the date itself is not checked).
bool read_date(const QString& cell, int ledger_year, int& year, int& month, int& day);

// Reads and checks a whole file for the target ledger.
CsvImport read_csv_import(std::string_view bytes, const CsvImportTarget& target);

// The one message for a refused file: the first kMaxListedProblems problems, one
// a line, and how many more of count there are.
inline constexpr int kMaxListedProblems = 20;
QString csv_problems_message(const std::vector<CsvProblem>& problems, std::size_t count = 0);

// The records after adding each of `added`, in order, after the last record whose
// date is not later than its own, as a new entry is placed.
struct MergedRecords {
    std::vector<LedgerRecord> records;
    std::vector<int> added_rows;  // row (1-based) of each added record in the result
};
MergedRecords merge_in_date_order(std::vector<LedgerRecord> existing, const std::vector<LedgerRecord>& added);

}  // namespace velmo
