#pragma once
// The arithmetic of the window's enlargement steps.

namespace velmo {

// The font step for a height step 0..15: the integer part of 2V/3.
int font_step_for(int vsize_level);

// The year list's height when its splitter is dropped at drop_top, for rows of
// row_height pixels: whole rows only, at most the header and 13 data rows.
int snapped_list_height(int row_height, int drop_top);

}  // namespace velmo
