// The "TaxTable" of the master files and the tax codes and regions the
// document lines use.
#ifndef SAFTPT_SAFT_TAXTABLE_H_
#define SAFTPT_SAFT_TAXTABLE_H_

#include <string>

#include "config/OfficeConfig.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// Writes the VAT rates, then the stamp-duty codes.
void WriteTaxTable(RunContext& ctx, XmlNode masterFiles);

// The office's fiscal region: "PT", "PT-AC" or "PT-MA".
std::string FiscalRegion(const ConfiguracaoEscritorio& office);
// The "TaxCountryRegion" of a rate: 16 % is only charged in the Azores,
// every other rate is the office's region's.
std::string TaxRegion(const RunContext& ctx, double iva);
// "NOR", "INT", "RED" or "ISE" for a rate of the region TaxRegion gives.
std::string TaxCode(const RunContext& ctx, double iva);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_TAXTABLE_H_
