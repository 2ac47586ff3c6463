// The tax authority's rules on an audit file that an XSD 1.0 validator does
// not check: the assertions of the 1.04_01 schema, the taxes of the lines
// against the file's TaxTable, and the control totals of the source-document
// sections. The file is checked one part at a time, as a reader goes through
// it, so that a year of documents never has to be in memory at once.
#ifndef SAFTPT_AUDIT_SAFTRULES_H_
#define SAFTPT_AUDIT_SAFTRULES_H_

#include <libxml/tree.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace saftpt {

// What a failed rule is about, for the advice given to the user.
enum class Regra {
  kOutra,
  kTaxaZeroSemMotivo,  // a zero rate or tax without TaxExemptionReason
  kMotivoSemCodigo,    // TaxExemptionReason without TaxExemptionCode
  kTaxaForaDaTabela,   // a line's tax that the TaxTable does not have
  kTotalDaSeccao,      // a section's count or total against its documents
  // Found by the schema:
  kSemLinhas,           // a document without lines
  kSemVersaoChave,      // a signed document without HashControl
  kClienteInexistente,  // a CustomerID without its Customer
  kProdutoInexistente,  // a ProductCode without its Product
};

// A unique, key or keyref of the schema on the whole file. The validator would
// keep every value of the file in memory; here the values of the customers,
// products, suppliers and accounts are kept, and only a hash of each
// document's number.
struct Restricao {
  enum Tipo { kUnica, kReferencia } tipo = kUnica;
  std::string name;
  std::string refer;                  // the unique a keyref refers to
  std::vector<std::string> selector;  // element names below AuditFile
  std::string field;                  // the selected element's child holding the value
};

// Receives one failed rule: the element it concerns, the reason and its kind.
// The element lives only during the call.
using RelatoRegra = std::function<void(xmlNode* element, const std::string& message, Regra)>;

class RegrasSaft {
 public:
  // Only elements in namespace `ns` are looked at; without `assertions` (a
  // schema that has none) only the TaxTable and the totals are checked.
  // Assertions go to `erro`, the totals rules to `aviso`.
  // Uniques and keyrefs go to `erro` too.
  RegrasSaft(const std::string& ns, bool assertions, std::vector<Restricao> restricoes,
             RelatoRegra erro, RelatoRegra aviso);
  ~RegrasSaft();
  RegrasSaft(const RegrasSaft&) = delete;
  RegrasSaft& operator=(const RegrasSaft&) = delete;

  // One part of the file, whole and still linked to its parents: an element
  // directly under AuditFile, MasterFiles or GeneralLedgerAccounts, or one of
  // a SourceDocuments section (a document, NumberOfEntries, TotalDebit...).
  void Parte(xmlNode* part);
  // The end of the file: the totals of the last section. A file that could
  // not be read to its end is left without them.
  void Fim();

  // The parts Parte expects: true for the containers a reader walks into
  // (by name, whatever their namespace: a file of another version is not
  // read whole either).
  static bool Contentor(const xmlNode* n);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_SAFTRULES_H_
