// What an export reads once instead of once per document or line: the rows
// of all the period's documents handed out document by document, and the
// look-ups that cannot change during a run.
#ifndef SAFTPT_SAFT_RUNREADS_H_
#define SAFTPT_SAFT_RUNREADS_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/Database.h"

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

 private:
  friend class RowsByDocument;
  std::shared_ptr<const std::vector<std::string>> names_;  // lower case
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
  // The rows' own columns start at `first` (1 or 2).
  explicit RowsByDocument(Recordset rs, size_t first = 1);
  // The rows of the document, from column `first` on; nothing when the read
  // did not hold the document.
  std::optional<DocumentRows> Take(long long iddoc);
  // Goes once through every row of the read (documents without rows left
  // out), before any is handed out; the rows stay for Take.
  void ForEachRow(const std::function<void(const Recordset&)>& visit);

 private:
  std::vector<Value> ReadRow() const;
  Recordset rs_;
  std::shared_ptr<const std::vector<std::string>> names_;
  size_t first_ = 1;
  std::unordered_map<long long, std::vector<std::vector<Value>>> pending_;
  bool open_ = false;
};

// A fee type as the lines look it up by reference.
struct Honorario {
  std::string referencia;  // "" when the reference is not in the catalogue
  std::string descricao;
};

// A distinct reason of a document's lines as the exemption check reads it.
struct LineReason {
  std::string texto;  // trimmed; "" for a blank or Null reason
  Value codMencao;    // as stored
  bool checkText;     // a line without VAT that names a reason: the text is checked
  bool zeroRate;      // a zero-rated line: it needs a reason and, in 1.04_01, a code
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

// Read once per run: they cannot change during an export (the exemption
// dialog only rewrites the reasons of document lines).
struct RunReads {
  std::optional<bool> certified;
  std::optional<bool> hasTipoRetencao;
  std::map<std::string, int> serieIvaCaixa;
  std::map<std::string, std::string> codMencao;
  std::optional<std::map<std::string, Honorario>> honorarios;
  std::optional<std::map<std::string, long long>> customersByNif;
  std::optional<std::map<std::string, Value>> nifByCustomer;
  // Per section, by IDDoc.
  RowsByDocument lines;
  std::optional<std::unordered_map<long long, std::vector<LineReason>>> reasons;
  std::optional<std::unordered_map<long long, std::pair<double, double>>> retencoes;  // IRC, IRS
  // Receipts: the rate groups of each settled document, by the receipt
  // line's ID, and the uncoded zero-rated lines of the documents paid.
  RowsByDocument groups;
  std::optional<std::unordered_map<long long, std::vector<std::vector<std::string>>>> uncoded;
  // The section's reads: what they are, and how many corrections the dialog
  // had made when they were taken. A correction makes the reasons read
  // ahead stale: from then on each document of the section is read again,
  // alone, through the same definition and the connection the correction was
  // written on (amounts never change, so the totals summed from the
  // section's read stand).
  SectionRead section;
  int corrections = 0;
  int correctionsAtRead = 0;
  std::optional<long long> onlyDocument;  // the one document read again, if so
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_RUNREADS_H_
