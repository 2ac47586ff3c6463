// "WorkingDocuments": the fee quotations of the period and their lines.
#include <cmath>

#include "config/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

std::string clsSAFT::DocumentosOrcamentos() const {
  return "select * from documentos where ((tipodoc = 'OR' )  AND Serie<>'tmp' and data>='" +
         FormataData(options_.start) + "' and data<='" + FimDoPeriodo() + "') " +
         RestricaoDocumentos();
}

void clsSAFT::AddWorkingDocuments(XmlNode node) {
  using namespace documentos;
  progress_.MostraProgresso(7, "WorkingDocuments");
  const std::string documentos = DocumentosOrcamentos();
  Recordset rs = db_.Execute(documentos + " order by Data,tipodoc,numero");
  progress_.IniciaProgressoDetalhe(static_cast<long long>(rs.recordCount()));
  XmlNode working = node.NewChild("WorkingDocuments", "");

  long long entradas = 0;
  for (; !rs.eof(); rs.moveNext())
    if (rs.text("tipodoc") == "OR") ++entradas;

  LeituraDaSeccao leitura;
  leitura.colunas = ColunasDasLinhas(versao);
  leitura.filtro = "true";
  leitura.motivos = true;
  LeSeccao(documentos, leitura);
  TotaisDaSeccao totais = SomaDasLinhas();
  AddControlo(working, entradas, totais.Debito(), totais.Credito());
  NumeroOrcamentos = entradas;
  TotalCreditosOrcamentos = totais.Credito();
  TotalDebitosOrcamentos = totais.Debito();

  long long progresso = 1;
  for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
    progress_.MostraProgressoDetalhe(++progresso);
    XmlNode work = working.NewChild("WorkDocument", "");
    AddValor(work, "DocumentNumber", NumeroDocumento(rs));
    AddValor(work, "ATCUD", AtcudTexto(rs.field("ATCUD"), NumeroDocumento(rs)));
    AddEstado(work, rs, "WorkStatus", "WorkStatusDate", "SourceBilling");
    bool assinado = OrcamentosAssinados && !rs.text("Assinatura").empty();
    AddValor(work, "Hash", assinado ? rs.text("Assinatura") : "0");
    AddValor(work, "HashControl", assinado ? rs.text("VersaoChavePrivada") : "0");
    AddValor(work, "Period", Periodo(rs));
    AddValor(work, "WorkDate", FormataData(rs.field("Data").date("Data")));
    if (rs.text("tipodoc") == "OR") AddValor(work, "WorkType", "OR");
    AddValor(work, "SourceID", "DESCONHECIDO");
    AddValor(work, "SystemEntryDate", DataEntrada(rs));

    AddValor(work, "CustomerID",
             CustomerIDDocumento(rs.field("CodCliente"), rs.text("NContribuinteCliente")));

    ValidaMotivosIsencaoIva(rs);
    AddworkingDocumentLines(work, rs);
    AddTotais(work, rs, true);
  }
  rs.close();
}

void clsSAFT::AddworkingDocumentLines(XmlNode node_workingdocument, const Recordset& rs_doc) {
  using namespace documentos;
  bool v103 = versao == 3;
  std::string tipodoc = rs_doc.text("tipodoc");
  Linhas rs = LinhasDoDocumento(rs_doc);
  std::string dataDocumento = FormataData(rs_doc.field("Data").date("Data"));

  long long numeroLinha = 1;
  for (; !rs.eof(); rs.moveNext(), ++numeroLinha) {
    XmlNode line = node_workingdocument.NewChild("Line", "");
    AddValor(line, "LineNumber", std::to_string(numeroLinha));
    std::string produto = CodigoProduto(rs.field("Referencia"));
    // Cut as the product table cuts it, so the line points at its product.
    AddValor(line, "ProductCode", Utf8Left(produto, v103 ? 30 : 60));
    AddValor(line, "ProductDescription",
             produto == "DIVERSOS" ? produto : Utf8Left(GetProductDescription(produto), 60));
    AddValor(line, "Quantity", FormataNumero(rs.field("Quant"), 2));
    AddValor(line, "UnitOfMeasure", "UN");
    double quant = Montante(rs, "Quant");
    double desconto = Montante(rs, "ValorDesconto");
    AddValor(
        line, "UnitPrice",
        FormataNumero(
            std::fabs(Montante(rs, "Preco")) - std::fabs(desconto / (quant == 0 ? 1 : quant)), 2));
    AddValor(line, "TaxPointDate", dataDocumento);
    Value descricao = rs.field("Descricao");
    AddValor(line, "Description",
             descricao.isNull() ? "DESCONHECIDO" : Utf8Left(descricao.text(), 200));
    AddMontanteLinha(line, tipodoc, Montante(rs, "ValorLiquido"));

    // The schema allows one tax per line: the VAT. A line's stamp duty is
    // part of the document's TaxPayable.
    double iva = TaxaDaLinha(rs.field("Iva"), rs_doc);
    AddImpostoIva(line, *this, iva);
    AddIsencaoLinha(line, iva, rs.text("IsencaoIva"), v103 ? "" : rs.text("CodMencao"));

    AddValor(line, "SettlementAmount", FormataNumero(std::fabs(desconto), 2));
  }
}

}  // namespace saftpt
