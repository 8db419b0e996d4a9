#pragma once
// What the two charts let other code draw on their monthly-balance plots: a
// function given the canvas and the plot. The graph tab's chart calls it once
// its scales are drawn, before the bars grow, and again over the finished bars;
// the monthly graph once, after its bars and line, before its zero axis. It
// leaves the canvas's pen, font, text colour and pen position as it found them.
#include <cstdint>
#include <functional>
#include <vector>

#include "views/graph_canvas.h"

namespace velmo {

struct BalancePlot {
    int left = 0, right = 0;  // columns left..right - 1
    int top = 0, bottom = 0;  // rows top..bottom - 1
    // The row of a month's loss of this many yen on the plot's scale (the zero
    // line's row for 0); rows beyond the image are limited to +-2^20.
    std::function<int(std::int64_t loss)> loss_y;
    // False while the bars are still to grow over the plot: what is drawn now may
    // be covered, so labels wait for the call over the finished chart.
    bool finished = true;
};

using ChartOverlay = std::function<void(GraphCanvas& canvas, const BalancePlot& plot)>;
using ChartOverlays = std::vector<ChartOverlay>;

// Each overlay in order.
inline void draw_overlays(const ChartOverlays& overlays, GraphCanvas& canvas, const BalancePlot& plot) {
    for (const ChartOverlay& draw : overlays) draw(canvas, plot);
}

}  // namespace velmo
