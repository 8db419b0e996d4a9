#pragma once
// The year window's grids seen as a LedgerView, and written through its
// LedgerEditor: the one place that knows both.
#include "ledger/ledger_view.h"

class TForm1;

namespace velmo {

class YearWindowLedger : public LedgerView, public LedgerEditor {
    Q_OBJECT
public:
    // Emits changed() whenever form reports a change of its ledger.
    explicit YearWindowLedger(TForm1& form);

    std::string year_text() const override;
    QString file_name() const override;
    int record_count() const override;
    LedgerRecord record(int row) const override;
    std::optional<ExtraColumnBlock> extra_column() const override;
    std::uint64_t revision() const override;
    std::vector<int> committed_rows() const override { return committed_; }
    bool unsaved() const override;
    bool replace_machines(int row, const std::vector<MachineEntry>& machines,
                          const std::vector<ExtensionField>& extensions) override;
    RecordAmounts amounts(int row) const override;
    MonthBalances month_balances() const override;

private:
    TForm1& form_;
    std::vector<int> committed_;
};

}  // namespace velmo
