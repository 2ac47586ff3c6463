#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>

#include "xml/Windows1252.h"

namespace saftpt {
namespace {

std::string Text(std::string_view utf8) {
  std::string out;
  AppendXmlText(out, utf8);
  return out;
}

std::string Attribute(std::string_view utf8) {
  std::string out;
  AppendXmlText(out, utf8, true);
  return out;
}

// Reads the encoded text back through a real parser, as UTF-8.
struct Parsed {
  bool ok = false;
  std::string text;
  std::string attribute;
};

Parsed ParseBack(std::string_view utf8) {
  std::string doc = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><a b=\"";
  AppendXmlText(doc, utf8, true);
  doc += "\">";
  AppendXmlText(doc, utf8);
  doc += "</a>";
  Parsed result;
  xmlDocPtr parsed = xmlReadMemory(doc.data(), static_cast<int>(doc.size()), "t.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!parsed) return result;
  xmlNodePtr root = xmlDocGetRootElement(parsed);
  xmlChar* content = xmlNodeGetContent(root);
  xmlChar* attribute = xmlGetProp(root, reinterpret_cast<const xmlChar*>("b"));
  result.ok = true;
  result.text = reinterpret_cast<const char*>(content);
  result.attribute = reinterpret_cast<const char*>(attribute);
  xmlFree(content);
  xmlFree(attribute);
  xmlFreeDoc(parsed);
  return result;
}

TEST(Windows1252, EscapesMarkupInTextAndQuotesOnlyInAttributes) {
  EXPECT_EQ(Text("a & b < c > d"), "a &amp; b &lt; c &gt; d");
  EXPECT_EQ(Text("\"aspas\" e 'plicas'"), "\"aspas\" e 'plicas'");
  EXPECT_EQ(Attribute("\"x\" & 'y' <z>"), "&quot;x&quot; &amp; &apos;y&apos; &lt;z&gt;");
  EXPECT_EQ(Text("&amp;"), "&amp;amp;");  // an entity in the data is data
  std::string out = "<a>";
  AppendXmlText(out, "1 & 2");
  EXPECT_EQ(out, "<a>1 &amp; 2");
}

TEST(Windows1252, WritesTheCodePageByteOrAReference) {
  EXPECT_EQ(Text("\u00e9"), "\xe9");                      // é
  EXPECT_EQ(Text("\u00c7\u00e3o"), "\xc7\xe3o");          // Ção
  EXPECT_EQ(Text("\u20ac"), "\x80");                      // €
  EXPECT_EQ(Text("\u0160\u017e\u0178"), "\x8a\x9e\x9f");  // Š ž Ÿ
  EXPECT_EQ(Text("\u201cok\u201d"), "\x93ok\x94");        // curly quotes
  EXPECT_EQ(Text("\u00a0\u00ff"), "\xa0\xff");
  EXPECT_EQ(Text("\u0142"), "&#322;");         // ł
  EXPECT_EQ(Text("\U0001F600"), "&#128512;");  // emoji
  EXPECT_EQ(Text("\u4e2d"), "&#20013;");
  EXPECT_EQ(Text("\ufffd"), "&#65533;");
}

TEST(Windows1252, DropsWhatXmlCannotCarry) {
  EXPECT_EQ(Text(std::string("a\0b", 3)), "ab");
  EXPECT_EQ(Text("a\x01\x08\x0b\x0c\x1f"
                 "b"),
            "ab");
  EXPECT_EQ(Text("a\xef\xbf\xbe\xef\xbf\xbf"
                 "b"),
            "ab");                  // U+FFFE, U+FFFF
  EXPECT_EQ(Text("\x7f"), "\x7f");  // DEL is allowed
}

TEST(Windows1252, KeepsLineBreaksAndTabsReadable) {
  EXPECT_EQ(Text("a\tb\nc"), "a\tb\nc");
  EXPECT_EQ(Text("a\r\nb"), "a&#13;\nb");
  EXPECT_EQ(Attribute("a\tb\nc\rd"), "a&#9;b&#10;c&#13;d");
}

TEST(Windows1252, InvalidUtf8IsTakenAsLatin1) {
  EXPECT_EQ(Text("caf\xe9"), "caf\xe9");  // a latin1 é on its own
  EXPECT_EQ(Text("x\xc3"), "x\xc3");      // truncated sequence
  // C1 controls have no Windows-1252 byte of their own.
  EXPECT_EQ(Text("\x80"), "&#128;");
  EXPECT_EQ(Text("\u0085"), "&#133;");
  EXPECT_EQ(Text("\xed\xa0\x80"), "\xed\xa0&#128;");  // an encoded surrogate
}

TEST(Windows1252, AParserReadsBackTheOriginalText) {
  const std::string samples[] = {
      "Jos\u00e9 Concei\u00e7\u00e3o & Filhos, Lda.",
      "<script>alert('x')</script> \"q\"",
      "\u20ac 1.234,56 \u2013 \u201cpre\u00e7o\u201d \u2026",
      "\u0141\u00f3d\u017a \U0001F600 \u4e2d\u6587",
      "linha 1\nlinha 2\ttab",
      "]]> --> <!-- &#38; &lt;",
  };
  for (const std::string& s : samples) {
    Parsed p = ParseBack(s);
    ASSERT_TRUE(p.ok) << s;
    EXPECT_EQ(p.text, s);
    EXPECT_EQ(p.attribute, s);
  }
}

TEST(Windows1252, AParserAcceptsAnyBytes) {
  // Every byte value, alone and in pairs, gives well-formed XML.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; b += 7) {
      std::string s;
      s += static_cast<char>(a);
      s += static_cast<char>(b);
      ASSERT_TRUE(ParseBack(s).ok) << a << " " << b;
    }
  }
  Parsed cr = ParseBack("a\r\nb");
  ASSERT_TRUE(cr.ok);
  EXPECT_EQ(cr.text, "a\r\nb");
  EXPECT_EQ(cr.attribute, "a\r\nb");
}

}  // namespace
}  // namespace saftpt
