#include "recovery/recovery_file.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <iterator>
#include <vector>

namespace velmo::recovery {

namespace {

constexpr std::string_view kMagic = "VELMOREC1\n";

void put_field(std::string& out, std::string_view bytes) {
    std::uint64_t n = bytes.size();
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    out.append(bytes);
}

// The next field of in, or nullopt when fewer bytes remain than it claims.
std::optional<std::string_view> take_field(std::string_view& in) {
    if (in.size() < 8) return std::nullopt;
    std::uint64_t n = 0;
    for (int i = 7; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
    in.remove_prefix(8);
    if (n > in.size()) return std::nullopt;
    const std::string_view field = in.substr(0, static_cast<std::size_t>(n));
    in.remove_prefix(static_cast<std::size_t>(n));
    return field;
}

}  // namespace

std::string encode_copy(const RecoveryCopy& copy) {
    std::string out(kMagic);
    put_field(out, QFile::encodeName(copy.ledger_path).toStdString());
    put_field(out, std::to_string(copy.taken_ms));
    put_field(out, copy.ledger_bytes);
    return out;
}

std::optional<RecoveryCopy> decode_copy(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    bytes.remove_prefix(kMagic.size());
    const auto path = take_field(bytes);
    const auto time = path ? take_field(bytes) : std::nullopt;
    const auto ledger = time ? take_field(bytes) : std::nullopt;
    // A whole copy ends with its third field; a time is 1 to 19 digits.
    if (!ledger || !bytes.empty() || path->empty() || time->empty() || time->size() > 19 ||
        !std::all_of(time->begin(), time->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    RecoveryCopy copy;
    copy.ledger_path = QFile::decodeName(QByteArray(path->data(), static_cast<qsizetype>(path->size())));
    copy.taken_ms = std::stoll(std::string(*time));
    copy.ledger_bytes = std::string(*ledger);
    return copy;
}

QString copy_path_for(const QString& folder, const QString& ledger_full_path) {
    const QByteArray digest =
        QCryptographicHash::hash(QFile::encodeName(ledger_full_path), QCryptographicHash::Sha256).toHex().left(16);
    QString dir = folder;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QFileInfo(ledger_full_path).fileName() + QLatin1Char('-') + QString::fromLatin1(digest) +
           QStringLiteral(".recovery");
}

QString discarded_path(const QString& copy_path) { return copy_path + QStringLiteral(".discarded"); }

namespace {

// A record's texts as one key; the year list's mark is the window's own.
std::vector<std::string> record_keys(const LedgerImage& image) {
    std::vector<std::string> keys;
    keys.reserve(image.records.size());
    for (const LedgerRecord& r : image.records) {
        std::string key;
        for (const std::string* field : {&r.date, &r.extra, &r.hall, &r.machines, &r.detail, &r.totals, &r.balance, &r.comment}) {
            key += std::to_string(field->size());
            key += ':';
            key += *field;
        }
        keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

int differing_records(const LedgerImage& a, const LedgerImage& b) {
    const std::vector<std::string> x = record_keys(a);
    const std::vector<std::string> y = record_keys(b);
    std::vector<std::string> only_x, only_y;
    std::set_difference(x.begin(), x.end(), y.begin(), y.end(), std::back_inserter(only_x));
    std::set_difference(y.begin(), y.end(), x.begin(), x.end(), std::back_inserter(only_y));
    // A record corrected is one record on each side; one added or deleted, on one side.
    return static_cast<int>(std::max(only_x.size(), only_y.size()));
}

std::optional<LedgerImage> ledger_image_of(std::string_view bytes) {
    DecodedLedger file;
    if (decode_ledger(bytes, file) == DecodeResult::WrongFormat) return std::nullopt;
    LedgerImage image;
    image.year = file.year;
    image.extra = file.extra;
    HeldLedger held = held_ledger(std::move(file));
    image.records = std::move(held.records);
    image.attributes = std::move(held.attributes);
    return image;
}

QString offer_question(const QString& ledger, std::int64_t taken_ms, int differing, const QString& discard_to) {
    const QString when =
        QDateTime::fromMSecsSinceEpoch(taken_ms).toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return ledger + QString::fromUtf8(" に保存されていない変更が残っています（") + when +
           QString::fromUtf8(" の時点、保存されたものと違う記録 %1 件）。\n").arg(differing) +
           QString::fromUtf8("保存されていない記録を復元しますか？\n「はい」: 保存されていない記録で開きます（閉じるときに保存を確認します）。\n"
                             "「いいえ」: 保存されたファイルを開きます。残っていた変更は次の起動まで ") +
           discard_to + QString::fromUtf8(" に残します。");
}

}  // namespace velmo::recovery
