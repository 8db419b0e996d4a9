#include "analysis/year_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include "analysis/analysis_slice.h"

namespace velmo::analysis {

YearFileRead read_year_file(const QString& path) {
    YearFileRead out;
    DecodedLedger decoded;
    HeldLedger held;
    out.fault = read_whole_ledger(path, decoded, held);
    if (out.fault != YearFileFault::None) return out;
    out.file.path = path;
    out.file.year = year_text_value(decoded.year);
    out.file.has_extra = decoded.extra.has_value();
    if (decoded.extra) out.file.extra_name = decoded.extra->name;
    out.file.records = std::move(held.records);
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
