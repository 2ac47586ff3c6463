// The "Line" elements of one receipt: for every document it settles, one line
// per VAT rate of that document, scaled by the share of it that was paid.
#include <cmath>

#include "config/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

// Columns of the rate-groups statement by position: the document's own total
// comes under the same name as the group's sum.
constexpr size_t kGrupoIva = 0;
constexpr size_t kGrupoLiquido = 2;
constexpr size_t kGrupoDesconto = 4;
constexpr size_t kGrupoData = 6;
constexpr size_t kDocumentoTotal = 7;
constexpr size_t kGrupoIsencao = 8;
constexpr size_t kGrupoCodMencao = 9;

// Share of the settled document that the receipt line pays. Nearly all of it
// (rounding of the amounts paid) counts as all of it.
double PartePaga(double pago, double totalDocumento) {
  if (totalDocumento == 0) return 1;
  double parte = ArredondaPar(pago / totalDocumento, 10);
  // A deducted credit note may be stored with the opposite sign; the amounts
  // written are absolute anyway.
  if (std::fabs(parte) > 0.99) return 1;
  return parte;
}

}  // namespace

void clsSAFT::AddPaymentLines(XmlNode node_payment, const Recordset& rs_doc) {
  using documentos::Montante;
  Linhas linhas = LinhasDoDocumento(rs_doc);
  // A cancelled receipt is written but its lines do not count in the totals
  // that Gravar checks.
  bool somaTotais = !documentos::Anulado(rs_doc);

  long long numeroLinha = 1;
  for (; !linhas.eof(); linhas.moveNext()) {
    std::string tipodocP = linhas.text("TipoDocP");
    std::string serieP = linhas.text("SerieP");
    std::string numeroP = linhas.text("NumeroP");
    double pago = Montante(linhas, "ValorTotal");
    bool debito = tipodocP == "FA" || tipodocP == "NC";

    Linhas grupos = GruposDaLinha(linhas.field("ID").integer("ID"));
    for (; !grupos.eof(); grupos.moveNext(), ++numeroLinha) {
      double parte = PartePaga(pago, Montante(grupos.field(kDocumentoTotal), "ValorTotal"));

      XmlNode line = node_payment.NewChild("Line", "");
      AddValor(line, "LineNumber", std::to_string(numeroLinha));
      XmlNode origem = line.NewChild("SourceDocumentID", "");
      AddValor(origem, "OriginatingON", tipodocP + " " + serieP + "/" + numeroP);
      AddValor(origem, "InvoiceDate", FormataData(grupos.field(kGrupoData).date("data")));

      double desconto = Montante(grupos.field(kGrupoDesconto), "ValorDesconto");
      AddValor(line, "SettlementAmount",
               FormataNumero(std::fabs(ArredondaPar(desconto * parte, 2)), 0));

      double valor =
          std::fabs(std::fabs(Montante(grupos.field(kGrupoLiquido), "ValorLiquido")) * parte);
      AddValor(line, debito ? "DebitAmount" : "CreditAmount", FormataNumero(valor, 2));
      if (somaTotais)
        (debito ? PagamentosSomaDebito : PagamentosSomaCredito) += ArredondaNumero(valor, 2);

      double iva = grupos.field(kGrupoIva).number("iva");
      documentos::AddImpostoIva(line, *this, iva);
      std::string codigo = grupos.field(kGrupoCodMencao).text();
      if (!codigo.empty()) {
        std::string isencao = grupos.field(kGrupoIsencao).text();
        AddValor(line, "TaxExemptionReason", Utf8Left(isencao, 60));
        if (versao >= 4) {
          if (Trim(codigo).empty()) codigo = Get_CodMencao(isencao);
          AddValor(line, "TaxExemptionCode", codigo);
        }
      }
    }
  }
}

}  // namespace saftpt
