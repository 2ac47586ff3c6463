// The VAT and withholding summary of an audit file, for the accountant's
// periodic VAT return and withholding declarations: from the SalesInvoices
// that are not cancelled, the taxable base and the tax of each tax of the
// lines, the exempt base by exemption code, the withholding by type and the
// documents' TaxPayable, for the whole file and by month. One streaming pass.
#ifndef SAFTPT_APP_TAXSUMMARY_H_
#define SAFTPT_APP_TAXSUMMARY_H_

#include <map>
#include <string>
#include <tuple>

namespace saftpt {

// Amounts are kept in millionths of a euro, as summed; they are rounded to
// cents when shown.
struct TotaisIva {
  // (TaxType, TaxCountryRegion, TaxCode, TaxPercentage in hundredths; -1 for
  // a tax given as an amount) -> taxable base, and the sum of the lines'
  // TaxAmount for those given as an amount.
  using Imposto = std::tuple<std::string, std::string, std::string, long long>;
  std::map<Imposto, long long> bases;
  std::map<Imposto, long long> montantes;
  std::map<std::string, long long> isencoes;   // TaxExemptionCode -> base
  std::map<std::string, long long> retencoes;  // WithholdingTaxType -> amount
  long long taxPayable = 0;

  // The tax of one row in cents: base x rate rounded once, or the amounts.
  long long ImpostoCentimos(const Imposto& imposto) const;
};

struct ResumoIva {
  TotaisIva total;
  std::map<int, TotaisIva> meses;  // by Period
  long long documentos = 0;        // documents summed
};

// Reads the file. Throws Error when it cannot be read or is not well-formed.
ResumoIva ComputeResumoIva(const std::string& path);

// A table in Portuguese, for the terminal and the window.
std::string ResumoIvaTexto(const ResumoIva& resumo);
// "imposto,regiao,codigo,taxa,base,valor": one IVA (or other TaxType) row per
// tax, one ISENCAO row per exemption code, one RETENCAO row per withholding
// type, then TAXPAYABLE; dot decimals, two places.
std::string ResumoIvaCsv(const ResumoIva& resumo);

}  // namespace saftpt

#endif  // SAFTPT_APP_TAXSUMMARY_H_
