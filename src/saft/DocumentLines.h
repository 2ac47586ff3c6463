// The "Line" elements of a sales or working document.
#ifndef SAFTPT_SAFT_DOCUMENTLINES_H_
#define SAFTPT_SAFT_DOCUMENTLINES_H_

#include <string>

#include "db/Database.h"
#include "saft/DocumentCommon.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// How long the texts of a section's lines may be.
struct LineTextWidths {
  size_t productDescription;
  size_t description;
};

// What a sales or working document section reads: its lines' columns and
// reasons, the lines `filter` keeps and the withholding lines
// `retencaoFilter` keeps ("" reads none).
SectionRead DocumentLinesRead(const RunContext& ctx, const std::string& filter,
                              const std::string& retencaoFilter);

// Checks the reasons of the document's lines first, so that they are read
// with any correction made, then writes the lines, as the section's reader
// read them, and "DocumentTotals".
void AddCheckedLinesAndTotals(RunContext& ctx, SectionReader& reader, XmlNode document,
                              const Recordset& rsDoc, const LineTextWidths& widths);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_DOCUMENTLINES_H_
