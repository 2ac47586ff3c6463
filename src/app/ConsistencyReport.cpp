#include "app/ConsistencyReport.h"

#include <cmath>
#include <cstdio>

#include "app/NumberingReport.h"

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
  if (v.isNull()) return "";
  std::string text = v.text();
  if (!v.isNumeric()) return text;
  size_t digits = 0;
  for (char c : text) digits += c >= '0' && c <= '9';
  if (text.find_first_of("eE") != std::string::npos || digits > 15) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", v.number());
    text = buffer;
  }
  for (char& c : text)
    if (c == '.') c = decimalSeparator;
  return text;
}

// Both values are rounded to cents by the statement; a Null never differs.
bool Diferentes(const Value& v1, const Value& v2) {
  if (v1.isNull() || v2.isNull()) return false;
  return std::fabs(v1.number("V1") - v2.number("V2")) >= 0.005;
}

}  // namespace

std::string VerificaRecibos(Database& db, const DateTime& start, const DateTime& end,
                            char decimalSeparator, bool& encontrou) {
  std::string sql =
      std::string(
          "SELECT b.IDDoc,b.IDDocP, "
          "Round(b.valorTotal/documentos.ValorTotal*documentos.ValorLiquido,2) as V2, ") +
      " Round(b.ValorLiquido,2) as V1 FROM " +
      " (select documentos.IDDoc, documentoslinhas.IDDocP,  documentoslinhas.ValorTotal," +
      " Round(documentoslinhas.ValorLiquido,2) as ValorLiquido" +
      " from documentoslinhas inner join documentos ON " +
      " (documentos.IDDoc=documentoslinhas.IDDoc)" +
      " Where documentos.tipodoc IN ('R','RC') and documentoslinhas.TipoDocP<>'NC'" +
      " AND documentoslinhas.Serie<>'tmp' " + " AND documentos.DATA>='" + Data(start) + "' " +
      " AND documentos.DATA<='" + DataFinal(end) +
      "' ORDER BY documentos.IDDoc) b INNER JOIN documentos ON (b.IDDocP=documentos.IDDoc)";

  std::string relatorio;
  Recordset rs = db.Execute(sql);
  for (; !rs.eof(); rs.moveNext()) {
    Value v1 = rs["V1"], v2 = rs["V2"];
    if (!Diferentes(v1, v2)) continue;
    relatorio += kQuebra + Texto(rs["IDDoc"], decimalSeparator) + "|" +
                 Texto(rs["IDDocP"], decimalSeparator) + "|" + Texto(v1, decimalSeparator) + "|" +
                 Texto(v2, decimalSeparator);
  }
  rs.close();

  encontrou = !relatorio.empty();
  if (!encontrou) return "Não foram detetados erros em recibos";
  return "Possíveis erros em valores de recibos:" + std::string(kQuebra) + relatorio;
}

std::string VerificaFaturas(Database& db, const DateTime& start, const DateTime& end,
                            char decimalSeparator, bool& encontrou) {
  std::string sql =
      std::string(
          " SELECT documentoslinhas.IDDocP, GROUP_CONCAT(documentoslinhas.IDDoc) As "
          "Documentos, ") +
      " documentos.ValorTotal AS ValorTotal, SUM(documentoslinhas.valortotal) AS ValorReal "
      "FROM " +
      " documentos inner join documentoslinhas " + " ON documentos.IDDoc=documentoslinhas.IDDocP " +
      " WHERE documentoslinhas.TipoDoc='R' AND documentoslinhas.IDDoc IN " +
      " (SELECT IDDoc from documentos WHERE " + " documentos.DATA>='" + Data(start) +
      "' AND documentos.DATA<='" + DataFinal(end) + "') GROUP BY documentos.IDDoc " +
      " Having ValorReaL - ValorTotal > 1";

  std::string relatorio;
  Recordset rs = db.Execute(sql);
  for (; !rs.eof(); rs.moveNext()) {
    relatorio += kQuebra + Texto(rs["IDDocP"], decimalSeparator) +
                 " paga pelos documentos:" + kQuebra + rs.text("Documentos") + kQuebra +
                 " Valor Total:" + Texto(rs["ValorTotal"], decimalSeparator) +
                 " Valor Pago: " + Texto(rs["ValorReal"], decimalSeparator) + kQuebra + kQuebra;
  }
  rs.close();

  encontrou = !relatorio.empty();
  if (!encontrou) return "Não foram detetados erros em Faturas";
  return "Possíveis erros em Faturas:" + std::string(kQuebra) + relatorio;
}

RelatorioConsistencia VerificaErros(Database& db, const DateTime& start, const DateTime& end,
                                    char decimalSeparator) {
  RelatorioConsistencia r;
  r.recibos = VerificaRecibos(db, start, end, decimalSeparator, r.errosRecibos);
  r.faturas = VerificaFaturas(db, start, end, decimalSeparator, r.errosFaturas);
  r.numeracao = VerificaNumeracao(db, start, end, r.errosNumeracao);
  return r;
}

}  // namespace saftpt
