// Placeholder: replaced by the real implementation.
#include "app/UiPorts.h"

#include "config/Error.h"

namespace saftpt {

void DesktopShell::openFolder(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
void DesktopShell::openUrl(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
