#pragma once
// The recovery copy of an open ledger's unsaved state: the whole year as the
// ledger file would hold it, with the ledger's path and the time it was taken,
// kept in the user's data folder until the ledger is saved or its changes are
// declined. A program ended by a signal, a crash or a power cut leaves it, and
// the next opening of the ledger offers it back.
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ledger/ledger_codec.h"

namespace velmo::recovery {

struct RecoveryCopy {
    QString ledger_path;        // the ledger's full path
    std::int64_t taken_ms = 0;  // when the copy was taken, ms since the epoch (UTC)
    std::string ledger_bytes;   // the ledger file's bytes (CP932 texts)
};

// The copy's bytes: "VELMOREC1\n", then three fields, each an eight-byte
// little-endian length and its bytes: the path (in the file system's encoding),
// the time as decimal digits, the ledger.
std::string encode_copy(const RecoveryCopy& copy);
// nullopt for bytes that are not a whole copy (cut, garbled, another kind).
std::optional<RecoveryCopy> decode_copy(std::string_view bytes);

// The copy's file for a ledger: in folder, named after the ledger's file name
// and a digest of its full path, so that two ledgers never share one.
QString copy_path_for(const QString& folder, const QString& ledger_full_path);
// The name a discarded copy is kept under until the next start.
QString discarded_path(const QString& copy_path);

// How many records of two years differ, wherever they stand: an added or a
// deleted record counts once, and so does a corrected one.
int differing_records(const LedgerImage& a, const LedgerImage& b);

// The year a ledger file's bytes hold, as the window would show it; nullopt for
// bytes that are not a ledger. Damaged bytes give what could be read.
std::optional<LedgerImage> ledger_image_of(std::string_view bytes);

// The question at the opening of a ledger that has a copy.
QString offer_question(const QString& ledger, std::int64_t taken_ms, int differing, const QString& discard_to);

}  // namespace velmo::recovery
