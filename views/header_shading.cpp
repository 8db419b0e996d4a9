#include "views/header_shading.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>

namespace velmo {

namespace {

constexpr int kFirstHeight = 16;
constexpr int kLastHeight = 33;

// One table per header-row height 16..33: the grey level of each pixel row of
// the cell, top first, ending with the level on the grid line below the cell.
const std::array<std::vector<int>, kLastHeight - kFirstHeight + 1>& tables() {
    static const std::array<std::vector<int>, kLastHeight - kFirstHeight + 1> kTables{{
        {228, 224, 220, 216, 212, 208, 204, 200, 196, 192, 188, 184, 180, 176, 172, 172, 140},
        {232, 228, 224, 220, 216, 212, 208, 204, 200, 196, 192, 188, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 204, 200, 196, 192, 188, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 204, 200, 196, 194, 192, 188, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 204, 200, 198, 196, 194, 192, 188, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 204, 200, 198, 196, 194, 192, 190, 188, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 204, 202, 200, 198, 196, 194, 192, 190, 188, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 214, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 172, 172, 140},
        {236, 232, 228, 224, 220, 216, 214, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 174, 172, 172, 140},
        {236, 232, 228, 224, 220, 218, 216, 214, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 174, 172, 172, 140},
        {236, 232, 228, 224, 220, 218, 216, 214, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 174, 172, 172, 172, 140},
        {236, 232, 228, 224, 220, 218, 216, 214, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 174, 172, 172, 172, 140, 140},
        {236, 232, 228, 224, 220, 218, 216, 214, 212, 210, 208, 206, 204, 202, 200, 198, 196, 194, 192, 190, 188, 186, 184, 182, 180, 178, 176, 174, 172, 172, 172, 140, 140, 232},
    }};
    return kTables;
}

}  // namespace

const std::vector<int>& header_shading_levels(int header_height) {
    const int h = std::clamp(header_height, kFirstHeight, kLastHeight);
    return tables()[static_cast<std::size_t>(h - kFirstHeight)];
}

void header_shading(QPainter& painter, const QRect& rect, int header_height, bool at_grid_left_edge) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    const std::vector<int>& levels = header_shading_levels(header_height);
    QImage bitmap(rect.width() + 1, rect.height() + 1, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        // A cell taller than its table repeats the table's last level.
        const int grey = levels[static_cast<std::size_t>(std::min<int>(y, static_cast<int>(levels.size()) - 1))];
        const QRgb pixel = qRgb(grey, grey, grey);
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        std::fill(line, line + bitmap.width(), pixel);
    }
    painter.drawImage(rect.topLeft(), bitmap);
    if (!at_grid_left_edge) {
        // From the top of the cell down over the grid line below it.
        painter.fillRect(QRect(rect.left() - 1, rect.top(), 1, rect.height() + 1), QColor(192, 192, 192));
    }
}

}  // namespace velmo
