#pragma once
// Keeps the recovery copy of the open ledger current: written on the next turns
// of the event loop after a change that leaves the ledger unsaved (bursts of
// changes coalesced), removed once the save question is settled, and offered
// back when the ledger is opened again.
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <string>

#include "framework/runtime.h"

namespace velmo {
class LedgerView;
}

namespace velmo::recovery {

class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // Copies live in folder (made, mode 0700, when the first is written).
    // Copies discarded at an earlier start are removed now.
    RecoveryKeeper(LedgerView& view, QString folder, QObject* parent);

    // The longest a change waits for its copy.
    static constexpr int kDelayMs = 700;

    // At the opening of ledger: when it has a copy that differs from the file,
    // the user is asked; the copy's ledger bytes when they take it back. A copy
    // not taken back is kept aside until the next start; a damaged one is named.
    std::optional<std::string> offer(const QString& ledger);

    // Writes the copy at once when the ledger is unsaved. The copies written as
    // changes come are left to the system to sync (they follow each other within
    // seconds; a kill or a crash of the program keeps them whole, a power cut
    // may take the last seconds back); the copy made as the program is ended
    // (a signal, the end of the desktop session) is synced.
    void write_now(Durability durability = Durability::Synced);

    QString copy_path(const QString& ledger) const;
    int writes() const { return writes_; }

private:
    void remove_copies();

    LedgerView& view_;
    QString folder_;
    QTimer timer_;
    QString written_for_;  // the copy last written
    int writes_ = 0;
};

// The folder of the user's files (beside velmo.lst), where copies are kept.
QString recovery_folder();

// Ends the program at SIGTERM, SIGHUP and SIGINT, through the event loop: the
// keeper's copy is made current first. Installed once, by the program's main.
void end_cleanly_on_signals(RecoveryKeeper& keeper);

}  // namespace velmo::recovery
