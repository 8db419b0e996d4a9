#pragma once
// Year ledger files read for the analysis, read only: one file, or every
// vqYYYY.vqd of a folder. A damaged file is refused, never half read.
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "ledger/ledger_read.h"

namespace velmo::analysis {

struct YearFile {
    QString path;
    int year = 0;
    bool has_extra = false;
    std::string extra_name;  // CP932 header of the extra column
    // The records as the year window holds them after loading the file
    // (decode_held_ledger), extension fields included.
    std::vector<LedgerRecord> records;
};

// Read with the command-line modes' loader: a damaged file is refused as they refuse it.
using YearFileFault = LedgerFault;

struct YearFileRead {
    YearFileFault fault = YearFileFault::None;
    YearFile file;  // when fault is None
};

YearFileRead read_year_file(const QString& path);

// The vqYYYY.vqd files of a folder (four digits), in the order of their years.
std::vector<QString> year_files_in(const QString& folder);

// The year of a file named vqYYYY.vqd; 0 for any other name.
int year_of_file_name(const QString& path);

}  // namespace velmo::analysis
