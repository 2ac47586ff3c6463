// The check of the exemption reasons of each exported document, before its
// lines are written, and the look-up of a reason's code.
#include "config/Error.h"
#include "config/Utf8.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

// Lines with a net value whose reason is looked at: a line without VAT naming
// a reason (its text must be one the authority accepts), and every zero-rated
// line (it must have a reason and, in 1.04_01, a code).
const char* const kColunasMotivos =
    "trim(documentoslinhas.isencaoiva), documentoslinhas.CodMencao, "
    "(documentoslinhas.valoriva = 0 and length(trim(documentoslinhas.isencaoiva))>0), "
    "documentoslinhas.iva = 0";
const char* const kFiltroMotivos =
    "documentoslinhas.valorliquido<>0 and ((documentoslinhas.valoriva = 0 and "
    "length(trim(documentoslinhas.isencaoiva))>0) or documentoslinhas.iva = 0)";

void clsSAFT::Init_Motivos_Isencao() {
  col_motivos_isencao = MotivosAceites(options_.start);
}

bool clsSAFT::Exists_in_col(const std::string& value, const std::vector<std::string>& col) {
  std::string procurado = Utf8Upper(Trim(value));
  for (const std::string& item : col)
    if (Utf8Upper(Trim(item)) == procurado) return true;
  return false;
}

void clsSAFT::PedeCorrecao(const ExemptionCase& c) {
  ExemptionFixer fixer(db_, c);
  if (!resolver_.Resolve(c, fixer))
    throw Error(Error::kBuilder, "Exportação do ficheiro cancelada.");
  // The reasons of document lines were rewritten: what was read ahead is stale.
  ++Leituras().correcoes;
}

void clsSAFT::ValidaMotivosIsencaoIva(const Recordset& rs_doc) {
  std::string tipodoc = rs_doc.text("tipodoc");
  std::string serie = rs_doc.text("serie");
  std::string numero = rs_doc.text("numero");
  // The section's reasons, read again for this document after a correction.
  ReleDocumento(rs_doc);
  const LeiturasDaExportacao& l = Leituras();
  std::vector<MotivoDaLinha> motivos;
  if (l.motivos) {
    auto it = l.motivos->find(rs_doc.field("IDDoc").integer("IDDoc"));
    if (it != l.motivos->end()) motivos = it->second;
  }
  // The deprecated codes are refused only for periods starting after the day
  // the new table took effect.
  bool verificaCodigos = options_.start.DateOnly() > kNovaTabelaIsencoes;
  // The rows already read are gone through even after a correction: the
  // lines are read afresh when they are written.
  for (const MotivoDaLinha& m : motivos) {
    bool recusado =
        m.verificaTexto &&
        (!Exists_in_col(m.texto, col_motivos_isencao) ||
         (verificaCodigos && !m.codigo.isNull() && CodigoDescontinuado(m.codigo.text())));
    // A zero-rated line is written with its reason and code: without them the
    // authority rejects the file.
    if (!recusado && m.taxaZero)
      recusado = m.texto.empty() ||
                 (versao >= 4 && Trim(m.codigo.text()).empty() && Get_CodMencao(m.texto).empty());
    if (recusado) PedeCorrecao(ExemptionCase{tipodoc, serie, numero, m.texto, options_.start});
  }
}

void clsSAFT::ValidaMotivosIsencaoIvaPayments(const Recordset& rs_doc) {
  // Zero-rated lines of the documents this receipt pays that carry no code,
  // whatever their text; a Null code is as missing as an empty one.
  ReleDocumento(rs_doc);
  const LeiturasDaExportacao& l = Leituras();
  if (!l.semCodigo) return;
  auto it = l.semCodigo->find(rs_doc.field("IDDoc").integer("IDDoc"));
  if (it == l.semCodigo->end()) return;
  // Copied: a correction may not leave the read-ahead rows in place.
  const auto casos = it->second;
  for (const auto& c : casos) PedeCorrecao(ExemptionCase{c[0], c[1], c[2], c[3], options_.start});
}

// Read once per distinct text: the table cannot change during an export.
std::string clsSAFT::Get_CodMencao(const std::string& texto) {
  auto& lidos = Leituras().codMencao;
  auto it = lidos.find(texto);
  if (it != lidos.end()) return it->second;
  // LIKE as the table has always been searched (its collation's case rules),
  // but a "%" or "_" in a reason only matches itself.
  std::string padrao;
  for (char c : Trim(texto)) {
    if (c == '\\' || c == '%' || c == '_') padrao += '\\';
    padrao += c;
  }
  return lidos[texto] =
             db_.ObtemValor("CodMencao", "tipoisencaoiva",
                            "trim(Nome) like '" + db_.Escape(padrao) + "'", Value(std::string()))
                 .text();
}

void clsSAFT::AddIsencaoLinha(XmlNode line, double iva, const std::string& isencao,
                              const std::string& codigo) {
  if (iva != 0 || Trim(isencao).empty()) return;
  AddValor(line, "TaxExemptionReason", Utf8Left(isencao, 60));
  if (versao == 3) return;
  AddValor(line, "TaxExemptionCode", Trim(codigo).empty() ? Get_CodMencao(isencao) : codigo);
}

}  // namespace saftpt
