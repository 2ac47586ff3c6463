// "WorkingDocuments": the fee quotations of the period and their lines.
#ifndef SAFTPT_SAFT_WORKINGDOCUMENTS_H_
#define SAFTPT_SAFT_WORKINGDOCUMENTS_H_

#include <string>

#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// The section's documents statement, without its order.
std::string WorkingDocumentsSql(const RunContext& ctx);
// Writes the section and takes its counts and totals into the summary.
void WriteWorkingDocuments(RunContext& ctx, XmlNode sourceDocuments);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_WORKINGDOCUMENTS_H_
