#include "ledger/ledger_read.h"

#include <QFile>

#include <optional>

#include "framework/runtime.h"

namespace velmo {

namespace {

LedgerFault fault_of(const std::optional<std::string>& bytes, DecodedLedger& out, LedgerFieldReceiver* receiver) {
    if (!bytes) return LedgerFault::Unreadable;
    const DecodeResult result = receiver ? decode_ledger(*bytes, out, *receiver) : decode_ledger(*bytes, out);
    if (result == DecodeResult::WrongFormat) return LedgerFault::WrongFormat;
    return out.damaged() ? LedgerFault::Damaged : LedgerFault::None;
}

}  // namespace

LedgerFault read_whole_ledger(const QString& path, DecodedLedger& out, LedgerFieldReceiver& receiver) {
    return fault_of(read_file(path), out, &receiver);
}

LedgerFault read_whole_ledger(const QString& path, DecodedLedger& out) { return fault_of(read_file(path), out, nullptr); }

LedgerFault read_whole_ledger(const QString& path, DecodedLedger& out, HeldLedger& held) {
    const std::optional<std::string> bytes = read_file(path);
    if (!bytes) return LedgerFault::Unreadable;
    if (decode_held_ledger(*bytes, out, held) == DecodeResult::WrongFormat) return LedgerFault::WrongFormat;
    return out.damaged() ? LedgerFault::Damaged : LedgerFault::None;
}

std::string ledger_fault_message(const QString& path, LedgerFault fault) {
    const std::string name = QFile::encodeName(path).toStdString();
    switch (fault) {
        case LedgerFault::None: break;
        case LedgerFault::Unreadable: return name + " を開けません";
        case LedgerFault::WrongFormat: return name + " は収支ファイルではありません（ファイル形式が違います）";
        case LedgerFault::Damaged: return name + " は壊れています（一部を読み込めません）";
    }
    return {};
}

}  // namespace velmo
