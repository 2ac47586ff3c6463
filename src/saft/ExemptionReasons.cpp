// The correction dialog's entries split into code and text, and its updates
// of the reasons stored on document lines.
#include "saft/ExemptionReasons.h"

#include "base/Error.h"
#include "base/Utf8.h"
#include "db/Database.h"

namespace saftpt {

MotivoIsencao SeparaMotivo(const std::string& entry) {
  MotivoIsencao m;
  size_t hyphen = entry.find('-');
  if (hyphen == std::string::npos) {
    m.code = Trim(entry);
    return m;
  }
  m.code = Trim(entry.substr(0, hyphen));
  size_t start = hyphen + 1;
  if (start < entry.size() && entry[start] == ' ') ++start;
  m.text = entry.substr(start);
  return m;
}

namespace {

// The lines carrying the reason the dialog was asked about. The check reads
// reasons trimmed, so blanks around them do not count; a reason never typed
// may be stored as Null as well as empty.
std::string MotivoActual(const Database& db, const std::string& reason) {
  std::string texto = Trim(reason);
  // Lines without a reason are only asked about when zero-rated: a taxed
  // line of the same document keeps its empty reason.
  if (texto.empty()) return "(trim(isencaoiva)='' or isencaoiva is null) and iva=0";
  return "trim(isencaoiva)='" + db.Escape(texto) + "'";
}

}  // namespace

unsigned long long ExemptionFixer::UpdateDocument(const MotivoIsencao& chosen) {
  Database& db = connection_();
  return db.ExecuteUpdate("update documentoslinhas set isencaoiva='" + db.Escape(chosen.text) +
                          "',CodMencao='" + db.Escape(chosen.code) + "' where " +
                          MotivoActual(db, case_.currentReason) + " and tipodoc='" +
                          db.Escape(case_.tipodoc) + "' and numero=" + db.Number(case_.numero) +
                          " and serie='" + db.Escape(case_.serie) + "'");
}

unsigned long long ExemptionFixer::UpdateAll(const MotivoIsencao& chosen) {
  // Every line without a reason, taxed ones included, would be changed.
  if (Trim(case_.currentReason).empty())
    throw Error(Error::kBuilder,
                "Não é possível atualizar todas as ocorrências de um motivo de isenção vazio.");
  Database& db = connection_();
  return db.ExecuteUpdate(
      "update documentoslinhas set isencaoiva='" + db.Escape(chosen.text) + "',CodMencao='" +
      db.Escape(chosen.code) + "' where " + MotivoActual(db, case_.currentReason) +
      " and concat(tipodoc,'-',numero,'-',serie) in (select concat(tipodoc,'-',numero,'-',serie) "
      "from documentos where data>='2017/01/01')");
}

}  // namespace saftpt
