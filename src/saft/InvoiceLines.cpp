// The "Line" elements of one sales document.
#include <cmath>

#include "config/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

void clsSAFT::AddInvoiceLines(XmlNode node_invoice, const Recordset& rs_doc) {
  using namespace documentos;
  bool v103 = versao == 3;
  std::string tipodoc = rs_doc.text("tipodoc");
  Linhas rs = LinhasDoDocumento(rs_doc);
  std::string dataDocumento = FormataData(rs_doc.field("Data").date("Data"));

  long long numeroLinha = 1;
  for (; !rs.eof(); rs.moveNext(), ++numeroLinha) {
    XmlNode line = node_invoice.NewChild("Line", "");
    AddValor(line, "LineNumber", std::to_string(numeroLinha));
    std::string produto = CodigoProduto(rs.field("Referencia"));
    AddValor(line, "ProductCode", Utf8Left(produto, v103 ? 30 : 60));
    AddValor(line, "ProductDescription",
             produto == "DIVERSOS" ? produto
                                   : Utf8Left(GetProductDescription(produto), v103 ? 60 : 200));
    AddValor(line, "Quantity", FormataNumero(rs.field("Quant"), 2));
    AddValor(line, "UnitOfMeasure", "UN");
    double quant = Montante(rs, "Quant");
    double preco = std::fabs(Montante(rs, "Preco"));
    double desconto = Montante(rs, "ValorDesconto");
    // The line's discount is spread over its quantity.
    AddValor(line, "UnitPrice",
             FormataNumero(preco - std::fabs(desconto / (quant == 0 ? 1 : quant)), 2));
    AddValor(line, "TaxPointDate", dataDocumento);
    Value descricao = rs.field("Descricao");
    AddValor(line, "Description",
             descricao.isNull() ? "DESCONHECIDO" : Utf8Left(descricao.text(), 60));

    AddMontanteLinha(line, tipodoc, Montante(rs, "ValorLiquido"));

    double iva = TaxaDaLinha(rs.field("Iva"), rs_doc);
    AddImpostoIva(line, *this, iva);
    AddIsencaoLinha(line, iva, rs.text("IsencaoIva"), v103 ? "" : rs.text("CodMencao"));
    AddValor(line, "SettlementAmount", FormataNumero(std::fabs(desconto), 2));
  }
}

}  // namespace saftpt
