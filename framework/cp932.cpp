#include "framework/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace velmo {

namespace {

enum class Direction { ToCp932, FromCp932 };

// The descriptor of a direction, opened at its first use and kept for the life
// of the program (it has one thread); every conversion starts it afresh.
iconv_t descriptor(Direction direction) {
    static const iconv_t to_cp932 = iconv_open("CP932", "UTF-8");
    static const iconv_t from_cp932 = iconv_open("UTF-8", "CP932");
    iconv_t cd = direction == Direction::ToCp932 ? to_cp932 : from_cp932;
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

// One conversion through iconv; returns nullopt when a character cannot be
// converted or the input is malformed.
std::optional<std::string> convert(Direction direction, std::string_view in) {
    iconv_t cd = descriptor(direction);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = buf.data();
    size_t dst_left = buf.size();
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    bool ok = r != static_cast<size_t>(-1) && src_left == 0;
    if (ok) {
        size_t r2 = iconv(cd, nullptr, nullptr, &dst, &dst_left);
        ok = r2 != static_cast<size_t>(-1);
    }
    if (!ok) return std::nullopt;
    out.assign(buf.data(), buf.size() - dst_left);
    return out;
}

}  // namespace

bool is_cp932_lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::optional<std::string> to_cp932(const QString& text) {
    if (text.isEmpty()) return std::string();
    // Half-width ASCII is the same byte in CP932.
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        const QByteArray latin1 = text.toLatin1();
        return std::string(latin1.constData(), static_cast<size_t>(latin1.size()));
    }
    QByteArray utf8 = text.toUtf8();
    return convert(Direction::ToCp932, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::string cp932_lossy(const QString& text) {
    if (auto whole = to_cp932(text)) return *whole;
    std::string out;
    for (int i = 0; i < text.size();) {
        int n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        auto part = to_cp932(text.mid(i, n));
        out += part ? *part : std::string("?");
        i += n;
    }
    return out;
}

QString from_cp932(std::string_view bytes) {
    if (bytes.empty()) return QString();
    bool ascii = true;
    for (unsigned char c : bytes) {
        if (c >= 0x80) { ascii = false; break; }
    }
    if (ascii) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (auto whole = convert(Direction::FromCp932, bytes))
        return QString::fromUtf8(whole->data(), static_cast<qsizetype>(whole->size()));
    // Damaged text: decode character by character, replacing what does not decode.
    QString out;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t n = (is_cp932_lead(c) && i + 1 < bytes.size()) ? 2 : 1;
        auto part = convert(Direction::FromCp932, bytes.substr(i, n));
        if (part) out += QString::fromUtf8(part->data(), static_cast<qsizetype>(part->size()));
        else out += QChar(0xFFFD);
        i += n;
    }
    return out;
}

std::string cp932_literal(const char* utf8) {
    return cp932_lossy(QString::fromUtf8(utf8));
}

std::string cp932_literal(const char8_t* utf8) {
    return cp932_lossy(QString::fromUtf8(reinterpret_cast<const char*>(utf8)));
}

std::string_view cp932_prefix(std::string_view text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return text;
    size_t i = 0;
    while (i < text.size()) {
        size_t n = is_cp932_lead(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + n > max_bytes) break;
        i += n;
    }
    return text.substr(0, i);
}

std::string truncate_cp932(std::string_view text, std::size_t max_bytes) {
    return std::string(cp932_prefix(text, max_bytes));
}

QString first_unencodable(const QString& text) {
    if (to_cp932(text)) return QString();
    for (int i = 0; i < text.size();) {
        int n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QString ch = text.mid(i, n);
        if (!to_cp932(ch)) return ch;
        i += n;
    }
    return QString();
}

}  // namespace velmo
