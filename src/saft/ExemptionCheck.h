// The check of the exemption reasons of each exported document, before its
// lines are written, and the reason elements of a zero-rated line.
#ifndef SAFTPT_SAFT_EXEMPTIONCHECK_H_
#define SAFTPT_SAFT_EXEMPTIONCHECK_H_

#include <string>
#include <vector>

#include "db/Database.h"
#include "saft/RunContext.h"
#include "saft/SectionReads.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// Asks the resolver about every unacceptable reason of a sales or working
// document's lines; throws "Exportação do ficheiro cancelada." when one is
// not corrected. A correction makes what `reader` read ahead stale.
void CheckDocumentReasons(RunContext& ctx, SectionReader& reader, const Recordset& document);
// The same for the uncoded zero-rated lines of the documents a receipt pays.
void CheckReceiptReasons(RunContext& ctx, SectionReader& reader, const Recordset& receipt);
// Whether the reason is in the list, ignoring case and surrounding blanks.
bool IsAcceptedReason(const std::string& texto, const std::vector<std::string>& accepted);
// The code tipoisencaoiva gives a reason's text; "" when it has none.
std::string CodMencaoFor(RunContext& ctx, const std::string& texto);
// A zero-rated line's reason and, in 1.04_01 files, its code (the stored
// one, or the one its text has in the table of reasons).
void AddIsencaoIva(RunContext& ctx, XmlNode line, double iva, const std::string& isencao,
                   const std::string& codMencao);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_EXEMPTIONCHECK_H_
