// Opening the database connection, with the failure kept as a message.
#include "app/Connection.h"

#include <errmsg.h>

#include <fstream>

#include "base/Error.h"
#include "config/Settings.h"

namespace saftpt {

bool AbreLigacao(Database& db, const ConnectionSettings& settings, std::string& ErroLigacao) {
  ConnectionSettings s = settings;
  if (s.port.empty()) s.port = "3306";
  try {
    db.Open(s);
  } catch (const Error& e) {
    ErroLigacao = e.Description();
    // A server whose TLS the connector no longer takes (TLS 1.0, a weak key)
    // was reached in clear text before the choice existed; "preferir" keeps
    // reaching it so.
    if (s.tls != TlsMode::kPrefer || e.Number() != CR_SSL_CONNECTION_ERROR) return false;
    s.tls = TlsMode::kNever;
    return AbreLigacao(db, s, ErroLigacao);
  }
  ErroLigacao.clear();
  return true;
}

bool TestaLigacao(const ConnectionSettings& settings, std::string& resposta) {
  Database db;
  if (!AbreLigacao(db, settings, resposta)) return false;
  try {
    Recordset rs = db.Execute("SELECT VERSION()");
    std::string tls = db.TlsVersion();
    resposta = "Ligação estabelecida: servidor " + rs.Field(size_t{0}).Text() + ".\n" +
               (tls.empty() ? "Ligação não cifrada." : "Ligação cifrada: " + tls);
  } catch (const Error& e) {
    resposta = e.Description();
    return false;
  }
  return true;
}

bool AbreLigacaoIni(Database& db, const std::string& path, std::string& ErroLigacao) {
  // A settings file that cannot be read would otherwise show up as the
  // driver's message about a local socket, which says nothing of the cause.
  if (!std::ifstream(path)) {
    ErroLigacao = "O ficheiro de configuração " + path + " não existe ou não pode ser lido.";
    return false;
  }
  ConnectionSettings s;
  try {
    s = LeLigacaoIni(path);
  } catch (const Error& e) {  // scrambled credentials that give no character
    ErroLigacao = e.Description();
    return false;
  }
  if (AbreLigacao(db, s, ErroLigacao)) return true;
  if (s.server.empty() || s.database.empty())
    ErroLigacao +=
        "\nVerifique o servidor e a base de dados na secção [bd] do ficheiro de "
        "configuração " +
        path + ".";
  return false;
}

}  // namespace saftpt
