// UTF-8 helpers counted in characters, and the Windows-1252 code table.
#include "base/Utf8.h"

namespace saftpt {

namespace {

// Code points of the bytes 0x80-0x9F; the five bytes Windows-1252 leaves
// undefined keep their own value so that they survive a round trip.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

char32_t UpperCodePoint(char32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 0x20;
  if (cp < 0xE0) return cp;  // ß, µ and the signs stay
  if (cp <= 0xFE) return cp == 0xF7 ? cp : cp - 0x20;
  if (cp == 0xFF) return 0x178;
  if (cp == 0x131) return 'I';  // dotless i
  if (cp == 0x17F) return 'S';  // long s
  // Latin Extended-A: pairs of upper then lower case, with two runs that start
  // on an odd code point.
  if (cp >= 0x100 && cp <= 0x137) return cp == 0x130 ? cp : (cp & ~1u);
  if (cp >= 0x139 && cp <= 0x148) return (cp % 2 == 0) ? cp - 1 : cp;
  if (cp >= 0x14A && cp <= 0x177) return cp & ~1u;
  if (cp >= 0x179 && cp <= 0x17E) return (cp % 2 == 0) ? cp - 1 : cp;
  return cp;
}

}  // namespace

char32_t NextCodePoint(std::string_view text, size_t& pos) {
  unsigned char b0 = static_cast<unsigned char>(text[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  size_t extra;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1;
    cp = b0 & 0x1F;
    min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2;
    cp = b0 & 0x0F;
    min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3;
    cp = b0 & 0x07;
    min = 0x10000;
  } else {
    ++pos;
    return b0;
  }
  if (text.size() - pos <= extra) {  // truncated sequence
    ++pos;
    return b0;
  }
  for (size_t i = 1; i <= extra; ++i) {
    unsigned char b = static_cast<unsigned char>(text[pos + i]);
    if (!IsContinuation(b)) {
      ++pos;
      return b0;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++pos;
    return b0;
  }
  pos += extra + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

size_t Utf8Length(std::string_view text) {
  size_t n = 0;
  for (size_t pos = 0; pos < text.size(); ++n) NextCodePoint(text, pos);
  return n;
}

std::string Utf8Left(std::string_view text, size_t n) {
  size_t pos = 0;
  for (size_t i = 0; i < n && pos < text.size(); ++i) NextCodePoint(text, pos);
  return std::string(text.substr(0, pos));
}

std::string Trim(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;
       pos = hit + from.size()) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(text.substr(pos));
  return out;
}

std::string Utf8Upper(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    // A byte that was not UTF-8 comes out as its Latin-1 letter, in UTF-8.
    AppendUtf8(out, UpperCodePoint(NextCodePoint(text, pos)));
  }
  return out;
}

int Windows1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == cp) return 0x80 + i;
  return -1;
}

char32_t Windows1252CodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

}  // namespace saftpt
