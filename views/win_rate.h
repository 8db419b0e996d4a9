#pragma once
// The win/loss/draw text of the summary tables and the printed reports.
#include <string>

namespace velmo {

// "3勝2敗 60％", "3勝2敗1分 60％", "0勝0敗2分 0％", "0勝0敗" as CP932 bytes.
// The rate is wins * 100 / (wins + losses), truncated; draws are not counted in it.
std::string format_win_rate(int wins, int losses, int draws);

}  // namespace velmo
