// Reads the documents of an audit file one at a time, in a single streaming
// pass (libxml2's xmlTextReader): a year's file may be gigabytes, and only the
// document being read is held in memory.
#ifndef SAFTPT_AUDIT_SAFTFILEREADER_H_
#define SAFTPT_AUDIT_SAFTFILEREADER_H_

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

// Calls `documento` once per document, at its end tag, with the header read
// so far. `comLinhas` also collects the lines. Throws Error (kValidation) when
// the file cannot be opened or is not well-formed XML.
void ReadSaftDocuments(
    const std::string& path, bool comLinhas,
    const std::function<void(const CabecalhoLido&, const DocumentoLido&)>& documento);

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_SAFTFILEREADER_H_
