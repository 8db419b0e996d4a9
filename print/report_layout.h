#pragma once
// The year report's pages: the year list in blocks side by side, the monthly
// table on the last page. Planned in device pixels of the printer (scale 1) or
// of the preview (scale 5: every coordinate divided by 5).
#include <vector>

namespace velmo {

struct PageValues {
    int blocks_per_page = 0;
    int full_rows = 0;   // rows of a full block
    int short_rows = 0;  // rows of a block with the monthly table below it (may be 0 or less)
    int full_bottom = 0;
    int short_bottom = 0;
};

// Page values for a page of width w and height h in pixels of the given scale.
PageValues page_values(int w, int h, int scale);

struct BlockPlan {
    int x0 = 0;
    int first_row = 0;  // index into the ledger rows, from 0
    int rows = 0;
    bool is_short = false;
};

struct PagePlan {
    std::vector<BlockPlan> blocks;
    bool has_table = false;  // the last page: monthly table and year result
    int table_x0 = 0;
};

// The pages of a report of `rows` ledger rows. Empty when the page holds no
// block (too narrow) or no row of a full block (too low).
std::vector<PagePlan> plan_report(int rows, const PageValues& values, int scale);

}  // namespace velmo
