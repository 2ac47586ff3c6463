// The set-based reads of a section: the lines, exemption reasons and
// withholding sums of all its documents, each in one statement, and the
// look-ups read once per run.
#include <memory>

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

void clsSAFT::LeSeccao(const std::string& documentos, const std::string& colunas,
                       const std::string& filtro, bool retencoes) {
  LeiturasDaExportacao& l = Leituras();
  l.linhas = LinhasPorDocumento();
  l.motivos.reset();
  l.retencoes.reset();
  if (l.corrigido) return;
  const std::string origem = " from (" + documentos + ") documentos ";

  // In the order the documents are written, so the lines pair with them as
  // they are read.
  l.linhas = LinhasPorDocumento(db_.Execute(
      "select documentos.IDDoc as saft_doc, " + colunas + origem + "left join documentoslinhas on" +
      kChave + " and (" + filtro +
      ") order by documentos.Data,documentos.tipodoc,documentos.numero,documentos.IDDoc,"
      "documentoslinhas.ID"));

  auto& motivos = l.motivos.emplace();
  Recordset rs = db_.Execute(
      "select distinct documentos.IDDoc, trim(documentoslinhas.isencaoiva), "
      "documentoslinhas.CodMencao" +
      origem + "inner join documentoslinhas on" + kChave +
      " where documentoslinhas.valoriva = 0 and documentoslinhas.valorliquido<>0 and "
      "length(trim(documentoslinhas.isencaoiva))>0");
  for (; !rs.eof(); rs.moveNext())
    motivos[rs.field(size_t{0}).integer()].emplace_back(rs.field(1).text(), rs.field(2));

  if (!retencoes) return;
  if (!l.temTipoRetencao) l.temTipoRetencao = db_.ExisteCampo("documentoslinhas", "TipoRetencao");
  const std::string soma = *l.temTipoRetencao
                               ? "round(sum(if(documentoslinhas.TipoRetencao='IRC',"
                                 "documentoslinhas.ValorRetencao,null)),2), "
                                 "round(sum(if(documentoslinhas.TipoRetencao='IRS',"
                                 "documentoslinhas.ValorRetencao,null)),2)"
                               : "null, round(sum(documentoslinhas.ValorRetencao),2)";
  auto& somas = l.retencoes.emplace();
  rs = db_.Execute("select documentos.IDDoc, " + soma + origem + "inner join documentoslinhas on" +
                   kChave + " where documentoslinhas.valorretencao>0 group by documentos.IDDoc");
  auto valor = [](const Value& v) { return v.isNull() ? 0 : v.number("ValorRetencao"); };
  for (; !rs.eof(); rs.moveNext())
    somas[rs.field(size_t{0}).integer()] = {valor(rs.field(1)), valor(rs.field(2))};
}

Linhas clsSAFT::LinhasDoDocumento(const Recordset& rs_doc, const std::string& porDocumento) {
  LeiturasDaExportacao& l = Leituras();
  if (!l.corrigido) {
    if (auto linhas = l.linhas.Retira(rs_doc.field("IDDoc").integer("IDDoc"))) return *linhas;
  }
  Recordset rs = db_.Execute(porDocumento);
  return Linhas::De(rs);
}

}  // namespace saftpt
