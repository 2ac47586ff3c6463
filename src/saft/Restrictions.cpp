// The condition that limits the document statements to the chosen document
// types, series and number ranges.
#include "saft/Restrictions.h"

#include <charconv>

#include "base/Error.h"
#include "base/Utf8.h"
#include "db/Database.h"

namespace saftpt {

std::string RestricoesCondition(const Restricoes& restricoes, const std::string& tabela,
                                const Database& db) {
  if (restricoes.empty()) return "";
  std::string prefixo = tabela.empty() ? "" : tabela + ".";
  std::string condicao;
  for (const RestricaoDocumento& r : restricoes) {
    if (!condicao.empty()) condicao += " or ";
    // Type and series are typed by the user: escaped so a quote stays text.
    condicao += " ( " + prefixo + "Tipodoc='" + db.Escape(r.tipodoc) + "' and " + prefixo +
                "Serie='" + db.Escape(r.serie) + "' and " + prefixo +
                "Numero>=" + std::to_string(r.numeroInicial) + " and " + prefixo +
                "Numero<=" + std::to_string(r.numeroFinal) + " ) ";
  }
  return " ( " + condicao + " ) ";
}

namespace {

// A whole number as typed: blanks around it and a sign allowed, nothing else.
bool ReadNumber(std::string_view text, long long& out) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (*first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && ptr == last && first != last;
}

}  // namespace

RestricaoDocumento ParseRestricao(const std::string& text) {
  size_t c1 = text.find(':');
  size_t c2 = text.rfind(':');
  if (c1 == std::string::npos || c2 == c1)
    throw Error(Error::kBuilder, "Restrição inválida (use TIPO:SÉRIE:INICIAL-FINAL): " + text);
  RestricaoDocumento r;
  r.tipodoc = text.substr(0, c1);
  r.serie = text.substr(c1 + 1, c2 - c1 - 1);
  std::string intervalo = text.substr(c2 + 1);
  // The hyphen between the numbers; a leading one is the first number's sign.
  size_t hifen = intervalo.find('-', intervalo.find_first_not_of(" -+") == std::string::npos
                                         ? intervalo.size()
                                         : intervalo.find_first_not_of(" -+"));
  std::string inicial = intervalo.substr(0, hifen);
  std::string final = hifen == std::string::npos ? "" : intervalo.substr(hifen + 1);
  if (!ReadNumber(inicial, r.numeroInicial))
    throw Error(Error::kBuilder, "Número Inicial Inválido");
  if (!ReadNumber(final, r.numeroFinal)) throw Error(Error::kBuilder, "Número Final Inválido");
  return r;
}

}  // namespace saftpt
