#include "month/month_graph_calc.h"

#include <algorithm>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"

namespace velmo::month_graph {

std::vector<PlayDay> play_days(const std::vector<Row>& rows, int month) {
    std::vector<PlayDay> days;
    const int n = static_cast<int>(rows.size());
    for (int i = 0; i < n;) {
        const Row& first = rows[static_cast<size_t>(i)];
        int j = i + 1;
        std::int64_t sum = first.balance;
        while (j < n && rows[static_cast<size_t>(j)].date == first.date) sum += rows[static_cast<size_t>(j++)].balance;
        if (date_text_month(first.date) == month)
            days.push_back(PlayDay{i + 1, j, date_text_day(first.date), sum});
        i = j;
    }
    return days;
}

Extremes scan(const std::vector<PlayDay>& days) {
    std::int64_t a = 0, dmax = 0, dmin = 0, cmax = 0, cmin = 0;
    Extremes e;
    for (const PlayDay& d : days) {
        if (d.balance < 0)
            dmin = std::min(dmin, d.balance);
        else
            dmax = std::max(dmax, d.balance);
        a += d.balance;
        if (a < 0) {
            cmin = std::min(cmin, a);
        } else if (a > cmax) {
            cmax = a;
            e.peak_row = d.last_row;
        }
    }
    e.top = std::max(dmax, cmax);
    e.bottom = std::min(dmin, cmin);
    return e;
}

Scale scale(std::int64_t top, std::int64_t bottom) {
    std::int64_t down = bottom / -2000 + (bottom % 2000 != 0 ? 1 : 0);
    std::int64_t up = top / 2000 + (top % 2000 != 0 ? 1 : 0);
    const std::int64_t e = (up + down) / 22;
    Scale s;
    s.step = 2000 * (e + 1);
    up = (up + e) / (e + 1);
    down = (down + e) / (e + 1);
    s.up = static_cast<int>(up);
    s.down = static_cast<int>(down);
    s.y0 = 10 * s.up + 13;
    if (s.up + s.down == 23) --s.down;
    return s;
}

int hint_day(int x) {
    if (x <= 44 || x >= 355) return 0;
    return (x - 35) / 10;
}

QString caption(int month, const std::string& investment_text, const std::string& balance_text) {
    QString total;
    if (investment_text.empty()) {
        total = QStringLiteral("0");
    } else {
        if (cell_number(balance_text) > 0) total = QStringLiteral("+");
        total += from_cp932(balance_text);
    }
    return QString::fromUtf8("月間収支グラフ   ") + QString::number(month) + QString::fromUtf8("月TOTAL ") + total;
}

QString day_hint(const std::string& date_text, std::int64_t sum) {
    return from_cp932(date_text) + QStringLiteral(" ") + (sum > 0 ? QStringLiteral("+") : QString()) +
           QString::number(sum);
}

}  // namespace velmo::month_graph
