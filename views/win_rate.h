#pragma once
// The win/loss/draw text of the summary tables and the printed reports.
#include <cstdint>
#include <optional>
#include <string>

namespace velmo {

// The rate those texts show: wins * 100 / (wins + losses), truncated; 0 for draws
// only; nullopt without any result, where the text shows no rate.
std::optional<std::int64_t> win_rate_percent(int wins, int losses, int draws);

// "3勝2敗 60％", "3勝2敗1分 60％", "0勝0敗2分 0％", "0勝0敗" as CP932 bytes.
// The rate is wins * 100 / (wins + losses), truncated; draws are not counted in it.
std::string format_win_rate(int wins, int losses, int draws);

}  // namespace velmo
