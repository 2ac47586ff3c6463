// Hostile inputs to the parsers and formatters that face stored or typed
// data: the fuzzers' seed corpora replayed with the same checks (so that every
// build, sanitized or not, runs them), and the inputs they once tripped on.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Error.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "saft/Addresses.h"
#include "saft/ValueFormat.h"
#include "xml/Windows1252.h"

namespace saftpt {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Corpus(const std::string& target) {
  std::vector<std::string> v;
  fs::path dir = fs::path(SAFTPT_SOURCE_DIR) / "fuzz" / "corpus" / target;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::ifstream in(e.path(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    v.push_back(s.str());
  }
  EXPECT_FALSE(v.empty()) << dir;
  return v;
}

// Element and attribute text of any bytes parse back as XML.
void CheckXmlText(const std::string& text) {
  std::string doc = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><a b=\"";
  AppendXmlText(doc, text, true);
  doc += "\">";
  AppendXmlText(doc, RemoveControlCharacters(text));
  doc += "</a>";
  xmlDocPtr parsed = xmlReadMemory(doc.data(), static_cast<int>(doc.size()), "t.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  EXPECT_NE(parsed, nullptr) << doc;
  if (parsed) xmlFreeDoc(parsed);
}

TEST(HostileText, AnyBytesBecomeWellFormedWindows1252) {
  std::vector<std::string> casos = Corpus("windows1252");
  const char* extras[] = {
      "\xED\xA0\x80",          // an encoded surrogate
      "\xC0\xAF",              // overlong "/"
      "\xF8\x88\x80\x80\x80",  // five-byte form
      "\xF4\x90\x80\x80",      // above U+10FFFF
      "\xEF\xBF\xBE",          // U+FFFE
      "\xF4\x8F\xBF\xBF",      // U+10FFFF
      "\xE2\x82",              // cut in the middle
      "]]>&<\"'\x01\x0B\x1F\x7F\xC2\x80\xC2\x81",
  };
  for (const char* e : extras) casos.push_back(e);
  casos.push_back(std::string("a\0b", 3));
  for (const std::string& c : casos) CheckXmlText(c);
}

TEST(HostileText, PostalCodesAreAlwaysDigitsAndADash) {
  std::vector<std::string> casos = Corpus("postalcode");
  for (const char* e : {"", "-", "----", "1234567890-1234567", "\xff\xfe", "١٢٣٤-٥٦٧",
                        "1000 - 001 Lisboa", "12345678901234567890"})
    casos.push_back(e);
  for (const std::string& c : casos) {
    std::string code = ExtractPostalCode(c);
    EXPECT_FALSE(code.empty()) << c;
    EXPECT_LE(code.size(), 8u) << c;
    for (char ch : code) EXPECT_TRUE(ch == '-' || (ch >= '0' && ch <= '9')) << c << " -> " << code;
  }
}

TEST(HostileText, ScrambledTextsRoundTripOrFailCleanly) {
  std::vector<std::string> casos = Corpus("desencripta");
  for (const char* e :
       {"", "1", "1234567", "12x45678", "99999999", "-0000001", "99999999999999999999999999999999",
        "00000000", " 1234567", "\xff\xff\xff\xff\xff\xff\xff\xff"})
    casos.push_back(e);
  for (const std::string& c : casos) {
    try {
      std::string plain = Unscramble(c);
      EXPECT_EQ(Unscramble(Scramble(plain)), plain) << c;
    } catch (const Error& e) {
      EXPECT_FALSE(e.Description().empty()) << c;
    }
  }
}

// Above 1e10 the 15-significant-digit rounding alone can move a value by
// more than half a cent; below it, two decimals read back within a cent.
TEST(HostileNumbers, TwoDecimalsReadBackBelowTenBillion) {
  std::vector<double> casos = {0.005,           -0.005,        0.015,        2.675,
                               1e-300,          -0.0,          5e-324,       9999999999.995,
                               -9999999999.994, 123456789.125, 4503599627.37};
  for (const std::string& c : Corpus("formatnumber"))
    if (c.size() >= sizeof(double)) {
      double v;
      std::memcpy(&v, c.data(), sizeof v);
      if (std::isfinite(v) && std::fabs(v) < 1e10) casos.push_back(v);
    }
  for (double v : casos) {
    std::string two = FormatNumber(v, 2);
    size_t dot = two.find('.');
    ASSERT_NE(dot, std::string::npos) << v;
    EXPECT_EQ(two.size() - dot, 3u) << two;
    EXPECT_LE(std::fabs(std::stod(two) - v), 0.0051) << v << " -> " << two;
  }
  // Out of range: a clear error, never "inf" or "nan" in a file.
  EXPECT_THROW(FormatNumber(std::nan(""), 2), Error);
  EXPECT_THROW(FormatNumber(HUGE_VAL, 2), Error);
  for (const char* texto : {"", "abc", "1e999", "nan", "--1", "1,5,5"}) {
    try {
      std::string s = FormatNumber(Value(texto), 2);
      EXPECT_EQ(s.find_first_not_of("-0123456789."), std::string::npos) << texto << " -> " << s;
    } catch (const Error&) {
    }
  }
}

class HostileSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() / ("saftpt_hostile_" + std::to_string(getpid()) + ".ini"))
                .string();
  }
  void TearDown() override { fs::remove(path_); }
  std::string path_;
};

TEST_F(HostileSettings, AnyFileReadsAndTakesTheReceiptsSwitch) {
  std::vector<std::string> casos = Corpus("settings");
  std::string junk;
  for (int i = 0; i < 70000; ++i) junk += static_cast<char>((i * 131) & 0xff);
  casos.push_back(junk);
  casos.push_back(std::string(1 << 20, '['));
  casos.push_back(std::string("[bd]\r\nporta=\0\0\0\r\n", 17) + std::string(100000, '=') +
                  "\r\n[bd");
  casos.push_back("\xEF\xBB\xBF[bd]\nsaftrecibos=0\n");
  for (const std::string& c : casos) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << c;
    std::string v;
    for (const char* key : {"servidor", "porta", "basedados", "username", "password"})
      ReadIni(path_, "bd", key, v);
    WriteIni(path_, "bd", "saftrecibos", "1");
    v.clear();
    EXPECT_TRUE(ReadIni(path_, "bd", "saftrecibos", v));
    EXPECT_EQ(v, "1") << c.substr(0, 40);
  }
}

}  // namespace
}  // namespace saftpt
