#include "views/palette.h"

#include <array>

namespace velmo::palette {

QColor neutral() { return QColor(255, 252, 249); }
QColor win() { return QColor(224, 240, 255); }
QColor loss() { return QColor(255, 226, 236); }
QColor win_strong() { return QColor(174, 210, 255); }
QColor loss_strong() { return QColor(255, 186, 206); }
QColor empty() { return QColor(255, 255, 255); }
QColor win_ink() { return QColor(0, 0, 255); }
QColor loss_ink() { return QColor(255, 0, 0); }

QColor month_band(int month) {
    static constexpr std::array<std::array<int, 3>, 6> kBands{{
        {255, 255, 220},  // January, July
        {220, 255, 255},  // February, August
        {255, 240, 255},  // March, September
        {255, 230, 230},  // April, October
        {220, 255, 220},  // May, November
        {230, 230, 255},  // June, December
    }};
    int index = (month - 1) % 6;
    if (index < 0) index += 6;
    const auto& c = kBands[static_cast<std::size_t>(index)];
    return QColor(c[0], c[1], c[2]);
}

}  // namespace velmo::palette
