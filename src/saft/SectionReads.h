// The set-based reads of a source-document section: the lines, exemption
// reasons and withholding sums of all its documents, each in one statement,
// handed out document by document as the section writes them.
#ifndef SAFTPT_SAFT_SECTIONREADS_H_
#define SAFTPT_SAFT_SECTIONREADS_H_

#include <string>

#include "db/Database.h"
#include "saft/DocumentCommon.h"
#include "saft/RunContext.h"
#include "saft/RunReads.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// Reads the section: `documentsSql` is its documents statement without its
// order.
void ReadSection(RunContext& ctx, const std::string& documentsSql, const SectionRead& read);
// After a correction, the document's reads taken again, alone, through the
// same definition; otherwise nothing.
void RereadDocument(RunContext& ctx, const Recordset& document);
// The section's totals from the lines ReadSection read.
documentos::SectionTotals SumSectionLines(RunContext& ctx);
// The document's lines, in their order.
DocumentRows TakeLines(RunContext& ctx, const Recordset& document);
// A receipt line's rate groups: one row per VAT rate of the document it pays.
DocumentRows TakeGroups(RunContext& ctx, long long receiptLineId);
// The document's "WithholdingTax" elements.
void AddDocumentRetencoes(RunContext& ctx, XmlNode parent, const Recordset& document);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_SECTIONREADS_H_
