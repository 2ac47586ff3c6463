// The exemption check's rules and the look-up of a reason's code.
#include "saft/ExemptionCheck.h"

#include "base/Error.h"
#include "base/Utf8.h"
#include "saft/ValueFormat.h"

namespace saftpt {

bool IsAcceptedReason(const std::string& texto, const std::vector<std::string>& accepted) {
  std::string procurado = Utf8Upper(Trim(texto));
  for (const std::string& item : accepted)
    if (Utf8Upper(Trim(item)) == procurado) return true;
  return false;
}

namespace {

// Asks the resolver about one case, with the period's entries of the table;
// throws "Exportação do ficheiro cancelada." when it does not correct it.
void AskCorrection(RunContext& ctx, SectionReader& reader, const std::string& tipodoc,
                   const std::string& serie, const std::string& numero, const std::string& reason) {
  const ExemptionCase c{tipodoc,
                        serie,
                        numero,
                        reason,
                        ctx.options.start,
                        ctx.options.motivos.Offered(ctx.options.start)};
  ExemptionFixer fixer([&ctx]() -> Database& { return ctx.Corrections(); }, c);
  if (!ctx.resolver.Resolve(c, fixer))
    throw Error(Error::kBuilder, "Exportação do ficheiro cancelada.");
  // The reasons of document lines were rewritten: what was read ahead is stale.
  ctx.corrected = true;
  reader.Invalidate();
}

// IsAcceptedReason, asked once a run for each text.
bool IsAcceptedInRun(RunContext& ctx, const std::string& texto) {
  auto [it, novo] = ctx.reads.reasonAccepted.try_emplace(texto, false);
  if (novo) it->second = IsAcceptedReason(texto, ctx.settings.acceptedReasons);
  return it->second;
}

}  // namespace

void CheckDocumentReasons(RunContext& ctx, SectionReader& reader, const Recordset& rsDoc) {
  std::string tipodoc = rsDoc.Text("tipodoc");
  std::string serie = rsDoc.Text("serie");
  std::string numero = rsDoc.Text("numero");
  // The section's reasons, read again for this document after a correction.
  const std::vector<LineReason> motivos = reader.Reasons(rsDoc);
  // The rows already read are gone through even after a correction: the
  // lines are read afresh when they are written.
  for (const LineReason& m : motivos) {
    // An accepted text is still refused with a code the table withdrew for
    // the period (M03, M08, M17 and M18 after 2023-01-01).
    bool recusado = m.checkText &&
                    (!IsAcceptedInRun(ctx, m.texto) ||
                     (!m.codMencao.IsNull() &&
                      ctx.options.motivos.IsWithdrawnCode(m.codMencao.Text(), ctx.options.start)));
    // A zero-rated line is written with its reason and code: without them the
    // authority rejects the file.
    if (!recusado && m.zeroRate)
      recusado = m.texto.empty() || (!ctx.V103() && Trim(m.codMencao.Text()).empty() &&
                                     CodMencaoFor(ctx, m.texto).empty());
    if (recusado) AskCorrection(ctx, reader, tipodoc, serie, numero, m.texto);
  }
}

void CheckReceiptReasons(RunContext& ctx, SectionReader& reader, const Recordset& rsDoc) {
  // Zero-rated lines of the documents this receipt pays that carry no code,
  // whatever their text; a Null code is as missing as an empty one.
  for (const UncodedLine& c : reader.Uncoded(rsDoc))
    AskCorrection(ctx, reader, c.tipodoc, c.serie, c.numero, c.isencao);
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
