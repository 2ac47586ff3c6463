// libxml2's set-up, with a Windows-1252 decoder where the library has none.
#include "xml/XmlLibrary.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/xmlversion.h>

#include <mutex>
#include <string>

#include "base/Utf8.h"

namespace saftpt {

namespace {

#ifndef LIBXML_ICONV_ENABLED
// Windows-1252 bytes to UTF-8, as libxml2's input converters work: as much
// of `in` as fits in `out`; both lengths report what was used.
int Windows1252ToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  int used = 0;
  int written = 0;
  std::string bytes;
  while (used < *inlen) {
    bytes.clear();
    AppendUtf8(bytes, Windows1252CodePoint(in[used]));
    if (written + static_cast<int>(bytes.size()) > *outlen) break;
    for (char b : bytes) out[written++] = static_cast<unsigned char>(b);
    ++used;
  }
  *inlen = used;
  *outlen = written;
  return written;
}

void RegisterWindows1252() {
  // The handler is kept by libxml2 for the rest of the process.
  xmlNewCharEncodingHandler("WINDOWS-1252", Windows1252ToUtf8, nullptr);
  xmlAddEncodingAlias("WINDOWS-1252", "CP1252");
}
#endif

}  // namespace

void InitXmlLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
#ifndef LIBXML_ICONV_ENABLED
    RegisterWindows1252();
#endif
  });
}

}  // namespace saftpt
