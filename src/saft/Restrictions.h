// The list of document restrictions (type, series, number range) that limits
// an export, and the condition the document statements add for it.
#ifndef SAFTPT_SAFT_RESTRICTIONS_H_
#define SAFTPT_SAFT_RESTRICTIONS_H_

#include <string>
#include <vector>

namespace saftpt {

class Database;

struct RestricaoDocumento {
  std::string tipodoc;
  std::string serie;
  long long numeroInicial = 0;
  long long numeroFinal = 0;
};

using Restricoes = std::vector<RestricaoDocumento>;

// " (  ( documentos.Tipodoc='F' and documentos.Serie='A' and
// documentos.Numero>=1 and documentos.Numero<=99999 )  ) " for one
// restriction; "" for none. Type and series are escaped with the
// connection's escaping.
std::string RestricoesCondition(const Restricoes& restricoes, const std::string& tabela,
                                const Database& db);

// Parses "TYPE:SERIES:FIRST-LAST" (the command line's --restrict). Throws
// Error with "Número Inicial Inválido" or "Número Final Inválido".
RestricaoDocumento ParseRestricao(const std::string& text);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_RESTRICTIONS_H_
