#include "views/win_rate.h"

#include <cstdint>

#include "framework/cp932.h"

namespace velmo {

std::optional<std::int64_t> win_rate_percent(int wins, int losses, int draws) {
    // 64-bit so that very large counts cannot overflow the product or the sum.
    const std::int64_t decided = static_cast<std::int64_t>(wins) + losses;
    if (decided > 0) return static_cast<std::int64_t>(wins) * 100 / decided;
    if (draws > 0) return 0;
    return std::nullopt;
}

std::string format_win_rate(int wins, int losses, int draws) {
    std::string text = std::to_string(wins) + SJ("勝") + std::to_string(losses) + SJ("敗");
    const std::optional<std::int64_t> percent = win_rate_percent(wins, losses, draws);
    if (!percent) return text;
    if (draws > 0) text += std::to_string(draws) + SJ("分");
    text += ' ';
    text += std::to_string(*percent) + SJ("％");
    return text;
}

}  // namespace velmo
