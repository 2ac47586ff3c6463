// Placeholder: replaced by the real implementation.
#include "xml/Windows1252.h"

#include "config/Error.h"

namespace saftpt {

void AppendXmlText(std::string&, std::string_view, bool) { throw Error(Error::kBuilder, "não implementado"); }
int Windows1252Byte(char32_t) { throw Error(Error::kBuilder, "não implementado"); }
std::string Windows1252ToUtf8(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
