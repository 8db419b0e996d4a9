// The order in which the views are recomputed after the ledger changed.
#include <QTabWidget>
#include <QTimer>

#include "records/tform5.h"
#include "shell/tform1.h"

void TForm1::refresh_after_load() {
    refresh_summaries();
    ledger_changed();
}

void TForm1::refresh_summaries() {
    // recompute_totals has run in the loader; the summaries follow in their order.
    // The weekday pass writes the monthly TOTAL win rate, which the monthly pass clears.
    // The monthly and weekday tables read the same rows, read once for both.
    const std::vector<velmo::SummaryRow> rows = dated_rows();
    compute_monthly(rows);
    compute_weekday(rows);
    compute_hall_summary();
    compute_extra_summary();
    // A machine table on screen is not left showing the old figures.
    update_machine_tab();
}

void TForm1::refresh_summaries_after_change(const std::vector<int>& committed_rows) {
    // After an entry or a delete the per-attribute table follows the four summaries.
    refresh_summaries();
    compute_attribute_summary();
    // The lifetime tables take the open year's new state.
    if (Form5) {
        Form5->update_year_table();
        Form5->update_rankings();
    }
    // A chart on screen is redrawn for the new figures once the change is done.
    if (PageControl1->currentWidget() == TabSheet7) QTimer::singleShot(0, this, [this] { update_graph_tab(); });
    ledger_changed(committed_rows);
}

void TForm1::ledger_changed(const std::vector<int>& committed_rows) {
    if (on_ledger_changed) on_ledger_changed(committed_rows);
}

void TForm1::refresh_after_change(const std::vector<int>& committed_rows) {
    recompute_totals();
    refresh_summaries_after_change(committed_rows);
}
