#include <gtest/gtest.h>

#include "base/Utf8.h"

namespace saftpt {
namespace {

TEST(Utf8, DecodesAndEncodesEverySequenceLength) {
  const std::string text = "a\u00e7\u20ac\U0001F600";  // a ç € 😀
  size_t pos = 0;
  EXPECT_EQ(NextCodePoint(text, pos), U'a');
  EXPECT_EQ(NextCodePoint(text, pos), U'\u00e7');
  EXPECT_EQ(NextCodePoint(text, pos), U'\u20ac');
  EXPECT_EQ(NextCodePoint(text, pos), U'\U0001F600');
  EXPECT_EQ(pos, text.size());
  std::string back;
  for (char32_t cp : {U'a', U'\u00e7', U'\u20ac', U'\U0001F600'}) AppendUtf8(back, cp);
  EXPECT_EQ(back, text);
}

TEST(Utf8, InvalidBytesBecomeLatin1Characters) {
  struct Case {
    std::string bytes;
    char32_t first;
  };
  const Case cases[] = {
      {"\xe7", 0xE7},              // a latin1 "ç" on its own
      {"\xc3", 0xC3},              // truncated two-byte sequence
      {"\xe2\x82", 0xE2},          // truncated three-byte sequence
      {"\xc0\xaf", 0xC0},          // overlong "/"
      {"\xe0\x80\xaf", 0xE0},      // overlong three-byte form
      {"\xed\xa0\x80", 0xED},      // a surrogate
      {"\xf4\x90\x80\x80", 0xF4},  // past U+10FFFF
      {"\x80", 0x80},              // a lone continuation byte
      {"\xc3(", 0xC3},             // lead byte followed by no continuation
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(NextCodePoint(c.bytes, pos), c.first) << c.bytes;
    EXPECT_EQ(pos, 1u) << "one byte consumed for " << c.bytes;
  }
  EXPECT_EQ(Utf8Length("\xe7\xe3o"), 3u);
}

TEST(Utf8, CountsAndCutsCharactersNotBytes) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("Jo\u00e3o \u20ac"), 6u);
  EXPECT_EQ(Utf8Left("Jo\u00e3o", 3), "Jo\u00e3");
  EXPECT_EQ(Utf8Left("Jo\u00e3o", 0), "");
  EXPECT_EQ(Utf8Left("abc", 60), "abc");
  // A cut never splits a character: 60 characters of 2-byte letters.
  std::string many;
  for (int i = 0; i < 70; ++i) many += "\u00e1";
  EXPECT_EQ(Utf8Left(many, 60).size(), 120u);
}

struct TextAndResult {
  const char* text;
  const char* result;
};

void ExpectTrimmed(std::initializer_list<TextAndResult> rows) {
  for (const TextAndResult& r : rows) EXPECT_EQ(Trim(r.text), r.result) << r.text;
}

void ExpectWithoutSpaces(std::initializer_list<TextAndResult> rows) {
  for (const TextAndResult& r : rows) EXPECT_EQ(RemoveSpaces(r.text), r.result) << r.text;
}

TEST(Utf8, TrimRemovesOnlySpaces) {
  ExpectTrimmed({
      {"  a b  ", "a b"},
      {"   ", ""},
      {"", ""},
      {"\ta\t", "\ta\t"},
      {" x\n", "x\n"},
  });
  ExpectWithoutSpaces({
      {" 123 456 789 ", "123456789"},
      {"1\t2", "1\t2"},
  });
}

TEST(Utf8, ReplaceAll) {
  EXPECT_EQ(ReplaceAll("a&b&&c", "&", "&amp;"), "a&amp;b&amp;&amp;c");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
  EXPECT_EQ(ReplaceAll("xyx", "x", ""), "y");
}

TEST(Utf8, UpperCaseCoversPortugueseAndLatinLetters) {
  EXPECT_EQ(Utf8Upper("avenida da rep\u00fablica, 5\u00ba"), "AVENIDA DA REP\u00daBLICA, 5\u00ba");
  EXPECT_EQ(Utf8Upper("\u00e0\u00e1\u00e2\u00e3\u00e7\u00e9\u00ea\u00ed\u00f3\u00f4\u00f5\u00fa"),
            "\u00c0\u00c1\u00c2\u00c3\u00c7\u00c9\u00ca\u00cd\u00d3\u00d4\u00d5\u00da");
  EXPECT_EQ(Utf8Upper("\u00ff"), "\u0178");
  EXPECT_EQ(Utf8Upper("\u00df"), "\u00df");              // ß has no single upper letter
  EXPECT_EQ(Utf8Upper("\u00f7\u00b5"), "\u00f7\u00b5");  // ÷ and µ stay
  EXPECT_EQ(Utf8Upper("\u0161\u0153\u017e\u0142\u0144"), "\u0160\u0152\u017d\u0141\u0143");
  EXPECT_EQ(Utf8Upper("\u0131"), "I");
  EXPECT_EQ(Utf8Upper("\u0130"), "\u0130");
  EXPECT_EQ(Utf8Upper("\u0160\u20ac1"), "\u0160\u20ac1");  // already upper, signs, digits
  EXPECT_EQ(Utf8Upper("\xe7"), "\u00c7");  // a stray latin1 byte is read as its letter
}

TEST(Utf8, Windows1252Table) {
  EXPECT_EQ(Windows1252Byte(U'A'), 'A');
  EXPECT_EQ(Windows1252Byte(U'\u00e7'), 0xE7);
  EXPECT_EQ(Windows1252Byte(U'\u20ac'), 0x80);
  EXPECT_EQ(Windows1252Byte(U'\u201a'), 0x82);
  EXPECT_EQ(Windows1252Byte(U'\u0178'), 0x9F);
  EXPECT_EQ(Windows1252Byte(U'\u2122'), 0x99);
  EXPECT_EQ(Windows1252Byte(U'\u0100'), -1);
  EXPECT_EQ(Windows1252Byte(U'\U0001F600'), -1);
  EXPECT_EQ(Windows1252Byte(U'\u0080'), -1);  // 0x80 is the euro sign, not U+0080
  EXPECT_EQ(Windows1252CodePoint(0x80), U'\u20ac');
  EXPECT_EQ(Windows1252CodePoint(0x9F), U'\u0178');
  EXPECT_EQ(Windows1252CodePoint(0xA0), U'\u00a0');
  // Every byte survives a round trip, the five undefined ones included.
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(Windows1252Byte(Windows1252CodePoint(static_cast<unsigned char>(b))), b) << b;
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(Windows1252CodePoint(b), static_cast<char32_t>(b));
}

}  // namespace
}  // namespace saftpt
