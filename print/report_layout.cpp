#include "print/report_layout.h"

#include <algorithm>

namespace velmo {

PageValues page_values(int w, int h, int scale) {
    PageValues v;
    v.blocks_per_page = w / (2250 / scale);
    v.full_rows = (h - 420 / scale) / (50 / scale);
    v.short_rows = (h - 1620 / scale) / (50 / scale);
    v.full_bottom = h - 145 / scale;
    v.short_bottom = h - 1340 / scale;
    return v;
}

std::vector<PagePlan> plan_report(int rows, const PageValues& values, int scale) {
    std::vector<PagePlan> pages;
    if (values.blocks_per_page < 1 || values.full_rows < 1) return pages;
    const int block_width = 2250 / scale;
    int printed = 0;
    pages.emplace_back();
    int x0 = 0;
    while (printed < rows) {
        int b = 0;
        bool last_full = false;
        x0 = 0;
        while (b < values.blocks_per_page && printed < rows) {
            const int remaining = rows - printed;
            const bool is_short = remaining <= values.short_rows;
            const int n = std::min(is_short ? values.short_rows : values.full_rows, remaining);
            pages.back().blocks.push_back({x0, printed, n, is_short});
            printed += n;
            ++b;
            if (!is_short) x0 = block_width * b;  // after a short block the table goes below it
            last_full = !is_short;
        }
        if (b == values.blocks_per_page && last_full) {
            pages.emplace_back();
            x0 = 0;
        } else {
            break;
        }
    }
    pages.back().has_table = true;
    pages.back().table_x0 = x0;
    return pages;
}

}  // namespace velmo
