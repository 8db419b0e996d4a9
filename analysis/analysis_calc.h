#pragma once
// Arithmetic of the analysis: is the player really ahead over a slice of the
// year's visits? Sums, win counts, the balance per visit with its spread and a
// 95% confidence interval of its mean, streaks, drawdowns, histogram bins and
// the running total. Plain values only: no widget, no Qt, so the window that
// shows these figures and the command line share one computation.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/amount_text.h"

namespace velmo::analysis {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// One visit to a hall. Amounts are the ledger's figures (each within 32 bits),
// so sums over any slice of visits fit 64 bits.
struct Visit {
    Date date;
    std::string_view hall;         // as the ledger holds it; the text outlives the visit
    std::int64_t balance = 0;      // payout - investment
    std::int64_t investment = 0;
    std::int64_t payout = 0;
};

// ---- Student's t ----

// The 0.975 quantile of Student's t distribution with df degrees of freedom
// (df >= 1; a smaller df is taken as 1): the t with P(T <= t) = 0.975, found by
// bisection on the distribution function, which is computed through the
// regularized incomplete beta function.
double t_quantile_975(int df);

// ---- Overview ----

enum class Verdict {
    Plus,       // the whole confidence interval lies above 0
    Minus,      // the whole confidence interval lies below 0
    Undecided,  // the interval holds 0
};

// The visits needed reach this figure when even this many more visits would
// not decide; the window shows it as "99999+".
inline constexpr std::int64_t kVisitsNeededMore = 100000;

struct Interval {
    double lower = 0;
    double upper = 0;
};

// A visit with the largest win or the largest loss.
struct Extreme {
    std::int64_t amount = 0;
    Date date;
    std::string hall;
};

// The largest fall of the running total (0 before the first visit) below an
// earlier peak.
struct Drawdown {
    std::int64_t amount = 0;     // 0 when the total never fell
    std::optional<Date> peak;    // visit that first reached the peak; none when the peak is the start
    std::optional<Date> trough;  // visit at the bottom of the fall; none when amount is 0
};

struct Overview {
    int visits = 0;     // 来店数
    int play_days = 0;  // 遊技日数, counted by the caller
    std::int64_t investment = 0;
    std::int64_t payout = 0;
    std::int64_t balance = 0;
    int wins = 0;    // balance > 0
    int losses = 0;  // balance < 0
    int draws = 0;   // balance == 0
    // Of the balance per visit.
    std::optional<double> mean;    // from 1 visit
    std::optional<double> median;  // mean of the middle two for an even count
    std::optional<double> deviation;  // sample standard deviation (n - 1), from 2 visits
    std::optional<Interval> interval;  // mean +- t(0.975, n - 1) s / sqrt(n), from 2 visits
    std::optional<Verdict> verdict;    // from 2 visits
    // Undecided with a mean other than 0: further visits after which an
    // interval of the same mean and deviation would no longer hold 0;
    // kVisitsNeededMore when that takes more than 99,999.
    std::optional<std::int64_t> visits_needed;
    std::optional<Extreme> largest_win;
    std::optional<Extreme> largest_loss;  // amount negative
    int longest_win_streak = 0;   // a draw ends both streaks
    int longest_loss_streak = 0;
    Drawdown max_drawdown;
    std::int64_t current_drawdown = 0;  // highest running total (at least 0) - final total
};

// The overview of visits in date order; play_days is taken as given.
Overview compute_overview(std::span<const Visit> visits, int play_days);

// Smallest m >= n with t(0.975, m - 1) * deviation / sqrt(m) < |mean|, less n;
// kVisitsNeededMore when no m up to n + 99,999 qualifies. Needs n >= 2 and a
// mean other than 0.
std::int64_t visits_needed(int n, double mean, double deviation);

// ---- Histogram and running total ----

// Bins [lower, lower + width) with lower a multiple of width, from the bin of
// the smallest balance to the bin of the largest.
struct Bin {
    std::int64_t lower = 0;
    int count = 0;
};
struct Histogram {
    std::int64_t width = 1000;
    std::vector<Bin> bins;  // empty without visits
};

// The round bin width for balances from low to high (low <= high): the smallest of
// 1,000, 2,000, 5,000, 10,000, 20,000, 50,000, ... that needs at most 30 bins,
// which for a wider span also gives at least 10. A span that 1,000 covers in
// fewer than 10 bins keeps 1,000: finer bins would not be round sums of yen.
std::int64_t bin_width(std::int64_t low, std::int64_t high);

Histogram balance_histogram(std::span<const Visit> visits);

// The running total of the balance after each visit, in the visits' order.
std::vector<std::int64_t> running_totals(std::span<const Visit> visits);

// Where the maximum drawdown lies in running totals (as running_totals gives
// them): the index of the visit that reached the peak (-1: the start, before the
// first visit) and of the trough; both -1 when the total never fell.
struct DrawdownSpan {
    int peak = -1;
    int trough = -1;
};
DrawdownSpan max_drawdown_span(std::span<const std::int64_t> running);

// ---- Text ----

// The overview's figures, in the order --analyze prints them; the window shows
// the same figures (with units, separators and details of its own).
enum class FigureId {
    Visits, PlayDays, Investment, Payout, Balance, Rate, Wins, Losses, Draws, Mean, Median, Deviation,
    IntervalLower, IntervalUpper, Verdict, VisitsNeeded, LargestWin, LargestLoss, WinStreak, LossStreak,
    MaxDrawdown, CurrentDrawdown,
};
inline constexpr std::size_t kOverviewFigures = static_cast<std::size_t>(FigureId::CurrentDrawdown) + 1;

// How a figure's value is written.
enum class FigureFormat {
    Count,    // a whole number
    Yen,      // yen, already rounded to the yen (halves away from zero)
    Rate,     // tenths of a percent, written with one decimal
    Hours,    // tenths of an hour, written with one decimal
    Verdict,  // a Verdict: プラス, マイナス, 未確定
    Needed,   // further visits; kVisitsNeededMore reads "99999+"
};

struct OverviewFigure {
    const char* name = "";  // UTF-8, as --analyze prints it
    FigureFormat format = FigureFormat::Count;
    std::optional<std::int64_t> value;  // none: not defined
};
using OverviewFigures = std::array<OverviewFigure, kOverviewFigures>;

// The one table of the overview's figures: name, value, format.
OverviewFigures overview_figures(const Overview& overview);
inline const OverviewFigure& figure(const OverviewFigures& figures, FigureId id) {
    return figures[static_cast<std::size_t>(id)];
}
// A figure's plain value as --analyze prints it: "12345", "-500", "104.2", "プラス", "—".
std::string figure_text(const OverviewFigure& figure);

// The overview as lines "name<TAB>value" in UTF-8, in a fixed order: 来店数,
// 遊技日数, 投資, 回収, 収支, 回収率, 勝, 敗, 分, 平均, 中央値, 標準偏差,
// 信頼区間下限, 信頼区間上限, 判定, 必要来店数, 最大勝ち, 最大負け, 最長連勝,
// 最長連敗, 最大ドローダウン, 現在のドローダウン. A figure that is not defined
// reads "—". Mean, median, deviation and interval are rounded to the yen,
// halves away from zero; 回収率 to one decimal the same way, without "%".
std::vector<std::string> overview_lines(const Overview& overview);

// payout / investment x 1000 rounded to a whole number, halves away from zero:
// the rate in tenths of a percent (1042 for 104.2%); none when investment is 0.
std::optional<std::int64_t> payout_rate_tenths(std::int64_t investment, std::int64_t payout);
// That rate as text with one decimal, from the integers themselves ("104.2"),
// whatever the locale; none when investment is 0.
std::optional<std::string> payout_rate_text(std::int64_t investment, std::int64_t payout);

// total / count rounded to the yen, halves away from zero (count > 0).
std::int64_t rounded_mean(std::int64_t total, std::int64_t count);

// Yen with thousands separators, the program's one writer of them.
using velmo::yen_text;

}  // namespace velmo::analysis
