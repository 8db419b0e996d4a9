#pragma once
// The monthly budget as a line on a chart: dashed, in the loss colour, at the
// height of the loss the budget allows, labelled "予算" where it touches nothing else.
#include "views/chart_overlay.h"
#include "views/graph_canvas.h"

namespace velmo {
class PlayerSettings;
}

namespace velmo::budget {

// The line from x left to right (exclusive) at y, drawn only when y lies in the
// plot's rows top..bottom - 1; the canvas's pen, font and text colour are kept.
// With label, "予算" goes over the line (else under it) at the leftmost place
// where it touches nothing drawn but the plot's background and grid.
void draw_budget_line(GraphCanvas& canvas, int left, int right, int top, int bottom, int y, bool label = true);

// The line at minus the monthly budget of settings, on both charts, while one is set.
ChartOverlay line_overlay(const PlayerSettings& settings);

}  // namespace velmo::budget
