// The tax table of the master files (VAT rates, then stamp-duty codes) and
// the tax codes the document lines use.
#include <string>

#include "config/Utf8.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

// The Azores' normal rate: such a rate is the Azores' "NOR" whatever the
// office's own region.
constexpr double kIvaNormalAcores = 16;

// The intermediate rate of each region.
double TaxaIntermedia(const std::string& regiao) {
  if (regiao == "PT-AC") return 9;
  if (regiao == "PT-MA") return 12;
  return 13;
}

}  // namespace

std::string clsSAFT::RegiaoDaTaxa(double PercIva) const {
  return PercIva == kIvaNormalAcores ? "PT-AC" : getEspacoFiscal();
}

// A rate that is neither exempt, normal nor its region's intermediate one
// counts as reduced.
std::string clsSAFT::GetTaxCode(double PercIva) const {
  if (PercIva == 0) return "ISE";
  if (PercIva == office_.Iva || PercIva == kIvaNormalAcores) return "NOR";
  if (PercIva == TaxaIntermedia(RegiaoDaTaxa(PercIva))) return "INT";
  return "RED";
}

// 0 for an unknown code and for a code that carries a fixed amount.
// Read once per code: the rates cannot change during an export.
double clsSAFT::GetISPercentagem(const std::string& Codigo) {
  auto& lidas = Leituras().percentagemSelo;
  auto it = lidas.find(Codigo);
  if (it != lidas.end()) return it->second;
  Recordset rs =
      db_.Execute("select Tipo,Valor from impostoselo where Codigo='" + db_.Escape(Codigo) + "'");
  double valor = 0;
  if (!rs.eof() && rs.text("Tipo") == "Percentagem")
    valor = rs["Valor"].number("impostoselo.Valor");
  lidas[Codigo] = valor;
  return valor;
}

void clsSAFT::AddTaxTable(XmlNode node) {
  progress_.MostraProgresso(3, "TaxTable");
  Recordset rs = db_.Execute("select * from iva");
  XmlNode tabela = node.NewChild("TaxTable", "");
  for (; !rs.eof(); rs.moveNext()) {
    Value nome = rs["nome"];
    double taxa = nome.number("iva.nome");
    XmlNode entrada = tabela.NewChild("TaxTableEntry", "");
    AddValor(entrada, "TaxType", "IVA");
    AddValor(entrada, "TaxCountryRegion", RegiaoDaTaxa(taxa));
    AddValor(entrada, "TaxCode", GetTaxCode(taxa));
    AddValor(entrada, "Description", "IVA");
    AddValor(entrada, "TaxPercentage", FormataNumero(nome, 2));
  }
  rs.close();

  progress_.MostraProgresso(4, "TaxTableIS");
  rs = db_.Execute("select * from impostoselo");
  for (; !rs.eof(); rs.moveNext()) {
    XmlNode entrada = tabela.NewChild("TaxTableEntry", "");
    AddValor(entrada, "TaxType", "IS");
    AddValor(entrada, "TaxCountryRegion", getEspacoFiscal());
    AddValor(entrada, "TaxCode", rs.text("Codigo"));
    AddValor(entrada, "Description", Utf8Left(rs.text("Nome"), 200));
    // Only the exact word marks a rate; anything else is a fixed amount.
    const char* elemento = rs.text("Tipo") == "Percentagem" ? "TaxPercentage" : "TaxAmount";
    AddValor(entrada, elemento, FormataNumero(rs["Valor"], 2));
  }
  rs.close();
}

}  // namespace saftpt
