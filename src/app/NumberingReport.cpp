#include "app/NumberingReport.h"

#include <map>
#include <utility>

#include "base/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

const char* const kQuebra = "\r\n";

std::string Data(const DateTime& d) {
  return FormatDate(d);
}

}  // namespace

std::vector<AuditFinding> NumeracaoDaBase(Database& db, const DateTime& start,
                                          const DateTime& end) {
  // The last number of each type and series before the period.
  std::map<std::pair<std::string, std::string>, long long> ultimos;
  Recordset antes = db.Execute(
      "SELECT tipodoc, serie, MAX(numero) AS Ultimo FROM documentos WHERE serie<>'tmp' AND "
      "Data<'" +
      Data(start) + "' GROUP BY tipodoc, serie");
  for (; !antes.Eof(); antes.MoveNext())
    ultimos[{antes.Text("tipodoc"), antes.Text("serie")}] = antes["Ultimo"].Integer("Ultimo");
  antes.Close();

  std::vector<AuditFinding> findings, semAtcud;
  std::string tipo, serie;
  std::vector<DocumentoDaSerie> docs;
  auto fechaSerie = [&] {
    if (docs.empty()) return;
    auto it = ultimos.find({tipo, serie});
    CheckSequence(tipo + " " + serie + "/", docs, it == ultimos.end() ? 0 : it->second, findings);
    findings.insert(findings.end(), semAtcud.begin(), semAtcud.end());
    docs.clear();
    semAtcud.clear();
  };
  Recordset rs = db.Execute(
      "SELECT tipodoc, serie, numero, Data, DataEdicao, ATCUD FROM documentos WHERE "
      "serie<>'tmp' AND Data>='" +
      Data(start) + "' AND Data<='" + Data(end) +
      " 23:59:59' ORDER BY tipodoc, serie, numero, IDDoc");
  for (; !rs.Eof(); rs.MoveNext()) {
    std::string t = rs.Text("tipodoc"), s = rs.Text("serie");
    if (t != tipo || s != serie) {
      fechaSerie();
      tipo = t;
      serie = s;
    }
    DocumentoDaSerie d;
    d.numero = rs["numero"].Integer("numero");
    DateTime data = rs.Field("Data").Date("Data");
    d.data = Data(data);
    d.entrada = documentos::SystemEntryDate(rs);
    docs.push_back(d);
    std::string atcud = Trim(rs.Text("ATCUD"));
    if (d.data >= kAtcudRequiredFrom && (atcud.empty() || atcud == "0")) {
      std::string nome = documentos::DocumentNumber(rs);
      semAtcud.push_back({Gravidade::kErro, nome, MissingAtcudMessage(nome)});
    }
  }
  rs.Close();
  fechaSerie();
  return findings;
}

std::string CheckNumeracao(Database& db, const DateTime& start, const DateTime& end,
                           bool& encontrou) {
  std::vector<AuditFinding> findings = NumeracaoDaBase(db, start, end);
  encontrou = !findings.empty();
  if (!encontrou) return "Não foram detetados erros de numeração";
  std::string texto = "Possíveis erros de numeração:" + std::string(kQuebra);
  for (const AuditFinding& f : findings) texto += kQuebra + f.message;
  return texto;
}

}  // namespace saftpt
