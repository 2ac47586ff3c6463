// Reads the documents of an audit file one at a time, in a single streaming
// pass (libxml2's xmlTextReader): a year's file may be gigabytes, and only the
// part being read is held in memory. The schema check's pass takes the
// documents from the same parts, so that an export's check reads its file once.
#ifndef SAFTPT_AUDIT_SAFTFILEREADER_H_
#define SAFTPT_AUDIT_SAFTFILEREADER_H_

#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "saft/DocumentKinds.h"

namespace saftpt {

// A document line's amounts and its tax, as written.
struct LinhaLida {
  std::string creditAmount, debitAmount;
  std::string taxType, taxCountryRegion, taxCode, taxPercentage, taxAmount;
  std::string taxExemptionCode;
};

// One Invoice, WorkDocument or Payment; every field as written (UTF-8).
struct DocumentoLido {
  SourceSection section = SourceSection::kSalesInvoices;
  int line = 0;        // line of the document's number in the file
  std::string numero;  // InvoiceNo, DocumentNumber or PaymentRefNo: "F A/12"
  std::string atcud, hash, hashControl, period, tipo, estado;
  std::string data;     // InvoiceDate, WorkDate or TransactionDate
  std::string entrada;  // SystemEntryDate
  std::string taxPayable, grossTotal;
  std::vector<LinhaLida> linhas;                               // only when asked for
  std::vector<std::pair<std::string, std::string>> retencoes;  // type, amount
};

struct CabecalhoLido {
  std::string auditFileVersion;
  std::string dateCreated;
};

// Receives each document, with the header read so far.
using DocumentCallback = std::function<void(const CabecalhoLido&, const DocumentoLido&)>;

// Goes through the parts of the file `reader` reads, expanding each whole
// and giving it to `part` (see RegrasSaft::Parte: an element directly under
// AuditFile, MasterFiles or GeneralLedgerAccounts, or one of a
// SourceDocuments section); the reader lets each go before the next. Returns
// the reader's last result: 0 at the end of the file, -1 when it could not go
// on. `read` tells whether the file had any node at all.
int ReadParts(xmlTextReader* reader, const std::function<void(xmlNode*)>& part, bool& read);

// Takes the documents and the header out of the parts ReadParts gives: the
// one way their fields are read, by ReadSaftDocuments and by the schema
// check's pass alike.
class DocumentParts {
 public:
  // `comLinhas` also collects the lines.
  DocumentParts(bool comLinhas, DocumentCallback documento);
  void TakePart(const xmlNode* part);

 private:
  void TakeDocument(const xmlNode* element);

  bool comLinhas_;
  DocumentCallback documento_;
  CabecalhoLido cabecalho_;
};

// The first error libxml2 gives about a file's XML.
struct PrimeiroErro {
  std::string message;
  int line = 0;
  void Guarda(const xmlError& e);
};

// Throws Error (kValidation): `path` is not well-formed XML, as `erro` says.
[[noreturn]] void ThrowNotWellFormed(const std::string& path, const PrimeiroErro& erro);

// Calls `documento` once per document, with the header read so far.
// `comLinhas` also collects the lines. Throws Error (kValidation) when the
// file cannot be opened or is not well-formed XML.
void ReadSaftDocuments(const std::string& path, bool comLinhas, const DocumentCallback& documento);

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_SAFTFILEREADER_H_
