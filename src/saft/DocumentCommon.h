// Pieces that the sales-invoice, working-document and payment writers share:
// a section's opening and control totals, the document's number, status,
// totals and withholding, and a line's amount and VAT.
#ifndef SAFTPT_SAFT_DOCUMENTCOMMON_H_
#define SAFTPT_SAFT_DOCUMENTCOMMON_H_

#include <string>
#include <string_view>

#include "db/Database.h"
#include "saft/DocumentKinds.h"
#include "saft/RunContext.h"
#include "saft/SectionReads.h"
#include "xml/XmlDocument.h"

namespace saftpt::documentos {

// An amount of a row; Null counts as 0.
double Amount(const Value& v, std::string_view what);
double Amount(const Recordset& rs, std::string_view column);
double Amount(const DocumentRows& rs, std::string_view column);

// "F A/12": stored type code, series and number.
std::string DocumentNumber(const Recordset& rs);
// The VAT rate of a line; a rate that is Null or no number stops the export
// with a message naming the column and the document.
double LineTaxRate(const Value& taxa, const Recordset& documento);
// Cancelled: Anulado holds a non-zero value (Null is not cancelled).
bool IsCancelled(const Recordset& rs);
// Month of Data, "1" to "12".
std::string Period(const Recordset& rs);
// DataEdicao, or Data when the document was never edited.
std::string SystemEntryDate(const Recordset& rs);
// Data as "yyyy-mm-dd".
std::string DocumentDate(const Recordset& rs);

// Writes the line's "CreditAmount" or "DebitAmount" (|amount| with two
// decimals); nothing on kNone.
void AddLineAmount(XmlNode line, LineSide side, double amount);

// A section's "TotalDebit" and "TotalCredit": the sums of the amounts its
// lines write, in whole cents so that a year of lines adds up exactly.
class SectionTotals {
 public:
  void Add(LineSide side, double amount);
  double Debit() const { return static_cast<double>(debit_) / 100; }
  double Credit() const { return static_cast<double>(credit_) / 100; }

 private:
  long long debit_ = 0;
  long long credit_ = 0;
};

// The section's totals from the lines its reader read: cancelled documents
// are written but left out.
SectionTotals SumSectionLines(SectionReader& reader);

// What defines a source-document section: its step on the progress bar, its
// element, its kinds of document and what it reads of their lines.
struct SectionKind {
  ProgressStep step;
  const char* element;
  SourceSection section;
  SectionRead (*read)(const RunContext& ctx);
};
// The section's documents statement, without its order.
std::string SectionSql(const RunContext& ctx, const SectionKind& kind);
// Has the server answer the section's statements ahead of its writer
// (db/ReadAhead.h).
void QueueSection(RunContext& ctx, const SectionKind& kind);

// The opening every source-document section shares: its step, its documents
// in the order they are written, its element and its number of entries
// (its documents of a kind the table knows: the statement compares types
// without regard to case, the table does not).
struct OpenedSection {
  std::string sql;      // SectionSql
  Recordset documents;  // on its first row
  XmlNode element;
  long long entries = 0;
};
OpenedSection OpenSection(RunContext& ctx, XmlNode parent, const SectionKind& kind);
// Writes the section's "NumberOfEntries", "TotalDebit" and "TotalCredit";
// returns them for the run's summary.
SectionSummary AddSectionControl(const OpenedSection& section, const SectionTotals& totals);

// The tags a sales or working document opens with.
struct DocumentHeadTags {
  const char* number;
  const char* status;
  const char* statusDate;
  const char* date;
};
// Its number, ATCUD (when `withAtcud`), status, hash (the stored signature
// when `signs`), period and date.
void AddDocumentHead(const RunContext& ctx, XmlNode document, const Recordset& rs,
                     const DocumentHeadTags& tags, bool withAtcud, bool signs);
// "SourceID", "SystemEntryDate" and "CustomerID", as every kind writes them.
void AddEntryAndCustomer(XmlNode document, const Recordset& rs, const std::string& customerId);

// "DocumentStatus": status, its date, the reason of a cancellation, source
// and "P".
void AddDocumentStatus(XmlNode parent, const Recordset& rs, std::string_view statusTag,
                       std::string_view dateTag, std::string_view sourceTag);
// "Hash" and "HashControl": the stored signature when `signs`, else "0".
void AddHash(XmlNode parent, const Recordset& rs, bool signs);
// "DocumentTotals". The sales and working documents add the withheld amount
// back into the gross total; a receipt's gross total is its own total.
void AddDocumentTotals(XmlNode parent, const Recordset& rs, bool grossWithRetencao);
// The document's "WithholdingTax" elements, IRC first, from the IRC and IRS
// sums its section read.
void AddRetencoes(XmlNode parent, SectionReader& reader, const Recordset& document);

// The columns of a sales or working document's lines in the section's read.
std::string LineColumns(SchemaVersion schema);

// The line's VAT "Tax" element.
void AddLineVat(XmlNode line, const RunContext& ctx, double iva);

}  // namespace saftpt::documentos

#endif  // SAFTPT_SAFT_DOCUMENTCOMMON_H_
