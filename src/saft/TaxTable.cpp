// The tax table's entries and the codes and regions of VAT rates.
#include "saft/TaxTable.h"

#include "base/Utf8.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// The Azores' normal rate: such a rate is the Azores' "NOR" whatever the
// office's own region.
constexpr double kIvaNormalAcores = 16;

// The intermediate rate of each region.
double IntermediateRate(const std::string& regiao) {
  if (regiao == "PT-AC") return 9;
  if (regiao == "PT-MA") return 12;
  return 13;
}

}  // namespace

// The exact stored words: "açores" or "Acores" are the mainland.
std::string FiscalRegion(const ConfiguracaoEscritorio& office) {
  if (office.espacoFiscal == "Açores") return "PT-AC";
  if (office.espacoFiscal == "Madeira") return "PT-MA";
  return "PT";
}

std::string TaxRegion(const RunContext& ctx, double iva) {
  return iva == kIvaNormalAcores ? "PT-AC" : FiscalRegion(ctx.office);
}

// A rate that is neither exempt, normal nor its region's intermediate one
// counts as reduced.
std::string TaxCode(const RunContext& ctx, double iva) {
  if (iva == 0) return "ISE";
  if (iva == ctx.office.iva || iva == kIvaNormalAcores) return "NOR";
  if (iva == IntermediateRate(TaxRegion(ctx, iva))) return "INT";
  return "RED";
}

void WriteTaxTable(RunContext& ctx, XmlNode masterFiles) {
  ctx.ShowStep(kTaxTableStep);
  Recordset rs = ctx.db.Execute("select * from iva");
  XmlNode tabela = masterFiles.NewChild("TaxTable", "");
  for (; !rs.Eof(); rs.MoveNext()) {
    Value nome = rs["nome"];
    double taxa = nome.Number("iva.nome");
    XmlNode entrada = tabela.NewChild("TaxTableEntry", "");
    AddElement(entrada, "TaxType", "IVA");
    AddElement(entrada, "TaxCountryRegion", TaxRegion(ctx, taxa));
    AddElement(entrada, "TaxCode", TaxCode(ctx, taxa));
    AddElement(entrada, "Description", "IVA");
    AddElement(entrada, "TaxPercentage", FormatNumber(nome, 2));
  }
  rs.Close();

  ctx.ShowStep(kStampDutyStep);
  rs = ctx.db.Execute("select * from impostoselo");
  for (; !rs.Eof(); rs.MoveNext()) {
    XmlNode entrada = tabela.NewChild("TaxTableEntry", "");
    AddElement(entrada, "TaxType", "IS");
    AddElement(entrada, "TaxCountryRegion", FiscalRegion(ctx.office));
    AddElement(entrada, "TaxCode", rs.Text("Codigo"));
    AddElement(entrada, "Description", Utf8Left(rs.Text("Nome"), 200));
    // Only the exact word marks a rate; anything else is a fixed amount.
    const char* elemento = rs.Text("Tipo") == "Percentagem" ? "TaxPercentage" : "TaxAmount";
    AddElement(entrada, elemento, FormatNumber(rs["Valor"], 2));
  }
  rs.Close();
}

}  // namespace saftpt
