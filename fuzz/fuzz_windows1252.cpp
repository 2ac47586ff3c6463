// Windows-1252 encoding and XML escaping: whatever the text, the element that
// holds it must be well-formed XML.
#include <libxml/parser.h>

#include <cstdint>
#include <string>

#include "saft/ValueFormat.h"
#include "xml/Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string doc = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><a b=\"";
  saftpt::AppendXmlText(doc, text, true);
  doc += "\">";
  saftpt::AppendXmlText(doc, saftpt::RemoveControlCharacters(text));
  doc += "</a>";
  xmlDocPtr parsed = xmlReadMemory(doc.data(), static_cast<int>(doc.size()), "fuzz.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!parsed) __builtin_trap();
  xmlFreeDoc(parsed);
  return 0;
}
