#include "app/ConsistencyReport.h"

#include <cmath>
#include <cstdio>

#include "app/NumberingReport.h"
#include "db/ReadView.h"

namespace saftpt {

namespace {

const char* const kQuebra = "\r\n";

std::string Data(const DateTime& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

// The end of the period takes in the whole day, also where the dates are
// stored with a time of day (DATETIME columns).
std::string DataFinal(const DateTime& d) {
  return Data(d) + " 23:59:59";
}

// A value as the old program showed it: numbers with the user's decimal
// separator (doubles to 15 significant digits), Null as empty text.
std::string Texto(const Value& v, char decimalSeparator) {
  if (v.IsNull()) return "";
  std::string text = v.Text();
  if (!v.IsNumeric()) return text;
  size_t digits = 0;
  for (char c : text) digits += c >= '0' && c <= '9';
  if (text.find_first_of("eE") != std::string::npos || digits > 15) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", v.Number());
    text = buffer;
  }
  for (char& c : text)
    if (c == '.') c = decimalSeparator;
  return text;
}

// Both values are rounded to cents by the statement; a Null never differs.
bool Diferentes(const Value& v1, const Value& v2) {
  if (v1.IsNull() || v2.IsNull()) return false;
  return std::fabs(v1.Number("V1") - v2.Number("V2")) >= 0.005;
}

// The documents dated from `start` to the end of `end`'s day.
std::string InPeriod(const DateTime& start, const DateTime& end) {
  return "documentos.DATA>='" + Data(start) + "' AND documentos.DATA<='" + DataFinal(end) + "'";
}

// One list of the report: the text `line` gives each row of `sql` (empty for
// a row that is right), under `heading`; `none` when no row has one.
template <typename Line>
std::string ListOf(Database& db, const std::string& sql, Line line, const char* heading,
                   const char* none, bool& found) {
  std::string lines;
  Recordset rs = db.Execute(sql);
  for (; !rs.Eof(); rs.MoveNext()) lines += line(rs);
  rs.Close();
  found = !lines.empty();
  if (!found) return none;
  return heading + std::string(kQuebra) + lines;
}

}  // namespace

std::string CheckRecibos(Database& db, const DateTime& start, const DateTime& end,
                         char decimalSeparator, bool& encontrou) {
  // Each receipt line against the share of its invoice's net value it pays.
  const std::string sql = R"sql(
    SELECT b.IDDoc, b.IDDocP,
      Round(b.valorTotal/documentos.ValorTotal*documentos.ValorLiquido,2) as V2,
      Round(b.ValorLiquido,2) as V1
    FROM (select documentos.IDDoc, documentoslinhas.IDDocP, documentoslinhas.ValorTotal,
            Round(documentoslinhas.ValorLiquido,2) as ValorLiquido
          from documentoslinhas inner join documentos ON (documentos.IDDoc=documentoslinhas.IDDoc)
          Where documentos.tipodoc IN ('R','RC') and documentoslinhas.TipoDocP<>'NC'
            AND documentoslinhas.Serie<>'tmp' AND )sql" +
                          InPeriod(start, end) + R"sql(
          ORDER BY documentos.IDDoc) b
    INNER JOIN documentos ON (b.IDDocP=documentos.IDDoc))sql";

  auto line = [decimalSeparator](const Recordset& rs) -> std::string {
    Value v1 = rs["V1"], v2 = rs["V2"];
    if (!Diferentes(v1, v2)) return "";
    return kQuebra + Texto(rs["IDDoc"], decimalSeparator) + "|" +
           Texto(rs["IDDocP"], decimalSeparator) + "|" + Texto(v1, decimalSeparator) + "|" +
           Texto(v2, decimalSeparator);
  };
  return ListOf(db, sql, line,
                "Possíveis erros em valores de recibos:", "Não foram detetados erros em recibos",
                encontrou);
}

std::string CheckFaturas(Database& db, const DateTime& start, const DateTime& end,
                         char decimalSeparator, bool& encontrou) {
  // Each invoice paid by receipts of the period for more than its total.
  const std::string sql = R"sql(
    SELECT documentoslinhas.IDDocP, GROUP_CONCAT(documentoslinhas.IDDoc) As Documentos,
      documentos.ValorTotal AS ValorTotal, SUM(documentoslinhas.valortotal) AS ValorReal
    FROM documentos inner join documentoslinhas ON documentos.IDDoc=documentoslinhas.IDDocP
    WHERE documentoslinhas.TipoDoc='R'
      AND documentoslinhas.IDDoc IN (SELECT IDDoc from documentos WHERE )sql" +
                          InPeriod(start, end) + R"sql()
    GROUP BY documentos.IDDoc Having ValorReaL - ValorTotal > 1)sql";

  auto line = [decimalSeparator](const Recordset& rs) {
    return kQuebra + Texto(rs["IDDocP"], decimalSeparator) + " paga pelos documentos:" + kQuebra +
           rs.Text("Documentos") + kQuebra +
           " Valor Total:" + Texto(rs["ValorTotal"], decimalSeparator) +
           " Valor Pago: " + Texto(rs["ValorReal"], decimalSeparator) + kQuebra + kQuebra;
  };
  return ListOf(db, sql, line,
                "Possíveis erros em Faturas:", "Não foram detetados erros em Faturas", encontrou);
}

RelatorioConsistencia CheckConsistency(Database& db, const DateTime& start, const DateTime& end,
                                       char decimalSeparator) {
  RelatorioConsistencia r;
  ReadView view(db, BillingTables());
  r.recibos = CheckRecibos(db, start, end, decimalSeparator, r.errosRecibos);
  r.faturas = CheckFaturas(db, start, end, decimalSeparator, r.errosFaturas);
  r.numeracao = CheckNumeracao(db, start, end, r.errosNumeracao);
  view.End();
  r.aviso = view.Warning();
  return r;
}

}  // namespace saftpt
