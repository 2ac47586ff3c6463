#include "audit/SaftFileReader.h"

#include <fstream>
#include <memory>

#include "audit/LibraryHandles.h"
#include "audit/SaftRules.h"
#include "base/Error.h"
#include "xml/XmlLibrary.h"

namespace saftpt {

namespace {

constexpr auto kOnError = &ForwardXmlError<PrimeiroErro, &PrimeiroErro::Guarda>;

bool Named(const xmlNode* n, const char* name) {
  return xmlStrEqual(n->name, BAD_CAST name) != 0;
}

bool IsRootElement(const xmlNode* n) {
  return n != nullptr && n->type == XML_ELEMENT_NODE && n->parent != nullptr &&
         n->parent->type == XML_DOCUMENT_NODE;
}

template <typename F>
void ForEachElement(const xmlNode* n, F f) {
  for (const xmlNode* c = n->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE) f(c);
}

// The element's own text, as written (not that of its children).
void AppendText(std::string* to, const xmlNode* element) {
  if (to == nullptr) return;
  for (const xmlNode* c = element->children; c != nullptr; c = c->next)
    if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content != nullptr)
      to->append(reinterpret_cast<const char*>(c->content));
}

bool IsNumero(const xmlNode* e) {
  return Named(e, "InvoiceNo") || Named(e, "DocumentNumber") || Named(e, "PaymentRefNo");
}

// The field of an element directly under the document.
std::string* Campo(DocumentoLido& d, const xmlNode* e) {
  if (IsNumero(e)) return &d.numero;
  if (Named(e, "ATCUD")) return &d.atcud;
  if (Named(e, "Hash")) return &d.hash;
  if (Named(e, "HashControl")) return &d.hashControl;
  if (Named(e, "Period")) return &d.period;
  if (Named(e, "InvoiceDate") || Named(e, "WorkDate") || Named(e, "TransactionDate"))
    return &d.data;
  if (Named(e, "SystemEntryDate")) return &d.entrada;
  if (Named(e, "InvoiceType") || Named(e, "WorkType") || Named(e, "PaymentType")) return &d.tipo;
  return nullptr;
}

// The field of `c`, a child of `e` (itself directly under the document).
std::string* Campo(DocumentoLido& d, const xmlNode* e, const xmlNode* c) {
  if (Named(e, "DocumentStatus")) {
    if (Named(c, "InvoiceStatus") || Named(c, "WorkStatus") || Named(c, "PaymentStatus"))
      return &d.estado;
  } else if (Named(e, "DocumentTotals")) {
    if (Named(c, "TaxPayable")) return &d.taxPayable;
    if (Named(c, "GrossTotal")) return &d.grossTotal;
  } else if (Named(e, "WithholdingTax")) {
    if (Named(c, "WithholdingTaxType")) return &d.retencoes.back().first;
    if (Named(c, "WithholdingTaxAmount")) return &d.retencoes.back().second;
  }
  return nullptr;
}

std::string* CampoDaLinha(LinhaLida& l, const xmlNode* c) {
  if (Named(c, "CreditAmount")) return &l.creditAmount;
  if (Named(c, "DebitAmount")) return &l.debitAmount;
  if (Named(c, "TaxExemptionCode")) return &l.taxExemptionCode;
  return nullptr;
}

std::string* CampoDoImposto(LinhaLida& l, const xmlNode* c) {
  if (Named(c, "TaxType")) return &l.taxType;
  if (Named(c, "TaxCountryRegion")) return &l.taxCountryRegion;
  if (Named(c, "TaxCode")) return &l.taxCode;
  if (Named(c, "TaxPercentage")) return &l.taxPercentage;
  if (Named(c, "TaxAmount")) return &l.taxAmount;
  return nullptr;
}

void ReadLine(LinhaLida& l, const xmlNode* line) {
  ForEachElement(line, [&l](const xmlNode* c) {
    AppendText(CampoDaLinha(l, c), c);
    if (Named(c, "Tax"))
      ForEachElement(c, [&l](const xmlNode* t) { AppendText(CampoDoImposto(l, t), t); });
  });
}

}  // namespace

void PrimeiroErro::Guarda(const xmlError& e) {
  if (!message.empty() || e.level < XML_ERR_ERROR) return;
  message = e.message ? e.message : "";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  line = e.line;
}

void ThrowNotWellFormed(const std::string& path, const PrimeiroErro& erro) {
  std::string onde = erro.line > 0 ? " (linha " + std::to_string(erro.line) + ")" : "";
  throw Error(Error::kValidation, "O ficheiro " + path + " não é XML bem formado" + onde +
                                      (erro.message.empty() ? "." : ": " + erro.message));
}

int ReadParts(xmlTextReader* reader, const std::function<void(xmlNode*)>& part, bool& read) {
  read = false;
  int rc = xmlTextReaderRead(reader);
  while (rc == 1) {
    read = true;
    if (xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT &&
        xmlTextReaderDepth(reader) > 0 &&
        !RegrasSaft::Contentor(xmlTextReaderCurrentNode(reader))) {
      xmlNode* whole = xmlTextReaderExpand(reader);
      if (whole == nullptr) return -1;
      part(whole);
      rc = xmlTextReaderNext(reader);
    } else {
      rc = xmlTextReaderRead(reader);
    }
  }
  return rc;
}

DocumentParts::DocumentParts(bool comLinhas, DocumentCallback documento)
    : comLinhas_(comLinhas), documento_(std::move(documento)) {}

void DocumentParts::TakePart(const xmlNode* part) {
  const xmlNode* up = part->parent;
  if (IsRootElement(up)) {
    if (Named(part, "Header"))
      ForEachElement(part, [this](const xmlNode* c) {
        if (Named(c, "AuditFileVersion")) AppendText(&cabecalho_.auditFileVersion, c);
        if (Named(c, "DateCreated")) AppendText(&cabecalho_.dateCreated, c);
      });
  } else if (IsRootElement(up->parent) && Named(up, "SourceDocuments")) {
    // A section the reader does not walk into comes whole.
    ForEachElement(part, [this](const xmlNode* d) { TakeDocument(d); });
  } else if (up->parent != nullptr && IsRootElement(up->parent->parent) &&
             Named(up->parent, "SourceDocuments")) {
    TakeDocument(part);
  }
}

void DocumentParts::TakeDocument(const xmlNode* element) {
  DocumentoLido d;
  if (Named(element, "Invoice"))
    d.section = SourceSection::kSalesInvoices;
  else if (Named(element, "WorkDocument"))
    d.section = SourceSection::kWorkingDocuments;
  else if (Named(element, "Payment"))
    d.section = SourceSection::kPayments;
  else
    return;
  ForEachElement(element, [&](const xmlNode* e) {
    if (IsNumero(e)) d.line = static_cast<int>(xmlGetLineNo(e));
    if (Named(e, "Line")) {
      if (comLinhas_) ReadLine(d.linhas.emplace_back(), e);
      return;
    }
    if (Named(e, "WithholdingTax")) d.retencoes.emplace_back();
    AppendText(Campo(d, e), e);
    ForEachElement(e, [&](const xmlNode* c) { AppendText(Campo(d, e, c), c); });
  });
  documento_(cabecalho_, d);
}

void ReadSaftDocuments(const std::string& path, bool comLinhas, const DocumentCallback& documento) {
  InitXmlLibrary();
  if (!std::ifstream(path, std::ios::binary))
    throw Error(Error::kValidation, "Não foi possível ler o ficheiro " + path + ".");
  XmlReaderPtr reader(xmlReaderForFile(path.c_str(), nullptr,
                                       XML_PARSE_HUGE | XML_PARSE_BIG_LINES | XML_PARSE_NONET));
  if (!reader) throw Error(Error::kValidation, "Não foi possível ler o ficheiro " + path + ".");
  PrimeiroErro erro;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), kOnError, &erro);
  DocumentParts parts(comLinhas, documento);
  bool read = false;
  int rc = ReadParts(
      reader.get(), [&parts](xmlNode* part) { parts.TakePart(part); }, read);
  if (rc != 0 || !erro.message.empty()) ThrowNotWellFormed(path, erro);
}

}  // namespace saftpt
