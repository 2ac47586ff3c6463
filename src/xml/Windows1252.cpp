// UTF-8 to escaped Windows-1252 text for the audit file.
#include "xml/Windows1252.h"

#include "base/Utf8.h"

namespace saftpt {

namespace {

void AppendReference(std::string& out, char32_t cp) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + cp % 10);
    cp /= 10;
  } while (cp != 0);
  out += "&#";
  while (n > 0) out += digits[--n];
  out += ';';
}

// XML 1.0 allows no other control character, no surrogate and neither
// U+FFFE nor U+FFFF.
bool IsXmlChar(char32_t cp) {
  if (cp < 0x20) return cp == 0x09 || cp == 0x0A || cp == 0x0D;
  if (cp >= 0xD800 && cp <= 0xDFFF) return false;
  return cp != 0xFFFE && cp != 0xFFFF && cp <= 0x10FFFF;
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view utf8, bool attribute) {
  size_t pos = 0;
  const size_t size = utf8.size();
  while (pos < size) {
    // Plain ASCII runs are copied as they are.
    size_t run = pos;
    while (run < size) {
      unsigned char b = static_cast<unsigned char>(utf8[run]);
      if (b < 0x20 || b >= 0x7F || b == '&' || b == '<' || b == '>' || b == '"' || b == '\'') break;
      ++run;
    }
    if (run > pos) {
      out.append(utf8.data() + pos, run - pos);
      pos = run;
      if (pos >= size) break;
    }

    char32_t cp = NextCodePoint(utf8, pos);
    if (!IsXmlChar(cp)) continue;
    switch (cp) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        out += attribute ? "&quot;" : "\"";
        continue;
      case '\'':
        out += attribute ? "&apos;" : "'";
        continue;
      case '\r':
        // A raw carriage return would be lost to end-of-line handling.
        out += "&#13;";
        continue;
      case '\t':
      case '\n':
        // Parsers turn raw tabs and line feeds in attributes into blanks.
        if (attribute) {
          AppendReference(out, cp);
        } else {
          out += static_cast<char>(cp);
        }
        continue;
      default:
        break;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    // The C1 controls have no character of their own in Windows-1252 (five
    // of their bytes are undefined there), so they travel as references.
    int byte = cp >= 0xA0 ? Windows1252Byte(cp) : -1;
    if (byte >= 0) {
      out += static_cast<char>(byte);
    } else {
      AppendReference(out, cp);
    }
  }
}

}  // namespace saftpt
