#pragma once
// Follows the open ledger for the budget: keeps each month's balance while a
// budget is set, and after the user commits records (the entry dialog, a CSV
// import) tells once when a month crosses the monthly budget and when a record
// puts in more than the per-visit limit. A load, New or a deletion tells nothing.
#include <QObject>
#include <QString>

#include <vector>

#include "budget/budget.h"

namespace velmo {
class LedgerView;
class PlayerSettings;
}

namespace velmo::budget {

// The notices for records just committed, as one text each (empty: none).
struct Notices {
    QString month;  // months that crossed the budget, a line each
    QString visit;  // records over the per-visit limit, a line each
};
// before / after: the months' balances around the commit; committed: the records
// committed, with date_labels their dates as the year list shows them ("3/5").
Notices notices_for(const Budget& budget, const MonthSums& before, const MonthSums& after,
                    const std::vector<RecordFigure>& committed, const std::vector<QString>& date_labels);

class BudgetMonitor : public QObject {
    Q_OBJECT
public:
    // Follows the ledger of view and the budget of settings.
    BudgetMonitor(const LedgerView& view, const PlayerSettings& settings, QObject* parent);

    // Reads the months again (after the budget was set or changed).
    void refresh();
    // Month m's balance as of the last change; 0 while no budget is set.
    std::int64_t month_balance(int month) const;

Q_SIGNALS:
    // After the months were read again.
    void months_changed();

private:
    void ledger_changed();

    const LedgerView& view_;
    const PlayerSettings& settings_;
    MonthSums sums_{};
};

}  // namespace velmo::budget
