#include "ledger/ledger_csv.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <set>

#include <sys/stat.h>

#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/amount_text.h"
#include "ledger/ledger_model.h"
#include "ledger/packed_fields.h"
#include "ledger/placement.h"
#include "ledger/record_build.h"
#include "ledger/record_fields.h"

namespace velmo {

namespace {

using velmo::u;

// The columns in the order they are written; the extra column, if any, comes last.
enum Column { kNumber, kDate, kWeekday, kHall, kMachine, kInvestment, kPayout, kBalance, kComment, kExtra, kColumns };

const std::array<const char*, kExtra> kHeaders = {"記録番号", "日付", "曜日", "ホール名", "機種",
                                                  "投資", "回収", "収支", "コメント"};

// Without these a line cannot become a machine entry of a dated record. Without
// 記録番号 the lines of one visit are told apart by their date and hall.
bool is_required(int c) { return c == kDate || c == kMachine || c == kInvestment || c == kPayout; }

// Byte limits of the texts a record holds, as the entry dialog keeps them.
constexpr std::size_t kNameBytes = kShortTextMax;  // hall, machine name, extra value
constexpr std::size_t kCommentBytes = 2000;

QString join_line(const std::vector<QString>& cells) {
    QString line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += QLatin1Char(',');
        line += csv_field(cells[i]);
    }
    return line + QStringLiteral("\r\n");
}

// The machine line's balance, payout minus investment, when both are numbers.
QString line_balance(const std::string& investment, const std::string& payout) {
    const auto bet = parse_number(investment);
    const auto pay = parse_number(payout);
    std::int64_t diff = 0;
    if (!bet || !pay || __builtin_sub_overflow(*pay, *bet, &diff)) return QString();
    return QString::number(diff);
}

}  // namespace

namespace {

// Whether the text, after any apostrophes, begins with what a spreadsheet
// reads as the start of a formula.
bool formula_lead(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char('\'')) ++i;
    if (i == text.size()) return false;
    const QChar c = text[i];
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@') ||
           c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// An amount column's text: a number stays a number; anything else (a damaged
// file's text) is a text cell.
QString amount_cell(const QString& text) {
    return parse_number(text.toStdString()) ? text : formula_safe(text);
}

}  // namespace

QString formula_safe(const QString& text) { return formula_lead(text) ? QLatin1Char('\'') + text : text; }

QString formula_unescaped(const QString& cell) {
    return cell.startsWith(QLatin1Char('\'')) && formula_lead(cell) ? cell.mid(1) : cell;
}

QString delimited_field(const QString& text, QChar separator) {
    const bool quote = text.contains(separator) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!quote) return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

namespace {
std::optional<CsvColumnGroup>& registered_columns() {
    static std::optional<CsvColumnGroup> group;
    return group;
}
}  // namespace

void set_csv_columns(std::optional<CsvColumnGroup> group) { registered_columns() = std::move(group); }

const CsvColumnGroup* csv_columns() {
    const auto& group = registered_columns();
    return group ? &*group : nullptr;
}

const CsvColumnGroup* exported_columns(const LedgerImage& image) {
    const CsvColumnGroup* group = csv_columns();
    return group && group->exported && group->cells && group->exported(image) ? group : nullptr;
}

std::size_t exported_column_count(const LedgerImage& image) {
    const CsvColumnGroup* group = exported_columns(image);
    if (!group) return 0;
    return group->exported_count ? std::min(group->exported_count(image), group->names.size()) : group->names.size();
}

std::vector<QString> export_header(const LedgerImage& image) {
    std::vector<QString> header;
    for (const char* h : kHeaders) header.push_back(u(h));
    if (const CsvColumnGroup* more = exported_columns(image)) {
        const auto count = static_cast<std::ptrdiff_t>(exported_column_count(image));
        header.insert(header.end(), more->names.begin(), more->names.begin() + count);
    }
    if (image.extra) header.push_back(from_cp932(image.extra->name));
    return header;
}

std::vector<ExportLine> export_lines(const LedgerImage& image) {
    std::vector<ExportLine> lines;
    lines.reserve(image.records.size());
    const QString weekdays = u("日月火水木金土");
    const int year = year_text_value(image.year);
    const CsvColumnGroup* more = exported_columns(image);
    const std::size_t more_count = exported_column_count(image);
    // The cells of the columns the year writes, as many as its header names.
    const auto more_cells = [&](const LedgerRecord& rec, int machine) {
        std::vector<QString> cells = more->cells(rec, machine);
        cells.resize(more_count);
        return cells;
    };
    for (std::size_t j = 0; j < image.records.size(); ++j) {
        const LedgerRecord& rec = image.records[j];
        ExportLine first;
        first.record = static_cast<int>(j + 1);
        const int month = date_text_month(rec.date);
        const int day = date_text_day(rec.date);
        if (is_valid_date(year, month, day)) {
            first.dated = true;
            first.year = year;
            first.month = month;
            first.day = day;
            first.date = QString::asprintf("%04d-%02d-%02d", year, month, day);
            first.weekday = weekdays.at(day_of_week(year, month, day) - 1);
        } else {
            first.date = from_cp932(rec.date);  // a damaged date is shown as it is stored
        }
        first.hall = from_cp932(rec.hall);
        ExportLine later = first;  // the comment and the extra value stand on the first line only
        first.comment = from_cp932(rec.comment);
        if (image.extra) first.extra = from_cp932(rec.extra);
        const std::vector<MachineEntry> machines = unpack_machine_detail(rec.detail);
        if (machines.empty()) {
            first.balance = from_cp932(rec.balance);
            if (more) first.more = more_cells(rec, -1);
            lines.push_back(std::move(first));
        }
        for (std::size_t i = 0; i < machines.size(); ++i) {
            const MachineEntry& m = machines[i];
            ExportLine line = i == 0 ? first : later;
            line.machine = from_cp932(m.name);
            line.investment = from_cp932(m.investment);
            line.payout = from_cp932(m.payout);
            line.balance = line_balance(m.investment, m.payout);
            if (more) line.more = more_cells(rec, static_cast<int>(i));
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string export_csv(const LedgerImage& image) {
    QString out = join_line(export_header(image));
    for (const ExportLine& l : export_lines(image)) {
        std::vector<QString> cells = {QString::number(l.record), formula_safe(l.date),    l.weekday,
                                      formula_safe(l.hall),      formula_safe(l.machine), amount_cell(l.investment),
                                      amount_cell(l.payout),     amount_cell(l.balance),  formula_safe(l.comment)};
        for (const QString& c : l.more) cells.push_back(amount_cell(c));  // a number (also below 0) stays a number
        if (image.extra) cells.push_back(formula_safe(l.extra));
        out += join_line(cells);
    }
    const QByteArray utf8 = out.toUtf8();
    return std::string("\xEF\xBB\xBF") + std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

LedgerImage ledger_image_of(const DecodedLedger& file) {
    // The records as the main window holds them after loading the same file.
    HeldLedger held = held_ledger(file);
    LedgerImage image;
    image.year = file.year;
    image.extra = file.extra;
    image.records = std::move(held.records);
    image.attributes = std::move(held.attributes);
    return image;
}

bool same_file(const QString& a, const QString& b) {
    // One file under two names, through a symbolic link or a hard link: one device, one inode.
    struct stat sa {}, sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kChunk = 1 << 20;

// Where a piece of about kChunk bytes from at ends, on a character boundary:
// in UTF-8 before a byte that starts a character, in CP932 after a whole
// character counted from at (itself a boundary).
std::size_t piece_end(std::string_view body, std::size_t at, CsvEncoding encoding) {
    if (body.size() - at <= kChunk) return body.size();
    std::size_t end = at;
    if (encoding == CsvEncoding::Cp932) {
        while (end < body.size() && end - at < kChunk) {
            const auto b = static_cast<unsigned char>(body[end]);
            end += (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        }
        return std::min(end, body.size());
    }
    // A character has at most three continuation bytes; more are no UTF-8 anyway.
    end = at + kChunk;
    for (int k = 0; k < 3 && end < body.size() && (static_cast<unsigned char>(body[end]) & 0xC0) == 0x80; ++k) ++end;
    return end;
}

// Whether the bytes read as text of the encoding, checked a piece at a time so
// that a large file is never held as text whole.
bool readable_as(std::string_view body, CsvEncoding encoding) {
    std::size_t at = 0;
    while (at < body.size()) {
        const std::size_t end = piece_end(body, at, encoding);
        const std::string_view piece = body.substr(at, end - at);
        if (encoding == CsvEncoding::Cp932) {
            // CP932 maps no byte sequence to U+FFFD: a replacement character means bytes it cannot read.
            if (from_cp932(piece).contains(QChar(0xFFFD))) return false;
        } else {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            // The decoding runs when its result is taken.
            const QString decoded = utf8.decode(QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size())));
            if (utf8.hasError()) return false;
        }
        at = end;
    }
    return true;
}

}  // namespace

CsvOpened open_csv(std::string_view bytes) {
    CsvOpened out;
    std::string_view body;
    CsvEncoding encoding = CsvEncoding::Utf8;
    if (!csv_encoding(bytes, body, encoding)) {
        out.problem = u("文字コードを判別できません（UTF-8 か Shift_JIS で保存したファイルを選んでください）");
        return out;
    }
    out.lines.emplace(body, encoding);
    if (!out.lines->next(out.head)) out.problem = u("ファイルが空です");
    return out;
}

bool csv_encoding(std::string_view bytes, std::string_view& body, CsvEncoding& encoding) {
    const bool bom = bytes.substr(0, kBom.size()) == kBom;
    body = bom ? bytes.substr(kBom.size()) : bytes;
    encoding = bom ? CsvEncoding::Utf8Bom : CsvEncoding::Utf8;
    if (readable_as(body, encoding)) return true;
    if (bom) return false;  // marked as UTF-8, and it is not
    encoding = CsvEncoding::Cp932;
    return readable_as(body, encoding);
}

CsvLineReader::CsvLineReader(std::string_view body, CsvEncoding encoding) : body_(body), encoding_(encoding) {}

QString CsvLineReader::text(std::string_view field) const {
    if (encoding_ == CsvEncoding::Cp932) return from_cp932(field);
    return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

bool CsvLineReader::next(CsvRow& row) {
    const std::string_view t = body_;
    const std::size_t n = t.size();
    std::size_t& i = at_;
    auto line_end = [&](std::size_t k) { return t[k] == '\r' || t[k] == '\n'; };
    std::string field;
    while (i < n) {
        row = CsvRow{};
        row.number = ++number_;
        bool blank = true;
        std::size_t count = 0;
        while (true) {
            field.clear();
            bool too_long = false;
            const auto keep = [&](std::string_view part) {
                if (field.size() + part.size() > kMaxFieldBytes) too_long = true;
                else field.append(part);
            };
            if (i < n && t[i] == '"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    const std::size_t quote = t.find('"', i);
                    if (quote == std::string_view::npos) {
                        keep(t.substr(i));
                        i = n;
                        break;
                    }
                    keep(t.substr(i, quote - i));
                    i = quote + 1;
                    if (i < n && t[i] == '"') {
                        keep("\"");
                        ++i;
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (!closed) {
                    // The rest of the file is inside the quotes: nothing after it can be read.
                    row.error = u("引用符（\"）が閉じていません");
                } else if (i < n && t[i] != ',' && !line_end(i)) {
                    row.error = u("引用符（\"）で囲んだ値の後に文字があります");
                    while (i < n && !line_end(i)) ++i;
                }
            } else {
                const std::size_t start = i;
                while (i < n && t[i] != ',' && !line_end(i)) ++i;
                keep(t.substr(start, i - start));
            }
            if (too_long && row.error.isEmpty())
                row.error = u("値が") + QString::number(kMaxFieldBytes) + u("バイトを超えます");
            if (!field.empty()) blank = false;
            // Fields past the kept ones are only looked at for a value.
            if (count < kMaxFields) row.fields.push_back(text(field));
            else if (!field.empty() && row.error.isEmpty()) row.error = u("列が") + QString::number(kMaxFields) + u("を超えます");
            ++count;
            if (i < n && t[i] == ',') {
                ++i;
                continue;
            }
            if (i < n && t[i] == '\r') ++i;
            if (i < n && t[i] == '\n') ++i;
            break;
        }
        if (blank && row.error.isEmpty()) continue;
        return true;
    }
    return false;
}

namespace {

// The text with every line break (LF, CR LF or a lone CR) made CR LF.
QString crlf_lines(QString text) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) return text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// A cell's text as the ledger stores it, or the reason it cannot be stored.
QString stored_text(const QString& value, const QString& what, std::size_t max_bytes, bool multi_line,
                    std::string& out) {
    for (QChar c : value) {
        const bool line_break = c == QLatin1Char('\r') || c == QLatin1Char('\n');
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && !(multi_line && line_break))
            return what + (line_break ? u("に改行があります") : u("に制御文字があります"));
    }
    const std::optional<std::string> bytes = to_cp932(value);
    if (!bytes) return what + u("の「") + first_unencodable(value) + u("」は記録できない文字です");
    if (bytes->size() > max_bytes)
        return what + u("が") + QString::number(max_bytes) + u("バイトを超えます（") +
               QString::number(bytes->size()) + u("バイト）");
    out = *bytes;
    return QString();
}

}  // namespace

namespace {

// An amount cell: empty is 0; else a whole number as read_amount reads it, at most INT_MAX.
QString amount(const QString& cell, const QString& what, long long& value) {
    const std::optional<std::int64_t> read = read_amount(cell);
    value = 0;
    if (!read) return what + u("が0以上の整数（半角数字）ではありません");
    if (*read > INT_MAX) return what + u("が大きすぎます（") + QString::number(INT_MAX) + u("まで）");
    value = *read;  // an amount too large is already reported: the record's sums go on without it
    return QString();
}

}  // namespace

bool read_date(const QString& cell, int ledger_year, int& year, int& month, int& day) {
    // Full-width digits and separators as their ASCII forms.
    QString plain = cell.trimmed();
    for (QChar& c : plain) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19)) c = QChar(c.unicode() - 0xFF10 + '0');
        else if (c == QChar(0xFF0F)) c = QLatin1Char('/');
        else if (c == QChar(0xFF0D)) c = QLatin1Char('-');
        else if (c == QChar(0xFF1A)) c = QLatin1Char(':');
        else if (c == QChar(0x3000)) c = QLatin1Char(' ');
    }
    // A date cell holding a time of day as well ("2004/3/15 0:00", "… 12:30:00"): the time is ignored.
    static const QRegularExpression kTime(QStringLiteral("\\s+\\d{1,2}:\\d{2}(:\\d{2})?$"));
    plain.remove(kTime);
    // The figures of the date and the character after each: at most three groups.
    const QStringView t(plain);
    std::array<int, 3> value{}, digits{};
    std::array<QChar, 3> after{};
    int groups = 0;
    for (qsizetype i = 0; i < t.size(); ++groups) {
        if (groups == 3) return false;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')) {
            if (++digits[static_cast<std::size_t>(groups)] > 4) return false;
            value[static_cast<std::size_t>(groups)] = value[static_cast<std::size_t>(groups)] * 10 + (t[i].unicode() - '0');
            ++i;
        }
        if (digits[static_cast<std::size_t>(groups)] == 0) return false;
        if (i < t.size()) after[static_cast<std::size_t>(groups)] = t[i++];
    }
    const QChar nen(0x5E74), tsuki(0x6708), hi(0x65E5);
    const auto short_group = [&](int g) { return digits[static_cast<std::size_t>(g)] <= 2; };
    if (groups == 3 && digits[0] == 4 && short_group(1) && short_group(2)) {
        // "2004-03-15", "2004/3/15", "2004年3月15日".
        const bool dashed = (after[0] == QLatin1Char('-') || after[0] == QLatin1Char('/')) && after[1] == after[0] &&
                            after[2].isNull();
        if (!dashed && !(after[0] == nen && after[1] == tsuki && after[2] == hi)) return false;
        year = value[0];
        month = value[1];
        day = value[2];
        return true;
    }
    if (groups == 2 && short_group(0) && short_group(1)) {
        // "3/15" and "3月15日" in the ledger's year.
        if (!(after[0] == QLatin1Char('/') && after[1].isNull()) && !(after[0] == tsuki && after[1] == hi)) return false;
        year = ledger_year;
        month = value[0];
        day = value[1];
        return true;
    }
    return false;
}

namespace {

// Which field of a line holds each column: each header name takes the first column of
// that name not yet taken, so the order is free; -1 for a column the file lacks.
std::vector<CsvProblem> map_header(const CsvRow& head, const std::vector<QString>& names,
                                   std::vector<int>& col, std::vector<QString>& ignored,
                                   const std::vector<std::pair<int, QString>>& stand_ins) {
    std::vector<CsvProblem> problems;
    col.assign(names.size(), -1);
    if (!head.error.isEmpty()) problems.push_back({head.number, head.error});
    for (std::size_t h = 0; h < head.fields.size(); ++h) {
        const QString name = head.fields[h].trimmed();
        if (name.isEmpty()) continue;  // a column without a name must stay empty
        bool known = false, taken = false;
        for (std::size_t c = 0; c < names.size(); ++c) {
            if (names[c] != name) continue;
            known = true;
            if (col[c] < 0) {
                col[c] = static_cast<int>(h);
                taken = true;
                break;
            }
        }
        // A column the ledger has no place for (台番号, another ledger's extra column) is left out.
        if (!known && std::find(ignored.begin(), ignored.end(), name) == ignored.end()) ignored.push_back(name);
        if (!taken && known) problems.push_back({head.number, u("列「") + name + u("」が2つ以上あります")});
    }
    // A column that another column of the file gives (投資 from 現金投資) is not missing.
    const auto stood_in = [&](int c) {
        for (const auto& [column, name] : stand_ins) {
            if (column != c) continue;
            const auto at = std::find(names.begin(), names.end(), name);
            if (at != names.end() && col[static_cast<std::size_t>(at - names.begin())] >= 0) return true;
        }
        return false;
    };
    for (int c = 0; c < kExtra; ++c)
        if (is_required(c) && col[static_cast<std::size_t>(c)] < 0 && !stood_in(c))
            problems.push_back({head.number, u("列「") + names[static_cast<std::size_t>(c)] + u("」がありません")});
    return problems;
}

// The lines of one record while they are read.
struct PendingRecord {
    std::int64_t number = 0;
    int first_line = 0;
    bool dated = false;  // the first dated line gave month and day
    int month = 0, day = 0;
    QString hall_cell, comment_cell, extra_cell;
    std::string hall, comment, extra;
    std::vector<MachineEntry> machines;
    long long investment = 0, payout = 0;
    bool unnamed = false;  // a line had amounts without a machine name
};

}  // namespace

CsvImport read_csv_import(std::string_view bytes, const CsvImportTarget& target) {
    CsvImport result;
    // Only the first problems by line are kept (the message shows 20); the rest are counted.
    const auto by_line = [](const CsvProblem& a, const CsvProblem& b) { return a.line < b.line; };
    const auto keep_first = [&] {
        std::stable_sort(result.problems.begin(), result.problems.end(), by_line);
        if (result.problems.size() > static_cast<std::size_t>(kMaxListedProblems))
            result.problems.resize(static_cast<std::size_t>(kMaxListedProblems));
    };
    auto problem = [&](int line, const QString& reason) {
        ++result.problem_count;
        result.problems.push_back({line, reason});
        if (result.problems.size() >= 8 * static_cast<std::size_t>(kMaxListedProblems)) keep_first();
    };

    CsvOpened file = open_csv(bytes);
    if (!file.problem.isEmpty()) {
        problem(0, file.problem);
        return result;
    }
    CsvLineReader& reader = *file.lines;
    const CsvRow& head = file.head;

    // Header: the columns found by their names.
    std::vector<QString> names;
    for (const char* h : kHeaders) names.push_back(u(h));
    if (target.has_extra) names.push_back(from_cp932(target.extra_name).trimmed());
    // The added columns sit between コメント and the extra column.
    const CsvColumnGroup* more = csv_columns();
    std::unique_ptr<CsvMoreReader> more_reader = more && more->reader ? more->reader(target) : nullptr;
    if (!more_reader) more = nullptr;
    const std::size_t more_at = kExtra;
    const std::size_t more_count = more ? more->names.size() : 0;
    if (more) names.insert(names.begin() + kExtra, more->names.begin(), more->names.end());
    const std::size_t extra_at = kExtra + more_count;
    std::vector<int> col;
    std::vector<std::pair<int, QString>> stand_ins;
    if (more) {
        for (const QString& n : more->investment_from) stand_ins.emplace_back(kInvestment, n);
        for (const QString& n : more->payout_from) stand_ins.emplace_back(kPayout, n);
    }
    for (const CsvProblem& p : map_header(head, names, col, result.ignored_columns, stand_ins)) problem(p.line, p.reason);
    if (!result.problems.empty()) {
        keep_first();
        return result;
    }

    // Columns with a name, known or not, may hold values.
    std::vector<bool> named(head.fields.size(), false);
    for (std::size_t h = 0; h < head.fields.size(); ++h) named[h] = !head.fields[h].trimmed().isEmpty();

    const int year = year_text_value(target.year);
    const QString extra_name = target.has_extra ? names[extra_at] : QString();
    std::vector<PendingRecord> records;
    std::set<std::int64_t> numbers;
    // A file with more records than the year has room for is refused at the first one too many.
    const int room = std::max(0, kMaxRecordNumber - target.rec_count);
    bool full = false;
    CsvRow row;
    while (!full && reader.next(row)) {
        const int line = row.number;
        if (!row.error.isEmpty()) {
            problem(line, row.error);
            continue;
        }
        // A cell as it was before the export kept it from being read as a formula.
        auto cell = [&](std::size_t c) {
            const int at = col[c];
            return at >= 0 && static_cast<std::size_t>(at) < row.fields.size()
                       ? formula_unescaped(row.fields[static_cast<std::size_t>(at)])
                       : QString();
        };
        for (std::size_t f = 0; f < row.fields.size(); ++f)
            if ((f >= named.size() || !named[f]) && !row.fields[f].isEmpty()) {
                problem(line, u("見出しのない列に値があります"));
                break;
            }

        const QString date_cell = cell(kDate);
        int y = 0, m = 0, d = 0;
        const bool date_read = read_date(date_cell, year, y, m, d);

        // The record the line belongs to: lines of one record follow each other.
        std::optional<std::int64_t> number;
        bool continues = false;
        if (col[kNumber] >= 0) {
            number = parse_number(cell(kNumber).trimmed().toStdString());
            if (!number || *number < 1) {
                problem(line, u("記録番号が1以上の整数ではありません"));
                continue;
            }
            continues = !records.empty() && records.back().number == *number;
        } else {
            // Without record numbers a visit is the lines of one date and hall, nine machines at
            // most; a line that leaves both date and hall empty continues the visit above it.
            const PendingRecord* last = records.empty() ? nullptr : &records.back();
            const bool same_visit = date_read ? last && last->dated && last->month == m && last->day == d &&
                                                    last->hall_cell.trimmed() == cell(kHall).trimmed()
                                              : date_cell.trimmed().isEmpty() && cell(kHall).trimmed().isEmpty();
            continues = last && same_visit && static_cast<int>(last->machines.size()) < kMachinesPerRecord;
            number = continues ? last->number : static_cast<std::int64_t>(records.size()) + 1;
        }
        if (!continues) {
            if (!numbers.insert(*number).second) {
                problem(line, u("記録番号 ") + QString::number(*number) +
                                  u(" の行が続いていません（1つの記録の行は続けて並べてください）"));
                continue;
            }
            if (static_cast<int>(records.size()) == room) {
                problem(line, u("記録が") + QString::number(kMaxRecordNumber) + u("件を超えます（この収支表には今 ") +
                                  QString::number(target.rec_count) + u(" 件あります）"));
                full = true;
                continue;
            }
            PendingRecord fresh;
            fresh.number = *number;
            fresh.first_line = line;
            records.push_back(std::move(fresh));
        }
        PendingRecord& rec = records.back();

        // Date, hall, comment and extra value belong to the record: a later line may leave them empty.
        if (!continues || !date_cell.trimmed().isEmpty()) {
            if (!date_read) {
                problem(line, u("日付が読めません（") + QString::asprintf("%04d", std::clamp(year, 1, 9999)) +
                                  u("-03-15 の形で書いてください）"));
            } else if (y != year) {
                problem(line, u("日付が") + from_cp932(target.year) + u("年ではありません"));
            } else if (!is_valid_date(y, m, d)) {
                problem(line, u("日付 ") + date_cell.trimmed() + u(" はありません"));
            } else if (!rec.dated) {
                rec.dated = true;
                rec.month = m;
                rec.day = d;
            } else if (rec.month != m || rec.day != d) {
                problem(line, u("同じ記録番号の行で日付が違います"));
            }
        }
        struct Shared {
            std::size_t column;
            QString what;
            std::size_t max_bytes;
            bool multi_line;
            QString PendingRecord::*cell;
            std::string PendingRecord::*value;
        };
        std::vector<Shared> shared = {
            {kHall, u("ホール名"), kNameBytes, false, &PendingRecord::hall_cell, &PendingRecord::hall},
            {kComment, u("コメント"), kCommentBytes, true, &PendingRecord::comment_cell, &PendingRecord::comment},
        };
        if (target.has_extra)
            shared.push_back({extra_at, extra_name, kNameBytes, false, &PendingRecord::extra_cell, &PendingRecord::extra});
        for (const Shared& s : shared) {
            QString value = cell(s.column);
            // Line breaks are stored as the entry dialog stores them: CR LF.
            if (s.multi_line) value = crlf_lines(value);
            if (!continues) {
                const QString reason = stored_text(value, s.what, s.max_bytes, s.multi_line, rec.*(s.value));
                if (!reason.isEmpty()) problem(line, reason);
                rec.*(s.cell) = value;
            } else if (!value.isEmpty() && value != rec.*(s.cell)) {
                problem(line, u("同じ記録番号の行で") + s.what + u("が違います"));
            }
        }

        // The machine entry of the line.
        const QString name = cell(kMachine);
        const QString bet_cell = cell(kInvestment), pay_cell = cell(kPayout);
        const bool room_for_machine = static_cast<int>(rec.machines.size()) < kMachinesPerRecord;
        CsvMoreLine added;
        if (more && (name.isEmpty() || room_for_machine)) {
            std::vector<QString> more_cells(more_count);
            for (std::size_t k = 0; k < more_count; ++k) more_cells[k] = cell(more_at + k);
            const int machine = name.isEmpty() ? -1 : static_cast<int>(rec.machines.size());
            added = more_reader->line(line, records.size() - 1, machine, continues, more_cells);
            for (const QString& reason : added.reasons) problem(line, reason);
        }
        if (name.isEmpty()) {
            if (!bet_cell.trimmed().isEmpty() || !pay_cell.trimmed().isEmpty()) {
                problem(line, u("機種名が記入されていません"));
                rec.unnamed = true;
            } else if (!added.reasons.empty()) {
                rec.unnamed = true;  // the added columns told what is wrong with the line
            }
            continue;
        }
        MachineEntry entry;
        QString reason = stored_text(name, u("機種名"), kNameBytes, false, entry.name);
        if (!reason.isEmpty()) problem(line, reason);
        long long bet = 0, pay = 0;
        QString bet_reason = amount(bet_cell, u("投資"), bet);
        QString pay_reason = amount(pay_cell, u("回収"), pay);
        // An amount the added columns give (pieces at the exchange rate) fills an
        // empty cell and must agree with a given one.
        const auto agree = [&](const QString& amount_cell, const std::optional<std::int64_t>& computed,
                               const char* what, long long& value, QString& fault) {
            if (!computed || !fault.isEmpty()) return;
            if (amount_cell.trimmed().isEmpty()) {
                if (*computed > INT_MAX) fault = u(what) + u("が大きすぎます（") + QString::number(INT_MAX) + u("まで）");
                else value = *computed;
            } else if (value != *computed) {
                fault = u(what) + u("が実戦データから計算した額（") + QString::number(*computed) + u("）と合いません");
            }
        };
        agree(bet_cell, added.investment, "投資", bet, bet_reason);
        agree(pay_cell, added.payout, "回収", pay, pay_reason);
        if (!bet_reason.isEmpty()) problem(line, bet_reason);
        if (!pay_reason.isEmpty()) problem(line, pay_reason);
        if (bet_reason.isEmpty() && pay_reason.isEmpty()) {
            // A balance is read as the amounts are, with its sign as sheets write it (-5,000, ▲5,000, (5,000)).
            const QString balance = cell(kBalance);
            const std::optional<std::int64_t> b = read_amount(balance, AmountSign::Allowed);
            if (!balance.trimmed().isEmpty() && (!b || *b != pay - bet)) problem(line, u("収支が 回収 − 投資 と合いません"));
        }
        if (static_cast<int>(rec.machines.size()) >= kMachinesPerRecord) {
            problem(line, u("1つの記録の機種は9つまでです"));
            continue;
        }
        rec.investment += bet;
        rec.payout += pay;
        if (rec.investment > INT_MAX) problem(line, u("記録の投資の合計が") + QString::number(INT_MAX) + u("を超えます"));
        if (rec.payout > INT_MAX) problem(line, u("記録の回収の合計が") + QString::number(INT_MAX) + u("を超えます"));
        // Like the entry dialog, a machine without amounts counts as 0 and 0.
        entry.investment = std::to_string(bet);
        entry.payout = std::to_string(pay);
        rec.machines.push_back(std::move(entry));
    }

    for (const PendingRecord& p : records)
        if (p.machines.empty() && !p.unnamed) problem(p.first_line, u("機種名が記入されていません"));
    if (records.empty() && result.problems.empty()) problem(0, u("読み込む記録がありません"));
    keep_first();
    if (!result.problems.empty()) return result;

    for (const PendingRecord& p : records) {
        const RecordCells cells = build_record(p.machines, p.month, p.day);
        LedgerRecord r;
        r.date = cells.date;
        if (target.has_extra) r.extra = p.extra;
        r.hall = p.hall;
        r.machines = cells.machines;
        r.detail = cells.detail;
        r.totals = cells.totals;
        r.balance = std::to_string(cells.balance);
        r.comment = p.comment;
        result.records.push_back(std::move(r));
    }
    if (more_reader) {
        for (const CsvProblem& p : more_reader->finish(result.records)) problem(p.line, p.reason);
        keep_first();
        if (!result.problems.empty()) result.records.clear();
    }
    return result;
}

QString csv_import_question(const CsvImport& import) {
    QString text;
    if (!import.ignored_columns.empty()) {
        QStringList names(import.ignored_columns.begin(), import.ignored_columns.end());
        text = u("次の列は読み込みません: ") + names.join(QStringLiteral(", ")) + QLatin1Char('\n');
    }
    return text + QString::number(import.records.size()) + u(" 件の記録を追加します。よろしいですか？");
}

QString csv_problems_message(const std::vector<CsvProblem>& problems, std::size_t count) {
    count = std::max(count, problems.size());
    QString out = u("CSVファイルを読み込めません。収支表は変更していません。");
    const std::size_t shown = std::min<std::size_t>(problems.size(), kMaxListedProblems);
    for (std::size_t i = 0; i < shown; ++i) {
        out += QLatin1Char('\n');
        if (problems[i].line > 0) out += QString::number(problems[i].line) + u("行目: ");
        out += problems[i].reason;
    }
    if (count > shown) out += u("\nほか ") + QString::number(count - shown) + u(" 件");
    return out;
}

MergedRecords merge_in_date_order(std::vector<LedgerRecord> existing, const std::vector<LedgerRecord>& added) {
    MergedRecords out;
    out.records = std::move(existing);
    RowDates dates;
    for (const LedgerRecord& r : out.records) dates.emplace_back(date_text_month(r.date), date_text_day(r.date));
    for (const LedgerRecord& r : added) {
        const int month = date_text_month(r.date), day = date_text_day(r.date);
        const int at = last_row_not_later(dates, month, day);  // the new record is row at + 1
        for (int& row : out.added_rows)
            if (row > at) ++row;
        out.records.insert(out.records.begin() + at, r);
        dates.insert(dates.begin() + at, {month, day});
        out.added_rows.push_back(at + 1);
    }
    return out;
}

}  // namespace velmo
