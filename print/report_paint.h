#pragma once
// Drawing one page of the year report, on paper (scale 1) or in the preview
// (scale 5), from the texts of the ledger and the monthly table.
#include <QString>

#include <array>
#include <vector>

#include "print/report_layout.h"

class QPainter;

namespace velmo {

struct ReportRow {
    QString weekday;  // one letter, or empty for a date the year lacks
    QString date, hall, machines, balance, total;
    int month = 0;
};

struct ReportData {
    QString year;
    std::vector<ReportRow> rows;
    std::array<std::array<QString, 5>, 13> monthly;  // the monthly table's columns 1..5, rows 1..13
    long long year_total = 0;
};

// "年間収支プラス125000", "年間収支マイナス3500", "年間収支±0".
QString year_result_text(long long year_total);

// Draws page `page` of a report on a page of w x h pixels (at the given scale).
void draw_report_page(QPainter& p, const ReportData& data, const PagePlan& page, const PageValues& values,
                      int scale, int w, int h);

}  // namespace velmo
