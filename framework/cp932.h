#pragma once
// CP932 (Shift-JIS with the NEC and IBM extensions) text: conversion to and from
// Qt's QString, and byte limits that never cut a two-byte character in half.
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace velmo {

// True when b starts a two-byte CP932 character.
bool is_cp932_lead(unsigned char b);

// Unicode -> CP932 bytes; nullopt when some character has no CP932 form.
std::optional<std::string> to_cp932(const QString& text);

// Like to_cp932, for texts the program itself owns (literals, names already
// checked); characters without a CP932 form become '?'.
std::string cp932_lossy(const QString& text);

// CP932 bytes -> Unicode. Bytes that do not form a character decode as U+FFFD.
QString from_cp932(std::string_view bytes);

// A UTF-8 literal of the source as a widget text.
inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

// A UTF-8 literal of the source converted to CP932 (done once per call site
// through a static, see the macro below).
std::string cp932_literal(const char* utf8);
std::string cp932_literal(const char8_t* utf8);

// The longest prefix of text of at most max_bytes bytes that does not end in the
// middle of a two-byte character.
std::string truncate_cp932(std::string_view text, std::size_t max_bytes);
// The same prefix, as a view into text.
std::string_view cp932_prefix(std::string_view text, std::size_t max_bytes);

// The first character of text that CP932 cannot hold, or an empty string.
QString first_unencodable(const QString& text);

}  // namespace velmo

// A CP932 std::string for a UTF-8 literal, converted once.
#define SJ(lit) ([]() -> const std::string& { static const std::string s = ::velmo::cp932_literal(lit); return s; }())
