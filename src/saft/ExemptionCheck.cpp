// The exemption check's rules and the look-up of a reason's code.
#include "saft/ExemptionCheck.h"

#include "config/Error.h"
#include "config/Utf8.h"
#include "saft/SectionReads.h"
#include "saft/ValueFormat.h"

namespace saftpt {

bool IsAcceptedReason(const std::string& texto, const std::vector<std::string>& accepted) {
  std::string procurado = Utf8Upper(Trim(texto));
  for (const std::string& item : accepted)
    if (Utf8Upper(Trim(item)) == procurado) return true;
  return false;
}

namespace {

// Asks the resolver about one case; throws "Exportação do ficheiro
// cancelada." when it does not correct it.
void AskCorrection(RunContext& ctx, const ExemptionCase& c) {
  ExemptionFixer fixer([&ctx]() -> Database& { return ctx.Corrections(); }, c);
  if (!ctx.resolver.Resolve(c, fixer))
    throw Error(Error::kBuilder, "Exportação do ficheiro cancelada.");
  // The reasons of document lines were rewritten: what was read ahead is stale.
  ++ctx.reads.corrections;
}

}  // namespace

void CheckDocumentReasons(RunContext& ctx, const Recordset& rsDoc) {
  std::string tipodoc = rsDoc.Text("tipodoc");
  std::string serie = rsDoc.Text("serie");
  std::string numero = rsDoc.Text("numero");
  // The section's reasons, read again for this document after a correction.
  RereadDocument(ctx, rsDoc);
  const RunReads& l = ctx.reads;
  std::vector<LineReason> motivos;
  if (l.reasons) {
    auto it = l.reasons->find(rsDoc.Field("IDDoc").Integer("IDDoc"));
    if (it != l.reasons->end()) motivos = it->second;
  }
  // The deprecated codes are refused only for periods starting after the day
  // the new table took effect.
  bool verificaCodigos = ctx.options.start.DateOnly() > kNewMotivosTable;
  // The rows already read are gone through even after a correction: the
  // lines are read afresh when they are written.
  for (const LineReason& m : motivos) {
    bool recusado =
        m.checkText &&
        (!IsAcceptedReason(m.texto, ctx.acceptedReasons) ||
         (verificaCodigos && !m.codMencao.IsNull() && IsDiscontinuedCodMencao(m.codMencao.Text())));
    // A zero-rated line is written with its reason and code: without them the
    // authority rejects the file.
    if (!recusado && m.zeroRate)
      recusado = m.texto.empty() || (ctx.options.versao >= 4 && Trim(m.codMencao.Text()).empty() &&
                                     CodMencaoFor(ctx, m.texto).empty());
    if (recusado)
      AskCorrection(ctx, ExemptionCase{tipodoc, serie, numero, m.texto, ctx.options.start});
  }
}

void CheckReceiptReasons(RunContext& ctx, const Recordset& rsDoc) {
  // Zero-rated lines of the documents this receipt pays that carry no code,
  // whatever their text; a Null code is as missing as an empty one.
  RereadDocument(ctx, rsDoc);
  const RunReads& l = ctx.reads;
  if (!l.uncoded) return;
  auto it = l.uncoded->find(rsDoc.Field("IDDoc").Integer("IDDoc"));
  if (it == l.uncoded->end()) return;
  // Copied: a correction may not leave the read-ahead rows in place.
  const auto casos = it->second;
  for (const auto& c : casos)
    AskCorrection(ctx, ExemptionCase{c[0], c[1], c[2], c[3], ctx.options.start});
}

// Read once per distinct text: the table cannot change during an export.
std::string CodMencaoFor(RunContext& ctx, const std::string& texto) {
  auto& lidos = ctx.reads.codMencao;
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
             ctx.db
                 .ReadValue("CodMencao", "tipoisencaoiva",
                            "trim(Nome) like '" + ctx.db.Escape(padrao) + "'", Value(std::string()))
                 .Text();
}

void AddIsencaoIva(RunContext& ctx, XmlNode line, double iva, const std::string& isencao,
                   const std::string& codMencao) {
  if (iva != 0 || Trim(isencao).empty()) return;
  AddElement(line, "TaxExemptionReason", Utf8Left(isencao, 60));
  if (ctx.V103()) return;
  AddElement(line, "TaxExemptionCode",
             Trim(codMencao).empty() ? CodMencaoFor(ctx, isencao) : codMencao);
}

}  // namespace saftpt
