// The header's elements, in the order the schema lists them.
#include "saft/Header.h"

#include "BuildInfo.h"
#include "base/Utf8.h"
#include "saft/Addresses.h"
#include "saft/ValueFormat.h"

namespace saftpt {

void WriteHeader(RunContext& ctx, XmlNode auditFile) {
  ctx.ShowStep(kHeaderStep);
  const ExportOptions& options = ctx.options;
  const ConfiguracaoEscritorio& office = ctx.office;
  XmlNode header = auditFile.NewChild("Header", "");
  header.AddAttribute("xmlns", AuditFileNamespace(options.schema));
  const std::string contribuinte = RemoveSpaces(office.numContribuinte);
  AddElement(header, "AuditFileVersion", AuditFileVersion(options.schema));
  AddElement(header, "CompanyID", contribuinte);
  AddElement(header, "TaxRegistrationNumber", contribuinte);
  AddElement(header, "TaxAccountingBasis", "F");
  AddElement(header, "CompanyName", Utf8Left(office.nome, 60));
  AddCompanyAddress(header, "CompanyAddress", "", "", office.morada, office.localidade,
                    office.codPostal, "", "PT");
  ctx.summary.nif = contribuinte;
  AddElement(header, "FiscalYear", options.fiscalYear);
  AddElement(header, "StartDate", FormatDate(options.start));
  AddElement(header, "EndDate", FormatDate(options.end));
  AddElement(header, "CurrencyCode", "EUR");
  AddElement(header, "DateCreated", FormatDate(options.today));
  AddElement(header, "TaxEntity", "Global");
  AddElement(header, "ProductCompanyTaxID", SAFTPT_PRODUCT_COMPANY_TAX_ID);
  AddElement(header, "SoftwareCertificateNumber", SAFTPT_SOFTWARE_CERTIFICATE_NUMBER);
  AddElement(header, "ProductID", "NORTA SISTEMA DE FACTURAÇÃO/QUINTAVELA");
  AddElement(header, "ProductVersion", "9.4");
  if (!options.comment.empty()) AddElement(header, "HeaderComment", options.comment);
}

}  // namespace saftpt
