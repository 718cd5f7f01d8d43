#include "text/Text.h"

#include <gtest/gtest.h>

namespace {

struct CopyCase {
  const char* s;
  long long start, length;
  const char* expected;
};

TEST(Text, CopyClampsLikeTheOriginal) {
  const CopyCase cases[] = {
      {"abcdef", 1, 3, "abc"},   {"abcdef", 0, 2, "ab"}, {"abcdef", -5, 2, "ab"},
      {"abcdef", 4, 100, "def"}, {"abcdef", 7, 1, ""},   {"abcdef", 6, 1, "f"},
      {"abcdef", 2, 0, ""},      {"abcdef", 2, -3, ""},  {"", 1, 1, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(text::Copy(c.s, c.start, c.length), c.expected) << c.s << " " << c.start;
  EXPECT_EQ(text::From("abcdef", 3), "cdef");
  EXPECT_EQ(text::From("abc", 10), "");
}

TEST(Text, PosIsOneBasedAndExact) {
  EXPECT_EQ(text::Pos("b", "abcb"), 2u);
  EXPECT_EQ(text::Pos("B", "abcb"), 0u);
  EXPECT_EQ(text::Pos("", "abc"), 0u);
  EXPECT_TRUE(text::StartsWith("icy-name:x", "icy-name:"));
  EXPECT_FALSE(text::StartsWith("icy-nam", "icy-name:"));
}

TEST(Text, CaseFoldingTouchesOnlyAsciiLetters) {
  // 0xFD is the dotless i and 0xDD the dotted capital I of code page 1254.
  EXPECT_EQ(text::UpperAZ("abc.pls\xFD\xDD"), "ABC.PLS\xFD\xDD");
  EXPECT_EQ(text::LowerAZ("C:\\MUZIK\\LIST.PLS\xDD"), "c:\\muzik\\list.pls\xDD");
}

TEST(Text, TrimmingRules) {
  std::string s = "  name \t  ";
  text::TrimTrailingSpaces(s);
  EXPECT_EQ(s, "  name \t");
  std::string spaces = "   ";
  text::TrimTrailingSpaces(spaces);
  EXPECT_EQ(spaces, "");
  EXPECT_EQ(text::TrimControl("\t\r\n 128 \x01"), "128");
  EXPECT_EQ(text::TrimControl(" \t "), "");
}

TEST(Text, CodePage1254ToUtf8) {
  EXPECT_EQ(text::Cp1254ToUtf8("Kelvo Fm T\xFCrkiye"), "Kelvo Fm T\xC3\xBCrkiye");
  // The six Turkish letters that differ from Latin-1, the euro sign, and an undefined byte.
  EXPECT_EQ(text::Cp1254ToUtf8("\xD0\xDD\xDE\xF0\xFD\xFE"),
            "\xC4\x9E\xC4\xB0\xC5\x9E\xC4\x9F\xC4\xB1\xC5\x9F");
  EXPECT_EQ(text::Cp1254ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(text::Cp1254ToUtf8("\x81"), "\xC2\x81");
}

TEST(Text, DisplayPrefersUtf8OnlyWhenItIsUtf8) {
  const std::string utf8 = "Bar\xC4\xB1\xC5\x9F Man\xC3\xA7o";  // Barış Manço in UTF-8
  EXPECT_EQ(text::DisplayUtf8(utf8), utf8);
  EXPECT_EQ(text::DisplayUtf8("Bar\xFD\xFE"), "Bar\xC4\xB1\xC5\x9F");  // code page 1254
  EXPECT_EQ(text::DisplayUtf8("plain"), "plain");
  // A multi-byte sequence cut by a length limit at the end is dropped.
  EXPECT_EQ(text::DisplayUtf8("\xC3\xA7\xC4"), "\xC3\xA7");
  // Overlong and surrogate encodings are not UTF-8: shown as code page 1254.
  EXPECT_EQ(text::DisplayUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(text::DisplayUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
}

}  // namespace
