// Encoding of UTF-8 text to Windows-1252 for the audit file, with XML
// escaping. Characters Windows-1252 cannot represent become numeric character
// references (never "?"); characters XML 1.0 does not allow are dropped.
#ifndef SAFTPT_XML_WINDOWS1252_H_
#define SAFTPT_XML_WINDOWS1252_H_

#include <string>
#include <string_view>

namespace saftpt {

// Appends `utf8` to `out` as escaped Windows-1252 element text ("&", "<",
// ">" escaped) or, with `attribute`, as an attribute value (quotes too).
// Invalid UTF-8 bytes are taken as Latin-1 characters.
void AppendXmlText(std::string& out, std::string_view utf8, bool attribute = false);

}  // namespace saftpt

#endif  // SAFTPT_XML_WINDOWS1252_H_
