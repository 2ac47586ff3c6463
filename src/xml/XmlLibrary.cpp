// libxml2's set-up, with the program's own Windows-1252 decoder.
#include "xml/XmlLibrary.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "base/Utf8.h"

namespace saftpt {

namespace {

// The UTF-8 bytes of each Windows-1252 byte from 0x80 on (two or three).
struct Utf8OfHighByte {
  unsigned char size = 0;
  unsigned char bytes[3] = {};
};

const std::array<Utf8OfHighByte, 128>& HighBytes() {
  static const std::array<Utf8OfHighByte, 128> kTable = [] {
    std::array<Utf8OfHighByte, 128> t;
    for (int b = 0x80; b <= 0xFF; ++b) {
      const char32_t cp = Windows1252CodePoint(static_cast<unsigned char>(b));
      // The five bytes the code page leaves undefined stay size 0: an error.
      if (cp == static_cast<char32_t>(b) && b <= 0x9F) continue;
      std::string utf8;
      AppendUtf8(utf8, cp);
      Utf8OfHighByte& entry = t[static_cast<size_t>(b - 0x80)];
      entry.size = static_cast<unsigned char>(utf8.size());
      std::memcpy(entry.bytes, utf8.data(), utf8.size());
    }
    return t;
  }();
  return kTable;
}

// How many of the first `max` bytes of `in` are ASCII, eight at a time.
int AsciiRun(const unsigned char* in, int max) {
  int n = 0;
  for (; n + 8 <= max; n += 8) {
    std::uint64_t word;
    std::memcpy(&word, in + n, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
  }
  while (n < max && in[n] < 0x80) ++n;
  return n;
}

// Windows-1252 bytes to UTF-8, as libxml2's input converters work: as much
// of `in` as fits in `out`; both lengths report what was used. Most of an
// audit file is ASCII, copied as it is.
int Windows1252ToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  const std::array<Utf8OfHighByte, 128>& high = HighBytes();
  int used = 0;
  int written = 0;
  while (used < *inlen) {
    int ascii = AsciiRun(in + used, std::min(*inlen - used, *outlen - written));
    std::memcpy(out + written, in + used, static_cast<size_t>(ascii));
    used += ascii;
    written += ascii;
    if (used == *inlen || written == *outlen) break;
    const Utf8OfHighByte& u = high[in[used] - 0x80];
    if (u.size == 0) {
      // A byte the code page does not define: the file is not Windows-1252.
      *inlen = used;
      *outlen = written;
      return -2;
    }
    if (written + u.size > *outlen) break;
    std::memcpy(out + written, u.bytes, u.size);
    written += u.size;
    ++used;
  }
  *inlen = used;
  *outlen = written;
  return written;
}

}  // namespace

void InitXmlLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    HighBytes();
    // Registered handlers come before iconv's: the audit files are read
    // through this table, several times faster than iconv, and alike on
    // every platform. libxml2 keeps the handler for the rest of the process.
    xmlNewCharEncodingHandler("WINDOWS-1252", Windows1252ToUtf8, nullptr);
    xmlAddEncodingAlias("WINDOWS-1252", "CP1252");
  });
}

}  // namespace saftpt
