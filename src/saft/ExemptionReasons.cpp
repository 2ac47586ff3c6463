// The tax authority's tables of VAT-exemption reasons, by period, and the
// correction dialog's updates of the reasons stored on document lines.
#include "saft/ExemptionReasons.h"

#include "config/Database.h"
#include "config/Error.h"
#include "config/Utf8.h"

namespace saftpt {

namespace {

// Texts accepted for periods starting before 2023-01-01.
const std::vector<std::string> kAceitesAntigos = {
    "Artigo 16.º n.º 6 do CIVA (ou similar)",
    "Artigo 6.º do Decreto-Lei n.º 198/90, de 19 de Junho",
    "Exigibilidade de caixa",
    "Isento Artigo 13.º do CIVA (ou similar)",
    "Isento Artigo 14.º do CIVA (ou similar)",
    "Isento Artigo 15.º do CIVA (ou similar)",
    "Isento Artigo 9.º do CIVA (ou similar)",
    "IVA - autoliquidação",
    "IVA - não confere direito a dedução",
    "IVA - Regime de isenção",
    "Regime particular do tabaco",
    "Regime da margem de lucro - Agências de viagens",
    "Regime da margem de lucro - Bens em segunda mão",
    "Regime da margem de lucro - Objetos de arte",
    "Regime da margem de lucro - Objetos de coleção e antiguidades",
    "Não sujeito; não tributado (ou similar)",
};

// Texts accepted for periods starting on 2023-01-01 or later.
const std::vector<std::string> kAceitesNovos = {
    "Artigo 16.º, n.º 6 do CIVA - Artigo 16.º, n.º 6, alíneas a) a d) do CIVA",
    "Artigo 6.º do Decreto-Lei n.º 198/90, de 19 de junho",
    "Isento artigo 13.º do CIVA",
    "Isento artigo 14.º do CIVA",
    "Isento Artigo 15.º do CIVA",
    "Isento Artigo 9.º do CIVA",
    "IVA - não confere direito a dedução - Artigo 62.º alínea b) do CIVA",
    "IVA - regime de isenção - Artigo 57.º do CIVA",
    "Regime particular do tabaco",
    "Regime da margem de lucro - Agências de viagens",
    "Regime da margem de lucro - Bens em segunda mão",
    "Regime da margem de lucro - Objetos de arte",
    "Regime da margem de lucro - Objetos de coleção e antiguidades",
    "Isento Artigo 14.º do RITI",
    "Outras isenções - Isenções temporárias determinadas em diploma próprio",
    "IVA - Regime forefetário",
    "IVA - não confere direito à dedução (ou expressão similar) - Artigo 72.º n.º 4 do CIVA",
    "IVA - autoliquidação - Artigo 2.º n.º 1 alínea i) do CIVA",
    "IVA - autoliquidação - Artigo 2.º n.º 1 alínea j) do CIVA",
    "IVA - autoliquidação - Artigo 2.º n.º 1 alínea l) do CIVA",
    "IVA - autoliquidação - Artigo 2.º n.º 1 alínea m) do CIVA",
    "IVA - autoliquidação - Artigo 6.º n.º 6 alínea a) do CIVA, a contrário",
    "IVA - autoliquidação - Artigo 8.º n.º 3 do RITI",
    "IVA - autoliquidação - Decreto-Lei n.º 21/2007, de 29 de janeiro",
    "IVA - autoliquidação - Decreto-Lei n.º 362/99, de 16 de setembro",
    "Não sujeito ou não tributado - Outras situações de não liquidação do imposto",
    "Não sujeito ou não tributado - Outras situações de não liquidação do imposto (Ex: artigo 2.º, "
    "n.º 2  artigo 3.º, n.ºs 4, 6 e 7 artigo 4.º, n.º 5, todos do CIVA)",
};

// The dialog's coded entries for the earlier period. "M16" and "M20" are
// offered although their texts are not accepted: kept as the office's users
// know the list.
const std::vector<std::string> kCodificadosAntigos = {
    "M01 - Artigo 16.º n.º 6 do CIVA (ou similar)",
    "M02 - Artigo 6.º do Decreto-Lei n.º 198/90, de 19 de Junho",
    "M03 - Exigibilidade de caixa",
    "M04 - Isento Artigo 13.º do CIVA (ou similar)",
    "M05 - Isento Artigo 14.º do CIVA (ou similar)",
    "M06 - Isento Artigo 15.º do CIVA (ou similar)",
    "M07 - Isento Artigo 9.º do CIVA (ou similar)",
    "M08 - IVA - autoliquidação",
    "M09 - IVA - não confere direito a dedução",
    "M10 - IVA - Regime de isenção",
    "M11 - Regime particular do tabaco",
    "M12 - Regime da margem de lucro - Agências de viagens",
    "M13 - Regime da margem de lucro - Bens em segunda mão",
    "M14 - Regime da margem de lucro - Objetos de arte",
    "M15 - Regime da margem de lucro - Objetos de coleção e antiguidades",
    "M16 - Isento Artigo 14.º do RITI (ou similar)",
    "M20 - IVA - Regime forefetário",
    "M99 - Não sujeito; não tributado (ou similar)",
};

// The later period's entries; "M99" appears twice, as in the tax authority's
// table.
const std::vector<std::string> kCodificadosNovos = {
    "M01 - Artigo 16.º, n.º 6 do CIVA - Artigo 16.º, n.º 6, alíneas a) a d) do CIVA",
    "M02 - Artigo 6.º do Decreto-Lei n.º 198/90, de 19 de junho",
    "M04 - Isento artigo 13.º do CIVA",
    "M05 - Isento artigo 14.º do CIVA",
    "M06 - Isento Artigo 15.º do CIVA",
    "M07 - Isento Artigo 9.º do CIVA",
    "M09 - IVA - não confere direito a dedução - Artigo 62.º alínea b) do CIVA",
    "M10 - IVA - regime de isenção - Artigo 57.º do CIVA",
    "M11 - Regime particular do tabaco",
    "M12 - Regime da margem de lucro - Agências de viagens",
    "M13 - Regime da margem de lucro - Bens em segunda mão",
    "M14 - Regime da margem de lucro - Objetos de arte",
    "M15 - Regime da margem de lucro - Objetos de coleção e antiguidades",
    "M16 - Isento Artigo 14.º do RITI",
    "M19 - Outras isenções - Isenções temporárias determinadas em diploma próprio",
    "M20 - IVA - Regime forefetário",
    "M21 - IVA - não confere direito à dedução (ou expressão similar) - Artigo 72.º n.º 4 do CIVA",
    "M26 - Isenção de IVA com direito à dedução no cabaz alimentar - Lei n.º 17/2023, de 14 de "
    "abril",
    "M30 - IVA - autoliquidação - Artigo 2.º n.º 1 alínea i) do CIVA",
    "M31 - IVA - autoliquidação - Artigo 2.º n.º 1 alínea j) do CIVA",
    "M32 - IVA - autoliquidação - Artigo 2.º n.º 1 alínea l) do CIVA",
    "M33 - IVA - autoliquidação - Artigo 2.º n.º 1 alínea m) do CIVA",
    "M34 - Iva - autoliquidação - Artigo 2.º n.º 1 alínea n) do CIVA",
    "M40 - IVA - autoliquidação - Artigo 6.º n.º 6 alínea a) do CIVA, a contrário",
    "M41 - IVA - autoliquidação - Artigo 8.º n.º 3 do RITI",
    "M42 - IVA - autoliquidação - Decreto-Lei n.º 21/2007, de 29 de janeiro",
    "M43 - IVA - autoliquidação - Decreto-Lei n.º 362/99, de 16 de setembro",
    "M99 - Não sujeito ou não tributado - Outras situações de não liquidação do imposto",
    "M99 - Não sujeito ou não tributado - Outras situações de não liquidação do imposto (Ex: "
    "artigo 2.º, n.º 2  artigo 3.º, n.ºs 4, 6 e 7 artigo 4.º, n.º 5, todos do CIVA)",
};

bool IsOldPeriod(const DateTime& periodStart) {
  return periodStart.DateOnly() < kNewMotivosTable;
}

}  // namespace

const std::vector<std::string>& AcceptedMotivos(const DateTime& periodStart) {
  return IsOldPeriod(periodStart) ? kAceitesAntigos : kAceitesNovos;
}

const std::vector<std::string>& MotivosCodificados(const DateTime& periodStart) {
  return IsOldPeriod(periodStart) ? kCodificadosAntigos : kCodificadosNovos;
}

bool IsDiscontinuedCodMencao(const std::string& code) {
  return code == "M03" || code == "M08" || code == "M17" || code == "M18";
}

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
