// Opening the database connection, with the failure kept as a message.
#include "config/Connection.h"

#include "config/Error.h"
#include "config/Settings.h"

namespace saftpt {

bool AbreLigacao(Database& db, const ConnectionSettings& settings, std::string& ErroLigacao) {
  ConnectionSettings s = settings;
  if (s.port.empty()) s.port = "3306";
  try {
    db.Open(s);
  } catch (const Error& e) {
    ErroLigacao = e.description();
    return false;
  }
  ErroLigacao.clear();
  return true;
}

bool AbreLigacaoIni(Database& db, const std::string& path, std::string& ErroLigacao) {
  ConnectionSettings s;
  try {
    s = LeLigacaoIni(path);
  } catch (const Error& e) {  // scrambled credentials that give no character
    ErroLigacao = e.description();
    return false;
  }
  return AbreLigacao(db, s, ErroLigacao);
}

}  // namespace saftpt
