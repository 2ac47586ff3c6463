// Opening the database connection.
#include "app/Connection.h"

#include <errmsg.h>

#include <fstream>

#include "base/Error.h"
#include "config/Settings.h"

namespace saftpt {

void OpenConnection(Database& db, const ConnectionSettings& settings) {
  ConnectionSettings s = settings;
  if (s.port.empty()) s.port = "3306";
  try {
    db.Open(s);
  } catch (const Error& e) {
    // A server whose TLS the connector no longer takes (TLS 1.0, a weak key)
    // was reached in clear text before the choice existed; "preferir" keeps
    // reaching it so. Any other failure goes on as it is.
    if (s.tls != TlsMode::kPrefer || e.Number() != CR_SSL_CONNECTION_ERROR) throw;
    s.tls = TlsMode::kNever;
    OpenConnection(db, s);
  }
}

std::string TestConnection(const ConnectionSettings& settings) {
  Database db;
  OpenConnection(db, settings);
  Recordset rs = db.Execute("SELECT VERSION()");
  std::string tls = db.TlsVersion();
  return "Ligação estabelecida: servidor " + rs.Field(size_t{0}).Text() + ".\n" +
         (tls.empty() ? "Ligação não cifrada." : "Ligação cifrada: " + tls);
}

void OpenConnectionFromFile(Database& db, const std::string& path) {
  // A settings file that cannot be read would otherwise show up as the
  // driver's message about a local socket, which says nothing of the cause.
  if (!std::ifstream(path))
    throw Error(Error::kSettings,
                "O ficheiro de configuração " + path + " não existe ou não pode ser lido.");
  ConnectionSettings s = ReadConnectionSettings(path);
  try {
    OpenConnection(db, s);
  } catch (const Error& e) {
    // Not swallowed: the same failure, with where to look when the file
    // names no server or database.
    if (!s.server.empty() && !s.database.empty()) throw;
    throw Error(e.Number(), e.Description() +
                                "\nVerifique o servidor e a base de dados na secção [bd] do "
                                "ficheiro de configuração " +
                                path + ".");
  }
}

}  // namespace saftpt
