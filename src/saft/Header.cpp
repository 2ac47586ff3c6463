// The header's elements, in the order the schema lists them.
#include "saft/Header.h"

#include "BuildInfo.h"
#include "config/Utf8.h"
#include "saft/Addresses.h"
#include "saft/ValueFormat.h"

namespace saftpt {

std::string AuditFileNamespace(int versao) {
  return versao == 3 ? "urn:OECD:StandardAuditFile-Tax:PT_1.03_01"
                     : "urn:OECD:StandardAuditFile-Tax:PT_1.04_01";
}

std::string AuditFileVersion(int versao) {
  return versao == 3 ? "1.03_01" : "1.04_01";
}

void WriteHeader(RunContext& ctx, XmlNode auditFile) {
  ctx.ShowStep(kHeaderStep);
  const ExportOptions& options = ctx.options;
  const ConfiguracaoEscritorio& office = ctx.office;
  XmlNode header = auditFile.NewChild("Header", "");
  header.AddAttribute("xmlns", AuditFileNamespace(options.versao));
  const std::string contribuinte = RemoveSpaces(office.NumContribuinte);
  AddValor(header, "AuditFileVersion", AuditFileVersion(options.versao));
  AddValor(header, "CompanyID", contribuinte);
  AddValor(header, "TaxRegistrationNumber", contribuinte);
  AddValor(header, "TaxAccountingBasis", "F");
  AddValor(header, "CompanyName", Utf8Left(office.nome, 60));
  AddCompanyAddress(header, "CompanyAddress", "", "", office.morada, office.Localidade,
                    office.Codpostal, "", "PT");
  ctx.summary.nif = contribuinte;
  AddValor(header, "FiscalYear", options.fiscalYear);
  AddValor(header, "StartDate", FormataData(options.start));
  AddValor(header, "EndDate", FormataData(options.end));
  AddValor(header, "CurrencyCode", "EUR");
  AddValor(header, "DateCreated", FormataData(options.today));
  AddValor(header, "TaxEntity", "Global");
  AddValor(header, "ProductCompanyTaxID", SAFTPT_PRODUCT_COMPANY_TAX_ID);
  AddValor(header, "SoftwareCertificateNumber", SAFTPT_SOFTWARE_CERTIFICATE_NUMBER);
  AddValor(header, "ProductID", "NORTA SISTEMA DE FACTURAÇÃO/QUINTAVELA");
  AddValor(header, "ProductVersion", "9.4");
  if (!options.comment.empty()) AddValor(header, "HeaderComment", options.comment);
}

}  // namespace saftpt
