#pragma once
// The year chart of the graph tab drawn into an image: the static part (frames,
// separators, grid, labels, scales) at once, then the bars and the running-total
// line tick by tick.
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "views/chart_overlay.h"
#include "views/graph_calc.h"
#include "views/graph_canvas.h"

namespace velmo {

// What the chart is drawn from, read from the main window's cells once.
struct YearChartData {
    int h = 0;
    int v = 0;
    int font_step = 0;
    std::array<QString, 12> month_labels;        // column 0 of the monthly table
    std::array<std::string, 12> month_balances;  // column 3, empty after the last month with data
    std::vector<graph::LedgerPoint> rows;        // rows 1..rec_count: date, running total
    int peak_row = 0;                            // last row marked as a new high, 0 none
    std::int64_t peak_total = 0;
    std::int64_t trough_total = 0;
    ChartOverlays overlays;  // drawn on the monthly-balance plot
};

class YearChart {
public:
    YearChart(QImage& image, const YearChartData& data);

    // Fills the image and draws everything that does not grow. False when the
    // ledger is empty and nothing more will be drawn.
    bool draw_static();
    // One tick of the animation; false once the bars and the line are complete
    // or the tick limit is reached.
    bool tick();
    // The dotted continuation of the line after the last tick.
    void finish();
    // draw_static, every tick, finish.
    void draw_all();

    // For the tests.
    const graph::YearScale& monthly() const { return monthly_; }
    const graph::YearScale& total() const { return total_; }
    int zero_y() const { return zero_; }
    int total_zero_y() const { return zero2_; }
    QColor line_colour() const { return line_colour_; }
    int ticks() const { return ticks_; }

private:
    void draw_callout(int x1, int y1, std::int64_t total);
    void draw_overlays(bool finished);

    QImage& image_;
    const YearChartData& data_;
    GraphCanvas canvas_;
    int s_ = 12;
    int lh_ = 0;
    int n_ = 0;  // months with bars: up to the last month with data
    graph::YearScale monthly_;
    graph::YearScale total_;
    int zero_ = 0;
    int zero2_ = 0;
    QColor line_colour_;
    std::array<int, 12> remaining_{};
    std::vector<graph::TotalPoint> points_;
    bool callout_drawn_ = false;
    // Animation state.
    int g_ = 0;
    int ph_ = 0;
    int ticks_ = 0;
    size_t next_point_ = 0;
    bool line_done_ = false;
    int x_ = 0;
    int y_ = 0;
    int y0_ = 0;
    int length_ = 0;
    int dy_ = 0;
    int k_ = 0;
};

}  // namespace velmo
