// The details of the selected play record: status bar panels and comment box.
#include <QPlainTextEdit>

#include "ledger/record_fields.h"
#include "framework/cp932.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "shell/tform1.h"

void TForm1::StringGrid1Click() {
    const int r = StringGrid1->row();
    if (r > rec_count || r < 1) {
        Memo1->clear();
        for (int i = 0; i < 3; ++i) StatusBar1->set_panel_text(i, QString());
        return;
    }
    velmo::DayTotals totals = velmo::day_totals_texts(StringGrid5->cell(1, r));
    sel_bet_text = totals.investment;
    sel_payout_text = totals.payout;
    StatusBar1->set_panel_text(0, QStringLiteral("BET: ") + velmo::from_cp932(totals.investment) +
                                      QStringLiteral("  PAYOUT: ") + velmo::from_cp932(totals.payout));
    // The box is laid out again only for another text.
    const QString comment = velmo::from_cp932(StringGrid5->cell(2, r));
    if (Memo1->toPlainText() != comment) Memo1->setPlainText(comment);

    const int m = velmo::date_text_month(StringGrid1->cell(0, r));
    const std::string& month_balance = StringGrid2->cell(3, m);
    StatusBar1->set_panel_text(1, velmo::from_cp932(velmo::month_panel_text(m, month_balance)));

    velmo::LedgerFigures& figures = ledger_figures();
    const auto halls = figures.keys(hall_col);
    const long long total = velmo::key_balance(halls.numbers, figures.rows(), static_cast<std::size_t>(r - 1));
    StatusBar1->set_panel_text(2, velmo::from_cp932(velmo::hall_panel_text(StringGrid1->cell(hall_col, r), total)));
}
