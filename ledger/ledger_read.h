#pragma once
// A ledger file read for the readers that take all of a file or none of it: the
// command-line modes (--export-csv, --export-xlsx, --analyze) and the other
// years of the analysis. They never work on part of a damaged file; the year
// window reads its file itself, keeps what it can of a damaged one and says so.
#include <QString>

#include <string>

#include "ledger/ledger_codec.h"

namespace velmo {

enum class LedgerFault {
    None,
    Unreadable,   // missing, unreadable, not a regular file or too large
    WrongFormat,  // not a ledger
    Damaged,      // a ledger, part of which cannot be read (DecodedLedger::damaged)
};

// Reads and decodes the file at path into out (its fields to receiver).
LedgerFault read_whole_ledger(const QString& path, DecodedLedger& out, LedgerFieldReceiver& receiver);
LedgerFault read_whole_ledger(const QString& path, DecodedLedger& out);
// The same, with the records as the year window holds them (decode_held_ledger).
LedgerFault read_whole_ledger(const QString& path, DecodedLedger& out, HeldLedger& held);

// The message for a refused file, in UTF-8, naming the file as given:
// "vq2004.vqd は壊れています（一部を読み込めません）".
std::string ledger_fault_message(const QString& path, LedgerFault fault);

}  // namespace velmo
