#include "budget/budget_monitor.h"

#include <QTimer>

#include <algorithm>

#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "ledger/ledger_model.h"
#include "ledger/ledger_view.h"
#include "ledger/player_settings.h"

namespace velmo::budget {

namespace {

constexpr std::size_t kLinesShown = 20;

QString joined(const std::vector<QString>& lines) {
    QStringList shown;
    for (std::size_t i = 0; i < lines.size() && i < kLinesShown; ++i) shown.append(lines[i]);
    if (lines.size() > kLinesShown)
        shown.append(QStringLiteral("ほか ") + QString::number(lines.size() - kLinesShown) + QStringLiteral(" 件"));
    return shown.join(QLatin1Char('\n'));
}

}  // namespace

Notices notices_for(const Budget& budget, const MonthSums& before, const MonthSums& after,
                    const std::vector<RecordFigure>& committed, const std::vector<QString>& date_labels) {
    Notices out;
    std::vector<int> months;
    for (const RecordFigure& r : committed) months.push_back(r.month);
    std::vector<QString> lines;
    for (int m : newly_over(budget.monthly, before, after, months))
        lines.push_back(month_notice(m, budget.monthly, after[static_cast<std::size_t>(m)]));
    out.month = joined(lines);

    lines.clear();
    if (budget.per_visit > 0) {
        const bool one = committed.size() == 1;
        for (std::size_t i = 0; i < committed.size(); ++i) {
            if (committed[i].investment <= budget.per_visit) continue;
            // Several records at once (an import): each line says which record.
            const QString which = one || i >= date_labels.size() ? QString() : date_labels[i] + QLatin1Char(' ');
            lines.push_back(which + visit_notice(budget.per_visit, committed[i].investment));
        }
    }
    out.visit = joined(lines);
    return out;
}

BudgetMonitor::BudgetMonitor(const LedgerView& view, const PlayerSettings& settings, QObject* parent)
    : QObject(parent), view_(view), settings_(settings) {
    // The ledger is empty until its first load, which changed() reports.
    connect(&view_, &LedgerView::changed, this, &BudgetMonitor::ledger_changed);
    connect(&settings_, &PlayerSettings::changed, this, &BudgetMonitor::refresh);
}

void BudgetMonitor::refresh() {
    sums_ = settings_.get<Budget>().any() ? view_.month_balances() : MonthSums{};
    Q_EMIT months_changed();
}

std::int64_t BudgetMonitor::month_balance(int month) const {
    return month >= 1 && month <= 12 ? sums_[static_cast<std::size_t>(month)] : 0;
}

void BudgetMonitor::ledger_changed() {
    const Budget budget = settings_.get<Budget>();
    if (!budget.any()) return;
    const MonthSums before = sums_;
    // The month sums and the committed records' figures as the windows keep them:
    // no record is read but the committed ones' dates.
    sums_ = view_.month_balances();
    std::vector<RecordFigure> committed;
    std::vector<QString> labels;
    for (int row : view_.committed_rows()) {
        if (row < 1 || row > view_.record_count()) continue;
        const LedgerView::RecordAmounts r = view_.amounts(row);
        committed.push_back({r.month, r.balance, r.investment});
        labels.push_back(from_cp932(view_.record(row).date).trimmed());
    }
    Q_EMIT months_changed();
    if (committed.empty()) return;
    const Notices notices = notices_for(budget, before, sums_, committed, labels);
    // Shown once the action that committed the records is done (the entry dialog closed).
    QTimer::singleShot(0, this, [notices] {
        if (!notices.month.isEmpty()) dialogs().message(notices.month);
        if (!notices.visit.isEmpty()) dialogs().message(notices.visit);
    });
}

}  // namespace velmo::budget
