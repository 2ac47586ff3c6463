// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddWorkingDocuments(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::AddworkingDocumentLines(XmlNode, const Recordset&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
