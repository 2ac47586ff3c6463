// The set-based reads of a source-document section: the lines of all its
// documents in one statement, with what the exemption check and the
// withholding take of them, and a receipt's rate groups in another, streamed
// in the order the documents are written and handed out document by document
// as the section writes them. The section's reader owns them, and knows when
// a correction has made them stale.
#ifndef SAFTPT_SAFT_SECTIONREADS_H_
#define SAFTPT_SAFT_SECTIONREADS_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/ColumnNames.h"
#include "db/Database.h"
#include "saft/RunContext.h"

namespace saftpt {

// The rows of one document, read like a Recordset.
class DocumentRows {
 public:
  DocumentRows() = default;

  bool Eof() const { return pos_ >= rows_.size(); }
  void MoveNext() { ++pos_; }
  // By name, without regard to case; an unknown name throws Error.
  Value Field(std::string_view name) const;
  Value Field(size_t index) const { return rows_[pos_][index]; }
  std::string Text(std::string_view name) const { return Field(name).Text(); }
  void MoveFirst() { pos_ = 0; }
  // Moves out the rows whose column `flag` is true, from the first; none
  // stay.
  DocumentRows TakeWhere(std::string_view flag);

 private:
  friend class RowsByDocument;
  std::shared_ptr<const ColumnNames> names_;
  std::vector<std::vector<Value>> rows_;
  size_t pos_ = 0;
};

// One set-based read of the rows of many documents. Its first column is the
// document's IDDoc and its second is Null on the one row of a document without
// rows (a left join); the rows of a document come together, in the order the
// documents are written, so only documents that sort alike wait in memory.
class RowsByDocument {
 public:
  RowsByDocument() = default;
  // The rows' own columns start at `first` (1 or 2). `byFirstColumn`: the
  // statement orders the documents only, and each document's rows are put in
  // the order of their first own column (a line's ID) here, which spares the
  // server sorting every line.
  explicit RowsByDocument(Recordset rs, size_t first = 1, bool byFirstColumn = false);
  // The rows of the document, from column `first` on; none when the read
  // did not hold the document.
  DocumentRows Take(long long iddoc);
  // Goes once through every row of the read (documents without rows left
  // out), before any is handed out; the rows stay for Take.
  void ForEachRow(const std::function<void(const Recordset&)>& visit);

 private:
  std::vector<Value> ReadRow() const;
  Recordset rs_;
  std::shared_ptr<const ColumnNames> names_;
  size_t first_ = 1;
  bool byFirstColumn_ = false;
  std::unordered_map<long long, std::vector<std::vector<Value>>> pending_;
  bool open_ = false;
};

// A distinct reason of a document's lines as the exemption check reads it.
struct LineReason {
  std::string texto;  // trimmed; "" for a blank or Null reason
  Value codMencao;    // as stored
  bool checkText;     // a line without VAT that names a reason: the text is checked
  bool zeroRate;      // a zero-rated line: it needs a reason and, in 1.04_01, a code
};

// An uncoded zero-rated line of a document a receipt pays: its document's
// type, series and number, and its reason.
struct UncodedLine {
  std::string tipodoc, serie, numero, isencao;
};

// What a section reads of its documents besides their rows: defined once and
// used both for all its documents and, after a correction, for one.
struct SectionRead {
  std::string columns;         // of documentoslinhas
  std::string filter;          // of the lines written
  std::string retencaoFilter;  // of the withholding lines; "" reads none
  bool reasons = false;        // the reasons the exemption check looks at
  bool receipts = false;       // a receipt's rate groups and uncoded lines
};

// Has the server answer the reads of the section whose documents
// `documentsSql` selects ahead of the SectionReader that takes them.
void QueueSectionReads(RunContext& ctx, const std::string& documentsSql, const SectionRead& read);

// The reads of one section. A correction of the exemption dialog makes the
// reasons read ahead stale: from then on each document of the section is read
// again, alone, through the same definition and the connection the
// correction was written on (amounts never change, so the totals summed from
// the section's read stand).
class SectionReader {
 public:
  // Reads the section: `documentsSql` is its documents statement without its
  // order.
  SectionReader(RunContext& ctx, const std::string& documentsSql, const SectionRead& read);

  // Every line row the section writes, and every rate group of its receipts'
  // lines, before any is handed out (for the section's totals).
  void ForEachLine(const std::function<void(const Recordset&)>& visit);
  void ForEachGroup(const std::function<void(const Recordset&)>& visit) {
    groups_.ForEachRow(visit);
  }

  // The document's lines, in their order; taken once.
  DocumentRows TakeLines(const Recordset& document);
  // A receipt line's rate groups: one row per VAT rate of the document it pays.
  DocumentRows TakeGroups(long long receiptLineId);
  // The document's withheld IRC and IRS, when it has withholding lines.
  std::optional<std::pair<double, double>> Retencoes(const Recordset& document);
  // The reasons of the document's lines, read again after a correction.
  std::vector<LineReason> Reasons(const Recordset& document);
  // The uncoded zero-rated lines of the documents a receipt pays.
  std::vector<UncodedLine> Uncoded(const Recordset& receipt);

  // A correction was written: what was read ahead is stale.
  void Invalidate() { stale_ = true; }

 private:
  void ReadFrom(Database& db, const std::string& documentsSql);
  // After a correction, the document's reads taken again, alone.
  void Reread(const Recordset& document);

  RunContext& ctx_;
  const SectionRead read_;
  RowsByDocument lines_;
  // The document being written: its rows, taken once, and its reasons and
  // withholding, found in them.
  struct CurrentDocument {
    long long iddoc = -1;
    DocumentRows rows;
    std::vector<LineReason> reasons;
    std::optional<std::pair<double, double>> retencoes;  // IRC, IRS
  };
  CurrentDocument& Current(const Recordset& document);
  CurrentDocument current_;
  bool retencaoExact_ = true;  // ValorRetencao holds exact numbers
  // Receipts: the rate groups of each settled document, by the receipt
  // line's ID, and the uncoded zero-rated lines of the documents paid.
  RowsByDocument groups_;
  std::unordered_map<long long, std::vector<UncodedLine>> uncoded_;
  bool stale_ = false;
  std::optional<long long> onlyDocument_;  // the one document read again, if so
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_SECTIONREADS_H_
