// The VAT and withholding summary of an audit file, for the accountant's
// periodic VAT return and withholding declarations: from the SalesInvoices
// that are not cancelled, the taxable base and the tax of each tax of the
// lines, the exempt base by exemption code, the withholding by type and the
// documents' TaxPayable, for the whole file and by month. One streaming pass.
#ifndef SAFTPT_AUDIT_TAXSUMMARY_H_
#define SAFTPT_AUDIT_TAXSUMMARY_H_

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

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

// One row of the summary's table, in the order shown: each tax (by type and
// region, the highest rate first), the VAT total, the exempt base of each
// exemption code, the withholding of each type, and the documents'
// TaxPayable. Amounts in cents.
struct LinhaResumoIva {
  enum class Tipo { kImposto, kTotalIva, kIsencao, kRetencao, kTaxPayable };
  Tipo tipo = Tipo::kImposto;
  std::string imposto, regiao;  // TaxType and TaxCountryRegion of a tax
  std::string codigo;           // TaxCode, exemption code or withholding type
  long long taxa = -1;          // hundredths of a percent; -1 for none
  std::optional<long long> base, valor;

  // "IVA" (the tax type), "Total do IVA", "Isenção", "Retenção" or
  // "TaxPayable dos documentos".
  std::string Rotulo() const;
};
std::vector<LinhaResumoIva> LinhasResumoIva(const TotaisIva& totais);

// Cents with a comma, the thousands apart: "17 436,77", "-0,50".
std::string EurosPortugues(long long centimos, bool agrupado = true);

// Reads the file. Throws Error when it cannot be read or is not well-formed.
ResumoIva ComputeResumoIva(const std::string& path);

// The table's columns, as the terminal and the window head them.
inline constexpr const char* kColunasResumoIva[] = {"Imposto", "Região", "Código",
                                                    "Taxa",    "Base",   "Valor"};

// The monthly part's heading, and its first column (the month, as Period).
inline constexpr const char* kPorMes = "Por mês";
inline constexpr const char* kColunaMes = "Mês";

// "Resumo do IVA e das retenções na fonte (N documentos de venda não anulados)".
std::string ResumoIvaTitulo(const ResumoIva& resumo);
// A table in Portuguese, for the terminal: the title, the whole file's rows
// and each month's.
std::string ResumoIvaTexto(const ResumoIva& resumo);
// "imposto,regiao,codigo,taxa,base,valor": one IVA (or other TaxType) row per
// tax, one ISENCAO row per exemption code, one RETENCAO row per withholding
// type, then TAXPAYABLE; dot decimals, two places.
std::string ResumoIvaCsv(const ResumoIva& resumo);
// Writes ResumoIvaCsv to `path`. Throws Error (kFile) when it cannot.
void SaveResumoIvaCsv(const ResumoIva& resumo, const std::string& path);

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_TAXSUMMARY_H_
