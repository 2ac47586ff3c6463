// The frame of the audit file: the root and its namespaces, the header, the
// order of the sections, and the saving.
#include "saft/clsSAFT.h"

#include <string>

#include "BuildInfo.h"
#include "config/Error.h"
#include "config/Utf8.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr const char* kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

// Files made from this day on carry each document's ATCUD; before it the tax
// authority accepts "0".
constexpr DateTime kInicioAtcud = DateTime{2023, 2, 1, 0, 0, 0};

}  // namespace

clsSAFT::clsSAFT(Database& db, const ConfiguracaoEscritorio& office, const ExportOptions& options,
                 ProgressSink& progress, ExemptionResolver& resolver)
    : versao(options.versao),
      db_(db),
      office_(office),
      options_(options),
      progress_(progress),
      resolver_(resolver) {}

clsSAFT::~clsSAFT() = default;

namespace {

std::string Namespace(int versao) {
  return versao == 3 ? "urn:OECD:StandardAuditFile-Tax:PT_1.03_01"
                     : "urn:OECD:StandardAuditFile-Tax:PT_1.04_01";
}

std::string VersaoFicheiro(int versao) {
  return versao == 3 ? "1.03_01" : "1.04_01";
}

}  // namespace

void clsSAFT::Init() {
  Init_Paises();
  Init_Motivos_Isencao();
  ClienteIndiferenciado =
      db_.ObtemValor("ClienteIndiferenciado", "configescritorio", "", Value("")).text();
  // Older databases have no "OC1" column: their quotations are not signed.
  OrcamentosAssinados = false;
  if (db_.ExisteCampo("configescritorio", "OC1"))
    OrcamentosAssinados =
        db_.ObtemValor("OC1", "configescritorio", "", Value()).boolean("configescritorio.OC1");
  progress_.IniciaProgresso(6);

  const std::string ns = Namespace(versao);
  doc_.SetEncoding("Windows-1252");
  if (!options_.outputPath.empty()) doc_.StreamTo(options_.outputPath);
  root_ = doc_.Root();
  root_.SetTag("AuditFile");
  root_.AddAttribute("xmlns", ns);
  root_.AddAttribute("xmlns:xsi", kXsiNamespace);

  AddHeader(root_);

  XmlNode master = root_.NewChild("MasterFiles", "");
  master.AddAttribute("xmlns", ns);
  AddCustomers(master);
  AddProducts(master);
  AddTaxTable(master);

  XmlNode source = root_.NewChild("SourceDocuments", "");
  AddInvoices(source);
  AddWorkingDocuments(source);
  if (EnviaRecibos()) AddPayments(source);
}

// Offices on cash-basis VAT must always send their receipts.
bool clsSAFT::EnviaRecibos() {
  if (!enviaRecibos_) enviaRecibos_ = EmpresaIvaCaixa() == 1 || options_.receipts;
  return *enviaRecibos_;
}

void clsSAFT::AddHeader(XmlNode node) {
  progress_.MostraProgresso(1, "Header");
  XmlNode header = node.NewChild("Header", "");
  header.AddAttribute("xmlns", Namespace(versao));
  const std::string contribuinte = RemoveSpaces(office_.NumContribuinte);
  AddValor(header, "AuditFileVersion", VersaoFicheiro(versao));
  AddValor(header, "CompanyID", contribuinte);
  AddValor(header, "TaxRegistrationNumber", contribuinte);
  AddValor(header, "TaxAccountingBasis", "F");
  AddValor(header, "CompanyName", Utf8Left(office_.nome, 60));
  AddEndereco(header, "CompanyAddress", "", "", office_.morada, office_.Localidade,
              office_.Codpostal, "", "PT");
  NIF = contribuinte;
  AddValor(header, "FiscalYear", options_.fiscalYear);
  AddValor(header, "StartDate", FormataData(options_.start));
  AddValor(header, "EndDate", FormataData(options_.end));
  AddValor(header, "CurrencyCode", "EUR");
  AddValor(header, "DateCreated", FormataData(options_.today));
  AddValor(header, "TaxEntity", "Global");
  AddValor(header, "ProductCompanyTaxID", SAFTPT_PRODUCT_COMPANY_TAX_ID);
  AddValor(header, "SoftwareCertificateNumber", SAFTPT_SOFTWARE_CERTIFICATE_NUMBER);
  AddValor(header, "ProductID", "NORTA SISTEMA DE FACTURAÇÃO/QUINTAVELA");
  AddValor(header, "ProductVersion", "9.4");
  if (!options_.comment.empty()) AddValor(header, "HeaderComment", options_.comment);
}

// The payments section's totals were written before its lines; the lines'
// rounded sums are what the tax authority checks them against.
void clsSAFT::Gravar() {
  if (PagamentosSomaCredito != PagamentosTotalCredito) {
    root_.MoveToChild("SourceDocuments");
    root_.MoveToChild("Payments");
    root_.UpdateChildContent("TotalCredit", FormataNumero(PagamentosSomaCredito, 2));
    root_.MoveToRoot();
  }
  if (PagamentosSomaDebito != PagamentosTotalDebito) {
    root_.MoveToChild("SourceDocuments");
    root_.MoveToChild("Payments");
    root_.UpdateChildContent("TotalDebit", FormataNumero(PagamentosSomaDebito, 2));
    root_.MoveToRoot();
  }
  // The summary shows what the file holds.
  TotalCreditosRecibos = PagamentosSomaCredito;
  TotalDebitosRecibos = PagamentosSomaDebito;
  doc_.SaveToFile(options_.outputPath);
}

std::string clsSAFT::FimDoPeriodo() const {
  return FormataData(options_.end) + " 23:59:59";
}

// A document without its ATCUD in a file that needs one would be rejected by
// the tax authority: stop rather than write an empty code.
std::string clsSAFT::AtcudTexto(const Value& atcud, const std::string& documento) const {
  if (options_.today.DateOnly() < kInicioAtcud) return "0";
  if (atcud.isNull() || Trim(atcud.text()).empty())
    throw Error(Error::kData, "ATCUD em falta no documento " + documento);
  return atcud.text();
}

}  // namespace saftpt
