// A document's lines: product, quantity and price, amount, VAT and reason.
#include "saft/DocumentLines.h"

#include <cmath>
#include <string>

#include "base/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/ExemptionCheck.h"
#include "saft/Products.h"
#include "saft/ValueFormat.h"

namespace saftpt {

SectionRead DocumentLinesRead(const RunContext& ctx, const std::string& filter,
                              const std::string& retencaoFilter) {
  SectionRead read;
  read.columns = documentos::LineColumns(ctx.options.schema);
  read.filter = filter;
  read.retencaoFilter = retencaoFilter;
  read.reasons = true;
  return read;
}

void AddCheckedLinesAndTotals(RunContext& ctx, SectionReader& reader, XmlNode document,
                              const Recordset& rsDoc, const LineTextWidths& widths) {
  using namespace documentos;
  const bool v103 = ctx.V103();
  const DocumentKind* kind = FindDocumentKind(rsDoc.Text("tipodoc"));
  CheckDocumentReasons(ctx, reader, rsDoc);
  DocumentRows rs = reader.TakeLines(rsDoc);
  const std::string dataDocumento = DocumentDate(rsDoc);

  long long numeroLinha = 1;
  for (; !rs.Eof(); rs.MoveNext(), ++numeroLinha) {
    XmlNode line = document.NewChild("Line", "");
    AddElement(line, "LineNumber", std::to_string(numeroLinha));
    std::string produto = ProductCode(ctx, rs.Field("Referencia"));
    AddElement(line, "ProductCode", ProductCodeText(ctx, produto));
    AddElement(line, "ProductDescription",
               produto == "DIVERSOS"
                   ? produto
                   : Utf8Left(ProductDescription(ctx, produto), widths.productDescription));
    AddElement(line, "Quantity", FormatNumber(rs.Field("Quant"), 2));
    AddElement(line, "UnitOfMeasure", "UN");
    double quant = Amount(rs, "Quant");
    double preco = std::fabs(Amount(rs, "Preco"));
    double desconto = Amount(rs, "ValorDesconto");
    // The line's discount is spread over its quantity.
    AddElement(line, "UnitPrice",
               FormatNumber(preco - std::fabs(desconto / (quant == 0 ? 1 : quant)), 2));
    AddElement(line, "TaxPointDate", dataDocumento);
    Value descricao = rs.Field("Descricao");
    AddElement(
        line, "Description",
        descricao.IsNull() ? "DESCONHECIDO" : Utf8Left(descricao.Text(), widths.description));
    const double liquido = Amount(rs, "ValorLiquido");
    AddLineAmount(line, kind ? SideOfLine(*kind, liquido) : LineSide::kNone, liquido);

    // The schema allows one tax per line: the VAT. A line's stamp duty is
    // part of the document's TaxPayable.
    double iva = LineTaxRate(rs.Field("Iva"), rsDoc);
    AddLineVat(line, ctx, iva);
    AddIsencaoIva(ctx, line, iva, rs.Text("IsencaoIva"), v103 ? "" : rs.Text("CodMencao"));
    AddElement(line, "SettlementAmount", FormatNumber(std::fabs(desconto), 2));
  }
  AddDocumentTotals(document, rsDoc, true);
}

}  // namespace saftpt
