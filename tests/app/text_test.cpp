#include "app/text.h"

#include <QLocale>

#include <gtest/gtest.h>

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: their trail byte is a backslash. "@" is the
// trail byte of the full-width space 0x81 0x40 and of "ァ" (0x83 0x40).
static const std::string hyo = "\x95\x5C";
static const std::string so = "\x83\x5C";
static const std::string fullSpace = "\x81\x40";
static const std::string smallA = "\x83\x40";

TEST(TextHelpers, StepsOverDoubleByteCharactersWhole)
{
    const std::string s = "a" + hyo + "b";
    EXPECT_EQ(text::nextCharPos(s, 0), 1u);
    EXPECT_EQ(text::nextCharPos(s, 1), 3u);
    EXPECT_EQ(text::nextCharPos(s, 3), 4u);
    // A lead byte at the very end stands alone.
    EXPECT_EQ(text::nextCharPos("a\x95", 1), 2u);
}

TEST(TextHelpers, TrimsHalfAndFullWidthSpacesWithoutSplittingCharacters)
{
    EXPECT_EQ(text::trimSpaces(" " + fullSpace + "abc " + fullSpace), "abc");
    EXPECT_EQ(text::trimSpaces(fullSpace + fullSpace), "");
    // The trail byte of "ァ" is 0x40 and of "表" 0x5C: neither is a space to cut.
    EXPECT_EQ(text::trimSpaces(" " + smallA), smallA);
    EXPECT_EQ(text::trimSpaces(hyo + " "), hyo);
    // 0x81 0x81 0x40: the second byte is a trail byte, so no full-width space ends it.
    EXPECT_EQ(text::trimSpaces("\x81\x81\x40"), "\x81\x81\x40");
    EXPECT_EQ(text::trimSpaces("a " + fullSpace + "b"), "a " + fullSpace + "b");
}

TEST(TextHelpers, LeftRightAndCut)
{
    EXPECT_EQ(text::leftStr("0345", 2), "03");
    EXPECT_EQ(text::rightStr("0345", 2), "45");
    EXPECT_EQ(text::rightStr("5", 2), "5");
    EXPECT_EQ(text::cutToBytes("ab" + hyo, 3), "ab");
    EXPECT_EQ(text::cutToBytes("ab" + hyo, 4), "ab" + hyo);
}

TEST(TextHelpers, AsciiCaseIgnoredButDoubleByteCharactersExact)
{
    EXPECT_TRUE(text::sameTextAscii("midi_fav", "MIDI_FAV"));
    // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: a trail byte is no letter to fold.
    EXPECT_FALSE(text::sameTextAscii("\x83\x41", "\x83\x61"));
    EXPECT_TRUE(text::sameTextAscii("x" + so, "X" + so));
}

TEST(TextHelpers, Cp932RoundTripsAndRefusesWhatItCannotCarry)
{
    const QString christmas = QStringLiteral("クリスマス:sample 表");
    const auto bytes = text::toCp932(christmas);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(text::fromCp932(*bytes), christmas);
    EXPECT_EQ(bytes->substr(bytes->size() - 2), hyo);
    // Microsoft's mapping: the wave dash of CP932 is U+FF5E.
    EXPECT_EQ(text::fromCp932("\x81\x60"), QStringLiteral("\uFF5E"));
    EXPECT_FALSE(text::toCp932(QStringLiteral("emoji \U0001F3B5")).has_value());
    // Broken bytes decode to a replacement character instead of vanishing.
    EXPECT_EQ(text::fromCp932("a\xA0" "b").size(), 3);
}

TEST(TextHelpers, LocaleComparisonIgnoresLetterCaseAndNothingElse)
{
    const auto cp932 = [](const char16_t *text) { return *text::toCp932(QString::fromUtf16(text)); };
    EXPECT_EQ(text::compareText("Jingle", "jINGLE"), 0);
    EXPECT_LT(text::compareText("apple", "Banana"), 0);
    EXPECT_EQ(text::compareText(cp932(u"ＪＡＺＺ"), cp932(u"ｊａｚｚ")), 0);
    // Kana of the other kind, the other width, voicing marks and long vowels are no
    // letter case: the names look different, so they are different names.
    const std::pair<const char16_t *, const char16_t *> different[] = {
        {u"さくら", u"サクラ"}, {u"ｼﾞｬｽﾞ", u"ジャズ"}, {u"ジャズ", u"シャス"},
        {u"Jazz", u"Ｊａｚｚ"}, {u"ﾛｯｸ", u"ロック"}, {u"ポップ", u"ぽっぷ"}, {u"ラーメン", u"ラメン"},
    };
    for (const auto &[a, b] : different) {
        const int forth = text::compareText(cp932(a), cp932(b));
        EXPECT_NE(forth, 0) << QString::fromUtf16(a).toStdString();
        EXPECT_EQ(forth > 0, text::compareText(cp932(b), cp932(a)) < 0);
    }

    const std::vector<std::string> names = {"Sample", cp932(u"クリスマス"), cp932(u"さくら")};
    EXPECT_EQ(text::indexOfText(names, "SAMPLE"), 0);
    EXPECT_EQ(text::indexOfText(names, cp932(u"クリスマス")), 1);
    EXPECT_EQ(text::indexOfText(names, cp932(u"くりすます")), -1);
    EXPECT_EQ(text::indexOfText(names, cp932(u"サクラ")), -1);
    EXPECT_EQ(text::indexOfText(names, cp932(u"さくら")), 2);
    EXPECT_EQ(text::indexOfText(names, "none"), -1);
}

// The Japanese variant of the tests sets LC_ALL: it must reach the collation, or that
// variant quietly tests another locale.
TEST(TextHelpers, TheLocaleThatTheTestsAskForIsInForce)
{
    const QByteArray asked = qgetenv("LC_ALL");
    if (!asked.startsWith("ja_JP"))
        GTEST_SKIP() << "runs in the Japanese variant of the tests";
    EXPECT_EQ(QLocale::system().name(), QStringLiteral("ja_JP"));
}
