// The set-based reads of a section: the lines, exemption reasons and
// withholding sums of all its documents, each in one statement, and the
// look-ups read once per run.
#include <memory>
#include <optional>

#include "saft/DocumentCommon.h"
#include "saft/RunReads.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

// Lines are tied to their document by type, series and number, as the
// per-document statements select them.
constexpr const char* kChave =
    " documentoslinhas.tipodoc=documentos.tipodoc and documentoslinhas.Serie=documentos.serie "
    "and documentoslinhas.numero=documentos.numero";

}  // namespace

LeiturasDaExportacao& clsSAFT::Leituras() {
  if (!leituras_) leituras_ = std::make_unique<LeiturasDaExportacao>();
  return *leituras_;
}

void clsSAFT::LeSeccao(const std::string& documentos, const LeituraDaSeccao& leitura) {
  LeiturasDaExportacao& l = Leituras();
  l.seccao = leitura;
  l.lidasComCorrecoes = l.correcoes;
  l.lidoSo.reset();
  l.linhas = LinhasPorDocumento();
  l.motivos.reset();
  l.retencoes.reset();
  const std::string origem = " from (" + documentos + ") documentos ";

  // In the order the documents are written, so the lines pair with them as
  // they are read. The document's type and status come along for the
  // section's totals.
  l.linhas = LinhasPorDocumento(db_.Execute(
      "select documentos.IDDoc as saft_doc, " + leitura.colunas +
      ", documentos.tipodoc as saft_tipodoc, documentos.Anulado as saft_anulado" + origem +
      "left join documentoslinhas on" + kChave + " and (" + leitura.filtro +
      ") order by documentos.Data,documentos.tipodoc,documentos.numero,documentos.IDDoc,"
      "documentoslinhas.ID"));

  Recordset rs;
  if (leitura.motivos) {
    auto& lidos = l.motivos.emplace();
    rs = db_.Execute("select distinct documentos.IDDoc, " + std::string(kColunasMotivos) + origem +
                     "inner join documentoslinhas on" + kChave + " where " + kFiltroMotivos);
    for (; !rs.eof(); rs.moveNext())
      lidos[rs.field(size_t{0}).integer()].push_back(
          {rs.field(1).text(), rs.field(2), rs.field(3).boolean(), rs.field(4).boolean()});
  }

  if (!leitura.filtroRetencoes.empty()) {
    // Without the TipoRetencao column everything withheld is IRS.
    if (!l.temTipoRetencao) l.temTipoRetencao = db_.ExisteCampo("documentoslinhas", "TipoRetencao");
    const std::string soma = *l.temTipoRetencao
                                 ? "round(sum(if(documentoslinhas.TipoRetencao='IRC',"
                                   "documentoslinhas.ValorRetencao,null)),2), "
                                   "round(sum(if(documentoslinhas.TipoRetencao='IRS',"
                                   "documentoslinhas.ValorRetencao,null)),2)"
                                 : "null, round(sum(documentoslinhas.ValorRetencao),2)";
    auto& somas = l.retencoes.emplace();
    rs =
        db_.Execute("select documentos.IDDoc, " + soma + origem + "inner join documentoslinhas on" +
                    kChave + " where " + leitura.filtroRetencoes + " group by documentos.IDDoc");
    auto valor = [](const Value& v) { return v.isNull() ? 0 : v.number("ValorRetencao"); };
    for (; !rs.eof(); rs.moveNext())
      somas[rs.field(size_t{0}).integer()] = {valor(rs.field(1)), valor(rs.field(2))};
  }

  if (leitura.pagamentos)
    LePagamentos(origem,
                 "inner join documentoslinhas pl on pl.tipodoc=documentos.tipodoc and "
                 "pl.Serie=documentos.serie and pl.numero=documentos.numero ");
}

void clsSAFT::ReleDocumento(const Recordset& rs_doc) {
  LeiturasDaExportacao& l = Leituras();
  const long long id = rs_doc.field("IDDoc").integer("IDDoc");
  if (l.lidasComCorrecoes == l.correcoes && (!l.lidoSo || *l.lidoSo == id)) return;
  const LeituraDaSeccao leitura = l.seccao;
  LeSeccao("select * from documentos where IDDoc=" + std::to_string(id), leitura);
  l.lidoSo = id;
}

TotaisDaSeccao clsSAFT::SomaDasLinhas() {
  using namespace documentos;
  TotaisDaSeccao totais;
  // Cancelled documents are written but left out of the totals.
  Leituras().linhas.ParaCadaLinha([&totais](const Recordset& linha) {
    if (linha.field("saft_anulado").boolean("Anulado")) return;
    double liquido = Montante(linha, "ValorLiquido");
    totais.Soma(LadoDaLinha(linha.text("saft_tipodoc"), liquido), liquido);
  });
  return totais;
}

void clsSAFT::LePagamentos(const std::string& origem, const std::string& recibo) {
  LeiturasDaExportacao& l = Leituras();
  l.grupos = LinhasPorDocumento();
  l.semCodigo.reset();
  const std::string ordem =
      "documentos.Data,documentos.tipodoc,documentos.numero,documentos.IDDoc,pl.ID";

  // One row per VAT rate of each settled document, as the receipt's lines
  // are written; a line settling nothing still has its row.
  l.grupos = LinhasPorDocumento(
      db_.Execute("select pl.ID as saft_linha, max(l.ID) as saft_marca, l.iva, "
                  "Sum(l.ValorIva) as ValorIva, sum(l.ValorLiquido) as ValorLiquido, "
                  "sum(l.ValorTotal) as ValorTotal, sum(l.ValorDesconto) as ValorDesconto, "
                  "sum(l.ValorRetencao) as ValorRetencao, d.data, d.ValorTotal, l.IsencaoIva, "
                  "l.codmencao" +
                  origem + recibo +
                  "and pl.tipodocp<>'' left join (documentoslinhas l inner join documentos d on "
                  "l.IDDoc = d.IDDoc) on l.tipodoc=pl.TipoDocP and l.serie=pl.SerieP and "
                  "l.numero=pl.NumeroP and l.valorliquido<>0 group by " +
                  ordem + ",l.Iva order by " + ordem + ",l.Iva"),
      2);

  if (versao < 4) return;
  auto& semCodigo = l.semCodigo.emplace();
  Recordset rs = db_.Execute(
      "select distinct documentos.IDDoc, l.ID, l.tipodoc, l.serie, l.numero, l.isencaoiva" +
      origem + recibo +
      "inner join documentoslinhas l on l.iddoc=pl.iddocp where (l.codmencao is null or "
      "length(l.codmencao)=0) and l.valorliquido>0 and l.iva=0 order by documentos.IDDoc, l.ID");
  for (; !rs.eof(); rs.moveNext())
    semCodigo[rs.field(size_t{0}).integer()].push_back(
        {rs.field(2).text(), rs.field(3).text(), rs.field(4).text(), rs.field(5).text()});
}

Linhas clsSAFT::GruposDaLinha(long long id) {
  std::optional<Linhas> grupos = Leituras().grupos.Retira(id);
  return grupos ? *grupos : Linhas();
}

// The customers' tax numbers, read once per run. A code not read exactly as
// stored is looked up alone, with the table's own comparison.
Value clsSAFT::NifDoCliente(const std::string& codigo) {
  auto& lidos = Leituras().nifPorCliente;
  if (!lidos) {
    lidos.emplace();
    Recordset rs = db_.Execute("select CodCliente, NContribuinte from clientes");
    for (; !rs.eof(); rs.moveNext())
      lidos->emplace(rs.field(size_t{0}).text(), rs.field(1).isNull() ? Value("") : rs.field(1));
  }
  auto it = lidos->find(codigo);
  if (it != lidos->end()) return it->second;
  return (*lidos)[codigo] =
             db_.ObtemValor("NContribuinte", "clientes", "CodCliente='" + db_.Escape(codigo) + "'",
                            Value(std::string()));
}

Linhas clsSAFT::LinhasDoDocumento(const Recordset& rs_doc) {
  ReleDocumento(rs_doc);
  std::optional<Linhas> linhas = Leituras().linhas.Retira(rs_doc.field("IDDoc").integer("IDDoc"));
  return linhas ? *linhas : Linhas();
}

void clsSAFT::AddRetencoesDoDocumento(XmlNode parent, const Recordset& rs_doc) {
  const auto& somas = Leituras().retencoes;
  if (!somas) return;
  auto it = somas->find(rs_doc.field("IDDoc").integer("IDDoc"));
  if (it != somas->end()) documentos::EscreveRetencoes(parent, it->second.first, it->second.second);
}

}  // namespace saftpt
