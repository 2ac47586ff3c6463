// The "Line" elements of a sales or working document.
#ifndef SAFTPT_SAFT_DOCUMENTLINES_H_
#define SAFTPT_SAFT_DOCUMENTLINES_H_

#include "config/Database.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// How long the texts of a section's lines may be.
struct LineTextWidths {
  size_t productDescription;
  size_t description;
};

// Writes the document's lines, as the section read them, under `document`.
void AddDocumentLines(RunContext& ctx, XmlNode document, const Recordset& rsDoc,
                      const LineTextWidths& widths);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_DOCUMENTLINES_H_
