#pragma once
// The shaded header cell shared by every owner-drawn grid.
#include <QRect>

#include <vector>

class QPainter;

namespace velmo {

// Paints a header cell: a bitmap one pixel wider and taller than rect (so its
// last row and column fall on the grid lines below and right of the cell), each
// pixel row a grey level from the table for the grid's header-row height
// (16..33), and, when the cell does not start at the grid's left edge, the
// (192,192,192) separator line at left - 1 from top down over the grid line below.
void header_shading(QPainter& painter, const QRect& rect, int header_height, bool at_grid_left_edge);

// The grey levels for a header-row height, top pixel row first (height + 1
// entries). Heights outside 16..33 use the nearest table.
const std::vector<int>& header_shading_levels(int header_height);

}  // namespace velmo
