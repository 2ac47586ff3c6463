// Placeholder: replaced by the real implementation.
#include "xml/Windows1252.h"

#include "config/Error.h"

namespace saftpt {

void AppendXmlText(std::string&, std::string_view, bool) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
