#pragma once
// The open year's ledger as code beyond the year window reads it: its year, its
// records as typed values, its extra column, a revision that moves whenever a
// record changes, and a signal once the windows have taken a change. Nothing here
// writes the ledger; the one implementation reads the year window's grids.
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"

namespace velmo {

class LedgerView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual std::string year_text() const = 0;
    // Path of the ledger's file (it may not exist yet: a new ledger lives in memory).
    virtual QString file_name() const = 0;
    virtual int record_count() const = 0;
    // Record row, 1..record_count(), as the ledger file would hold it.
    virtual LedgerRecord record(int row) const = 0;
    // The extra column's block when the ledger has the column.
    virtual std::optional<ExtraColumnBlock> extra_column() const = 0;
    // Moves whenever a cell of a record changes (a write of the same text does
    // not count); equal revisions mean equal records.
    virtual std::uint64_t revision() const = 0;
    // While changed() is being emitted: the rows of the records the user committed
    // in this change (an entry or correction from the entry dialog, the records of
    // a CSV import); empty for every other change (load, New, deletion, extra column).
    virtual std::vector<int> committed_rows() const = 0;
    // Whether the windows hold changes of the ledger that are not saved.
    virtual bool unsaved() const = 0;

    // Figures of the records as the year window keeps them beside its grids, read
    // once from the cells (and read the same from another year's file): no record
    // need be read again for them.
    struct RecordAmounts {
        int month = 0;  // 1..12; 0 when the date names none
        std::int64_t balance = 0;
        std::int64_t investment = 0;
    };
    // Record row's figures, 1..record_count().
    virtual RecordAmounts amounts(int row) const = 0;
    // The sum of the records' balances by month: element m for month m (1..12);
    // element 0 stays 0 (records whose date names no month are in no sum).
    using MonthBalances = std::array<std::int64_t, 13>;
    virtual MonthBalances month_balances() const = 0;

Q_SIGNALS:
    // Once per user action that changed the ledger (entry, correction, deletion,
    // extra column, CSV import, load, New, Open, drop), after the year window and
    // its summaries show the change.
    void changed();
    // The save question of a changed ledger was settled: saved, or the changes
    // declined. What is on disk is what the user keeps.
    void settled();
};

// The few writes of records that code beyond the year window makes, each one
// change of the ledger as an entry from the entry dialog is: the year window
// and its summaries show it, and LedgerView::changed() tells of it with the
// row in committed_rows().
class LedgerEditor {
public:
    virtual ~LedgerEditor() = default;
    // Replaces record row's machine entries (their amounts are what every table
    // sums) and its extension fields. The record's other fields keep their
    // bytes, and so do its machine fields when the entries are the ones it
    // holds. Nothing changes, and the ledger is not marked changed, when the
    // record would stay as it is. False, with nothing changed, for a row out of
    // range, no machine, or sums beyond the 32-bit amounts.
    virtual bool replace_machines(int row, const std::vector<MachineEntry>& machines,
                                  const std::vector<ExtensionField>& extensions) = 0;
};

// The year, the extra column and every record, as a ledger file holds them (the
// attribute table and the year list's marks are the window's own).
LedgerImage snapshot(const LedgerView& view);

}  // namespace velmo
