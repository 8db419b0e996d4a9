// CP932 text: conversion both ways, characters outside CP932, and byte limits
// that never split a two-byte character.
#include <gtest/gtest.h>

#include "framework/cp932.h"

namespace velmo {
namespace {

TEST(Cp932, ConvertsJapaneseAndTheVendorExtensionsBothWays) {
    const QString text = QString::fromUtf8("ホール①～髙\\");
    auto bytes = to_cp932(text);
    ASSERT_TRUE(bytes.has_value());
    // ホ=83 7A, ー=81 5B, ル=83 8B, ①=87 40 (NEC row 13), ～=81 60, 髙=FB FC (IBM), backslash stays 5C.
    EXPECT_EQ(*bytes, std::string("\x83\x7A\x81\x5B\x83\x8B\x87\x40\x81\x60\xFB\xFC\x5C"));
    EXPECT_EQ(from_cp932(*bytes), text);
    EXPECT_EQ(from_cp932("ABC 123"), QStringLiteral("ABC 123"));
    EXPECT_EQ(from_cp932("\xB1\xB2"), QString::fromUtf8("ｱｲ"));  // half-width katakana
}

TEST(Cp932, ReportsCharactersItCannotHold) {
    const QString text = QString::fromUtf8("海物語😀한");
    EXPECT_FALSE(to_cp932(text).has_value());
    EXPECT_EQ(first_unencodable(text), QString::fromUtf8("😀"));
    EXPECT_EQ(first_unencodable(QString::fromUtf8("海物語")), QString());
    EXPECT_EQ(cp932_lossy(QString::fromUtf8("A😀B")), "A?B");
}

TEST(Cp932, DamagedBytesDecodeWithoutLosingTheRest) {
    // A lone lead byte at the end and an invalid pair in the middle.
    QString s = from_cp932(std::string("A\x85\x40" "B\x83", 5));
    EXPECT_TRUE(s.startsWith(QLatin1Char('A')));
    EXPECT_TRUE(s.contains(QLatin1Char('B')));
    EXPECT_TRUE(s.contains(QChar(0xFFFD)));
}

TEST(Cp932, TruncationKeepsWholeCharacters) {
    const std::string kana = to_cp932(QString::fromUtf8("アイウ")).value();  // 6 bytes
    EXPECT_EQ(truncate_cp932(kana, 6), kana);
    EXPECT_EQ(truncate_cp932(kana, 5), kana.substr(0, 4));
    EXPECT_EQ(truncate_cp932(kana, 1), "");
    const std::string mixed = "a" + kana;  // a, then lead bytes at 1, 3, 5
    EXPECT_EQ(truncate_cp932(mixed, 2), "a");
    EXPECT_EQ(truncate_cp932(mixed, 3), mixed.substr(0, 3));
    // Half-width katakana are single bytes (0xA1..0xDF are not lead bytes).
    EXPECT_EQ(truncate_cp932("\xB1\xB2\xB3", 2), "\xB1\xB2");
}

}  // namespace
}  // namespace velmo
