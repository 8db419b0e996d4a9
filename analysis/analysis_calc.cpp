#include "analysis/analysis_calc.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>
#include <utility>

namespace velmo::analysis {

namespace {

using Wide = __int128;

constexpr const char* kUndefined = "—";

// ---- Student's t through the regularized incomplete beta function ----

// The continued fraction of I_x(a, b), evaluated by the modified Lentz method;
// it converges quickly for x < (a + 1) / (a + b + 2). y is 1 - x, passed apart
// so that x close to 1 keeps its precision.
double beta_fraction(double a, double b, double x) {
    constexpr double kTiny = 1e-300;
    constexpr double kEpsilon = 1e-15;
    constexpr int kMaxTerms = 1000000;
    const auto guard = [](double v) { return std::fabs(v) < kTiny ? kTiny : v; };
    double c = 1;
    double d = 1 / guard(1 - (a + b) * x / (a + 1));
    double h = d;
    for (int m = 1; m <= kMaxTerms; ++m) {
        const double m2 = 2.0 * m;
        const double even = m * (b - m) * x / ((a - 1 + m2) * (a + m2));
        d = 1 / guard(1 + even * d);
        c = guard(1 + even / c);
        h *= d * c;
        const double odd = -(a + m) * (a + b + m) * x / ((a + m2) * (a + 1 + m2));
        d = 1 / guard(1 + odd * d);
        c = guard(1 + odd / c);
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < kEpsilon) break;
    }
    return h;
}

// I_x(a, b) with y = 1 - x.
double incomplete_beta(double a, double b, double x, double y) {
    if (x <= 0) return 0;
    if (y <= 0) return 1;
    const double front =
        std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log(y));
    if (x < (a + 1) / (a + b + 2)) return front * beta_fraction(a, b, x) / a;
    return 1 - front * beta_fraction(b, a, y) / b;
}

// P(T > t) for t >= 0 and df degrees of freedom: I_{df/(df+t^2)}(df/2, 1/2) / 2.
double t_upper_tail(double t, double df) {
    const double t2 = t * t;
    return 0.5 * incomplete_beta(df / 2, 0.5, df / (df + t2), t2 / (df + t2));
}

// ---- Integer rounding ----

// num / den rounded to the nearest integer, halves away from zero (den != 0).
Wide round_div(Wide num, Wide den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const Wide q = num / den;  // toward zero
    const Wide r = num % den;  // sign of num
    const Wide twice = r < 0 ? -2 * r : 2 * r;
    if (twice >= den) return num < 0 ? q - 1 : q + 1;
    return q;
}

std::int64_t to_int64(Wide v) {
    if (v > std::numeric_limits<std::int64_t>::max()) return std::numeric_limits<std::int64_t>::max();
    if (v < std::numeric_limits<std::int64_t>::min()) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(v);
}

// Floor of v / w for w > 0.
std::int64_t floor_div(std::int64_t v, std::int64_t w) {
    const std::int64_t q = v / w;
    return (v % w != 0 && v < 0) ? q - 1 : q;
}

}  // namespace

double t_quantile_975(int df) {
    const double v = std::max(df, 1);
    constexpr double kTail = 0.025;
    // The normal quantile corrected by the first four terms of the Cornish-Fisher
    // expansion in 1/df: from 200 degrees of freedom on within 3e-12 of the
    // quantile, closer than the tail below is computed.
    constexpr double z = 1.959963984540054;
    const double z2 = z * z;
    const double g1 = (z2 + 1) * z / 4;
    const double g2 = ((5 * z2 + 16) * z2 + 3) * z / 96;
    const double g3 = (((3 * z2 + 19) * z2 + 17) * z2 - 15) * z / 384;
    const double g4 = ((((79 * z2 + 776) * z2 + 1482) * z2 - 1920) * z2 - 945) * z / 92160;
    const double expansion = z + (g1 + (g2 + (g3 + g4 / v) / v) / v) / v;
    if (v >= 200) return expansion;

    // Below that, the quantile of the tail itself: Newton steps on the tail from
    // the expansion, kept inside a bracket that halves whenever a step leaves it.
    double lo = 0;
    double hi = 2;
    while (t_upper_tail(hi, v) > kTail) {
        lo = hi;
        hi *= 2;
    }
    // log of the density's constant: Gamma((v + 1) / 2) / (sqrt(v pi) Gamma(v / 2)).
    const double log_c = std::lgamma((v + 1) / 2) - std::lgamma(v / 2) - 0.5 * std::log(v * std::numbers::pi);
    double t = expansion > lo && expansion < hi ? expansion : (lo + hi) / 2;
    for (int i = 0; i < 200; ++i) {
        const double tail = t_upper_tail(t, v);
        if (tail > kTail) lo = t;
        else hi = t;
        const double density = std::exp(log_c - (v + 1) / 2 * std::log1p(t * t / v));
        double next = t + (tail - kTail) / density;
        if (!(next > lo && next < hi)) next = (lo + hi) / 2;
        if (std::fabs(next - t) <= 1e-14 * t || hi - lo <= 1e-14 * hi) return next;
        t = next;
    }
    return t;
}

std::int64_t visits_needed(int n, double mean, double deviation) {
    const double target = std::fabs(mean);
    const auto decided = [&](std::int64_t m) {
        return t_quantile_975(static_cast<int>(m - 1)) * deviation / std::sqrt(static_cast<double>(m)) < target;
    };
    // The half width of the interval falls as m grows, so the first m that
    // decides is found by bisection between n (not decided) and the cap.
    std::int64_t lo = n;
    std::int64_t hi = static_cast<std::int64_t>(n) + kVisitsNeededMore - 1;
    if (decided(lo)) return 0;
    if (!decided(hi)) return kVisitsNeededMore;
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (decided(mid)) hi = mid;
        else lo = mid;
    }
    return hi - n;
}

Overview compute_overview(std::span<const Visit> visits, int play_days) {
    Overview o;
    o.visits = static_cast<int>(visits.size());
    o.play_days = play_days;
    if (visits.empty()) return o;

    int win_run = 0;
    int loss_run = 0;
    std::int64_t total = 0;
    std::int64_t peak = 0;  // the running total starts at 0 before the first visit
    std::optional<Date> peak_date;
    for (const Visit& v : visits) {
        o.investment += v.investment;
        o.payout += v.payout;
        o.balance += v.balance;
        if (v.balance > 0) {
            ++o.wins;
            win_run += 1;
            loss_run = 0;
            if (!o.largest_win || v.balance > o.largest_win->amount) o.largest_win = Extreme{v.balance, v.date, std::string(v.hall)};
        } else if (v.balance < 0) {
            ++o.losses;
            loss_run += 1;
            win_run = 0;
            if (!o.largest_loss || v.balance < o.largest_loss->amount)
                o.largest_loss = Extreme{v.balance, v.date, std::string(v.hall)};
        } else {
            ++o.draws;
            win_run = loss_run = 0;
        }
        o.longest_win_streak = std::max(o.longest_win_streak, win_run);
        o.longest_loss_streak = std::max(o.longest_loss_streak, loss_run);

        total += v.balance;
        if (total > peak) {
            peak = total;
            peak_date = v.date;
        } else if (peak - total > o.max_drawdown.amount) {
            o.max_drawdown = Drawdown{peak - total, peak_date, v.date};
        }
    }
    o.current_drawdown = peak - total;

    const double n = static_cast<double>(visits.size());
    const double mean = static_cast<double>(o.balance) / n;
    o.mean = mean;

    std::vector<std::int64_t> sorted;
    sorted.reserve(visits.size());
    for (const Visit& v : visits) sorted.push_back(v.balance);
    std::sort(sorted.begin(), sorted.end());
    const std::size_t mid = sorted.size() / 2;
    if (sorted.size() % 2 != 0) o.median = static_cast<double>(sorted[mid]);
    else o.median = static_cast<double>(Wide{sorted[mid - 1]} + sorted[mid]) / 2;

    if (visits.size() < 2) return o;
    double squares = 0;
    for (const Visit& v : visits) {
        const double d = static_cast<double>(v.balance) - mean;
        squares += d * d;
    }
    const double s = std::sqrt(squares / (n - 1));
    o.deviation = s;
    const double half = t_quantile_975(o.visits - 1) * s / std::sqrt(n);
    o.interval = Interval{mean - half, mean + half};
    if (o.interval->lower > 0) o.verdict = Verdict::Plus;
    else if (o.interval->upper < 0) o.verdict = Verdict::Minus;
    else o.verdict = Verdict::Undecided;
    if (o.verdict == Verdict::Undecided && o.balance != 0) o.visits_needed = visits_needed(o.visits, mean, s);
    return o;
}

std::int64_t bin_width(std::int64_t low, std::int64_t high) {
    constexpr std::int64_t kMaxBins = 30;
    constexpr std::int64_t kSteps[] = {1, 2, 5};
    // 5 x 10^18 covers the whole 64-bit range in 5 bins, so the loop ends before
    // a width could overflow.
    for (std::int64_t decade = 1000;; decade *= 10) {
        for (const std::int64_t step : kSteps) {
            const std::int64_t w = decade * step;
            const Wide bins = Wide{floor_div(high, w)} - floor_div(low, w) + 1;
            if (bins <= kMaxBins) return w;
        }
    }
}

Histogram balance_histogram(std::span<const Visit> visits) {
    Histogram h;
    if (visits.empty()) return h;
    const auto [lo, hi] = std::minmax_element(visits.begin(), visits.end(),
                                              [](const Visit& a, const Visit& b) { return a.balance < b.balance; });
    h.width = bin_width(lo->balance, hi->balance);
    const std::int64_t first = floor_div(lo->balance, h.width);
    const std::int64_t last = floor_div(hi->balance, h.width);
    for (std::int64_t k = first; k <= last; ++k) h.bins.push_back(Bin{to_int64(Wide{k} * h.width), 0});
    for (const Visit& v : visits) ++h.bins[static_cast<std::size_t>(floor_div(v.balance, h.width) - first)].count;
    return h;
}

std::vector<std::int64_t> running_totals(std::span<const Visit> visits) {
    std::vector<std::int64_t> totals;
    totals.reserve(visits.size());
    std::int64_t total = 0;
    for (const Visit& v : visits) {
        total += v.balance;
        totals.push_back(total);
    }
    return totals;
}

DrawdownSpan max_drawdown_span(std::span<const std::int64_t> running) {
    // The same walk as compute_overview's, by index.
    DrawdownSpan span;
    std::int64_t peak = 0;
    int peak_index = -1;
    std::int64_t largest = 0;
    for (std::size_t i = 0; i < running.size(); ++i) {
        if (running[i] > peak) {
            peak = running[i];
            peak_index = static_cast<int>(i);
        } else if (peak - running[i] > largest) {
            largest = peak - running[i];
            span = DrawdownSpan{peak_index, static_cast<int>(i)};
        }
    }
    return span;
}

std::optional<std::int64_t> payout_rate_tenths(std::int64_t investment, std::int64_t payout) {
    if (investment == 0) return std::nullopt;
    // In integers, so that 104.25 rounds up instead of falling to a binary 104.2499...
    return to_int64(round_div(Wide{payout} * 1000, investment));
}

std::optional<std::string> payout_rate_text(std::int64_t investment, std::int64_t payout) {
    const std::optional<std::int64_t> tenths = payout_rate_tenths(investment, payout);
    if (!tenths) return std::nullopt;
    return figure_text(OverviewFigure{"", FigureFormat::Rate, tenths});
}

std::int64_t rounded_mean(std::int64_t total, std::int64_t count) { return to_int64(round_div(total, count)); }

OverviewFigures overview_figures(const Overview& o) {
    using F = FigureFormat;
    const auto yen = [](const std::optional<double>& v) -> std::optional<std::int64_t> {
        if (!v) return std::nullopt;
        return std::llround(*v);  // halves away from zero
    };
    const auto amount = [](const std::optional<Extreme>& e) -> std::optional<std::int64_t> {
        if (!e) return std::nullopt;
        return e->amount;
    };
    std::optional<std::int64_t> mean, verdict;
    if (o.visits > 0) mean = rounded_mean(o.balance, o.visits);
    if (o.verdict) verdict = static_cast<std::int64_t>(*o.verdict);
    std::optional<double> lower, upper;
    if (o.interval) {
        lower = o.interval->lower;
        upper = o.interval->upper;
    }
    return {{
        {"来店数", F::Count, o.visits},
        {"遊技日数", F::Count, o.play_days},
        {"投資", F::Yen, o.investment},
        {"回収", F::Yen, o.payout},
        {"収支", F::Yen, o.balance},
        {"回収率", F::Rate, payout_rate_tenths(o.investment, o.payout)},
        {"勝", F::Count, o.wins},
        {"敗", F::Count, o.losses},
        {"分", F::Count, o.draws},
        {"平均", F::Yen, mean},
        {"中央値", F::Yen, yen(o.median)},
        {"標準偏差", F::Yen, yen(o.deviation)},
        {"信頼区間下限", F::Yen, yen(lower)},
        {"信頼区間上限", F::Yen, yen(upper)},
        {"判定", F::Verdict, verdict},
        {"必要来店数", F::Needed, o.visits_needed},
        {"最大勝ち", F::Yen, amount(o.largest_win)},
        {"最大負け", F::Yen, amount(o.largest_loss)},
        {"最長連勝", F::Count, o.longest_win_streak},
        {"最長連敗", F::Count, o.longest_loss_streak},
        {"最大ドローダウン", F::Yen, o.max_drawdown.amount},
        {"現在のドローダウン", F::Yen, o.current_drawdown},
    }};
}

std::string figure_text(const OverviewFigure& f) {
    if (!f.value) return kUndefined;
    const std::int64_t v = *f.value;
    switch (f.format) {
    case FigureFormat::Count:
    case FigureFormat::Yen: return std::to_string(v);
    case FigureFormat::Rate:
    case FigureFormat::Hours: {
        const std::uint64_t size = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        const std::string digits = std::to_string(size / 10) + "." + std::to_string(size % 10);
        return v < 0 ? "-" + digits : digits;
    }
    case FigureFormat::Verdict:
        if (v == static_cast<std::int64_t>(Verdict::Plus)) return "プラス";
        if (v == static_cast<std::int64_t>(Verdict::Minus)) return "マイナス";
        return "未確定";
    case FigureFormat::Needed: return v >= kVisitsNeededMore ? "99999+" : std::to_string(v);
    }
    return kUndefined;
}

std::vector<std::string> overview_lines(const Overview& o) {
    std::vector<std::string> lines;
    lines.reserve(kOverviewFigures);
    for (const OverviewFigure& f : overview_figures(o)) lines.push_back(std::string(f.name) + "\t" + figure_text(f));
    return lines;
}

}  // namespace velmo::analysis
