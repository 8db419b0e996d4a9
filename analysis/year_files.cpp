#include "analysis/year_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include "analysis/analysis_slice.h"

namespace velmo::analysis {

namespace {

// Takes the fields the analysis reads (date, hall, extra value, machine entries,
// day sums, balance) straight from the file's bytes, each record's field with
// the last text the file gave it, as the year window holds a loaded file.
class RecordReceiver : public LedgerFieldReceiver {
public:
    void head(const DecodedLedger& file) override { has_extra_ = file.extra.has_value(); }
    void field(int record, std::uint8_t tag, std::string_view text) override {
        if (record < 1) return;
        const auto index = static_cast<std::size_t>(record - 1);
        if (records.size() <= index) records.resize(index + 1);
        LedgerRecord& r = records[index];
        switch (tag) {
            case kTagDate: r.date = text; break;
            case kTagHall: r.hall = text; break;
            case kTagExtra:
                if (has_extra_) r.extra = text;
                break;
            case kTagDetail: r.detail = text; break;
            case kTagTotals: r.totals = text; break;
            case kTagBalance: r.balance = text; break;
            default: break;  // the machines text, the comment and the marks are not read
        }
    }
    std::vector<LedgerRecord> records;

private:
    bool has_extra_ = false;
};

}  // namespace

YearFileRead read_year_file(const QString& path) {
    YearFileRead out;
    DecodedLedger decoded;
    RecordReceiver receiver;
    out.fault = read_whole_ledger(path, decoded, receiver);
    if (out.fault != YearFileFault::None) return out;
    out.file.path = path;
    out.file.year = year_of(decoded.year);
    out.file.has_extra = decoded.extra.has_value();
    if (decoded.extra) out.file.extra_name = decoded.extra->name;
    out.file.records = std::move(receiver.records);
    // Records 1 up to the highest number read, those the file skipped empty.
    out.file.records.resize(static_cast<std::size_t>(std::max(decoded.highest_record, 0)));
    return out;
}

int year_of_file_name(const QString& path) {
    static const QRegularExpression pattern(QStringLiteral("^vq([0-9]{4})\\.vqd$"));
    const QRegularExpressionMatch m = pattern.match(QFileInfo(path).fileName());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

std::vector<QString> year_files_in(const QString& folder) {
    std::vector<QString> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("vq*.vqd")}, QDir::Files, QDir::Name))
        if (year_of_file_name(name) != 0) out.push_back(dir.filePath(name));
    return out;
}

}  // namespace velmo::analysis
