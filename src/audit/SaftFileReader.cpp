#include "audit/SaftFileReader.h"

#include <libxml/xmlreader.h>

#include <fstream>
#include <memory>
#include <string_view>

#include "audit/LibraryHandles.h"
#include "base/Error.h"
#include "xml/XmlLibrary.h"

namespace saftpt {

namespace {

// The first message libxml2 gives about the file.
struct PrimeiroErro {
  std::string message;
  int line = 0;
  void Guarda(const xmlError& e) {
    if (!message.empty() || e.level < XML_ERR_ERROR) return;
    message = e.message ? e.message : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    line = e.line;
  }
};

constexpr auto kOnError = &ForwardXmlError<PrimeiroErro, &PrimeiroErro::Guarda>;

std::string_view Texto(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// The field of the document that a text belongs to, from the path below the
// document's element ("InvoiceNo", "Line/Tax/TaxCode"...).
std::string* Campo(DocumentoLido& d, const std::vector<std::string>& path, size_t from,
                   bool comLinhas) {
  size_t n = path.size() - from;
  const std::string& a = path[from];
  if (n == 1) {
    if (a == "InvoiceNo" || a == "DocumentNumber" || a == "PaymentRefNo") return &d.numero;
    if (a == "ATCUD") return &d.atcud;
    if (a == "Hash") return &d.hash;
    if (a == "HashControl") return &d.hashControl;
    if (a == "Period") return &d.period;
    if (a == "InvoiceDate" || a == "WorkDate" || a == "TransactionDate") return &d.data;
    if (a == "SystemEntryDate") return &d.entrada;
    if (a == "InvoiceType" || a == "WorkType" || a == "PaymentType") return &d.tipo;
    return nullptr;
  }
  const std::string& b = path[from + 1];
  if (n == 2) {
    if (a == "DocumentStatus" &&
        (b == "InvoiceStatus" || b == "WorkStatus" || b == "PaymentStatus"))
      return &d.estado;
    if (a == "DocumentTotals") {
      if (b == "TaxPayable") return &d.taxPayable;
      if (b == "GrossTotal") return &d.grossTotal;
    }
    if (a == "WithholdingTax" && !d.retencoes.empty()) {
      if (b == "WithholdingTaxType") return &d.retencoes.back().first;
      if (b == "WithholdingTaxAmount") return &d.retencoes.back().second;
    }
  }
  if (!comLinhas || a != "Line" || d.linhas.empty()) return nullptr;
  LinhaLida& l = d.linhas.back();
  if (n == 2) {
    if (b == "CreditAmount") return &l.creditAmount;
    if (b == "DebitAmount") return &l.debitAmount;
    if (b == "TaxExemptionCode") return &l.taxExemptionCode;
    return nullptr;
  }
  if (n == 3 && b == "Tax") {
    const std::string& c = path[from + 2];
    if (c == "TaxType") return &l.taxType;
    if (c == "TaxCountryRegion") return &l.taxCountryRegion;
    if (c == "TaxCode") return &l.taxCode;
    if (c == "TaxPercentage") return &l.taxPercentage;
    if (c == "TaxAmount") return &l.taxAmount;
  }
  return nullptr;
}

}  // namespace

void ReadSaftDocuments(
    const std::string& path, bool comLinhas,
    const std::function<void(const CabecalhoLido&, const DocumentoLido&)>& documento) {
  InitXmlLibrary();
  if (!std::ifstream(path, std::ios::binary))
    throw Error(Error::kValidation, "Não foi possível ler o ficheiro " + path + ".");
  XmlReaderPtr reader(xmlReaderForFile(path.c_str(), nullptr,
                                       XML_PARSE_HUGE | XML_PARSE_BIG_LINES | XML_PARSE_NONET));
  if (!reader) throw Error(Error::kValidation, "Não foi possível ler o ficheiro " + path + ".");
  PrimeiroErro erro;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), kOnError, &erro);

  CabecalhoLido cabecalho;
  DocumentoLido doc;
  std::vector<std::string> caminho;  // element names from the root
  size_t nivelDoc = 0;               // depth of the document's element; 0 outside
  int r;
  while ((r = xmlTextReaderRead(reader.get())) == 1) {
    switch (xmlTextReaderNodeType(reader.get())) {
      case XML_READER_TYPE_ELEMENT: {
        std::string nome(Texto(xmlTextReaderConstLocalName(reader.get())));
        bool vazio = xmlTextReaderIsEmptyElement(reader.get()) == 1;
        if (nivelDoc == 0 && caminho.size() == 3 && caminho[1] == "SourceDocuments" &&
            (nome == "Invoice" || nome == "WorkDocument" || nome == "Payment")) {
          doc = DocumentoLido();
          doc.section = nome == "Invoice"        ? SourceSection::kSalesInvoices
                        : nome == "WorkDocument" ? SourceSection::kWorkingDocuments
                                                 : SourceSection::kPayments;
          nivelDoc = caminho.size();
        } else if (nivelDoc > 0 && caminho.size() == nivelDoc + 1) {
          if (nome == "Line" && comLinhas) doc.linhas.emplace_back();
          if (nome == "WithholdingTax") doc.retencoes.emplace_back();
          if (nome == "InvoiceNo" || nome == "DocumentNumber" || nome == "PaymentRefNo")
            doc.line = xmlTextReaderGetParserLineNumber(reader.get());
        }
        if (!vazio) caminho.push_back(std::move(nome));
        break;
      }
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA: {
        std::string_view valor = Texto(xmlTextReaderConstValue(reader.get()));
        if (nivelDoc > 0 && caminho.size() > nivelDoc + 1) {
          if (std::string* campo = Campo(doc, caminho, nivelDoc + 1, comLinhas))
            campo->append(valor);
        } else if (caminho.size() == 3 && caminho[1] == "Header") {
          if (caminho[2] == "AuditFileVersion") cabecalho.auditFileVersion.append(valor);
          if (caminho[2] == "DateCreated") cabecalho.dateCreated.append(valor);
        }
        break;
      }
      case XML_READER_TYPE_END_ELEMENT:
        if (caminho.empty()) break;
        if (nivelDoc > 0 && caminho.size() == nivelDoc + 1) {
          nivelDoc = 0;
          documento(cabecalho, doc);
        }
        caminho.pop_back();
        break;
      default:
        break;
    }
  }
  if (r != 0 || !erro.message.empty()) {
    std::string onde = erro.line > 0 ? " (linha " + std::to_string(erro.line) + ")" : "";
    throw Error(Error::kValidation, "O ficheiro " + path + " não é XML bem formado" + onde +
                                        (erro.message.empty() ? "." : ": " + erro.message));
  }
}

}  // namespace saftpt
