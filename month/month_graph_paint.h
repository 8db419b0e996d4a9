#pragma once
// Drawing of the monthly graph window's chart into its 410 x 255 image.
#include <QImage>

#include <cstdint>
#include <vector>

#include "month/month_graph_calc.h"
#include "views/chart_overlay.h"

namespace velmo {

// The chart's size in chart pixels (the image's at device pixel ratio 1).
inline constexpr int kMonthChartWidth = 410;
inline constexpr int kMonthChartHeight = 255;

struct MonthChart {
    bool has_data = false;  // the monthly table has data for the month
    std::vector<month_graph::PlayDay> days;
    std::int64_t month_balance = 0;   // the month's balance (line colour)
    std::int64_t previous_total = 0;  // running total at the end of the previous month
    ChartOverlays overlays;           // drawn on the plot of the month's balance
};

// Frame, grid and day labels always; scale, bars and line when the month has data.
// The image may be made at a device pixel ratio (chart_image); it is drawn in chart pixels.
void draw_month_chart(QImage& image, const MonthChart& chart);

}  // namespace velmo
