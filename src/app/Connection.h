// Opening the one database connection from the settings file.
#ifndef SAFTPT_APP_CONNECTION_H_
#define SAFTPT_APP_CONNECTION_H_

#include <string>

#include "db/Database.h"

namespace saftpt {

// Opens `db`; on failure sets `ErroLigacao` to the server's or client's own
// message and returns false.
bool AbreLigacao(Database& db, const ConnectionSettings& settings, std::string& ErroLigacao);
// Tries the settings on a connection of its own, closed again. True when it
// opens; `resposta` is then "Ligação estabelecida: " and the server's version,
// and on a line of its own "Ligação cifrada: " and the TLS protocol (or
// "Ligação não cifrada."), else the server's or client's message.
bool TestaLigacao(const ConnectionSettings& settings, std::string& resposta);
// Reads the connection settings from the settings file, then AbreLigacao.
bool AbreLigacaoIni(Database& db, const std::string& path, std::string& ErroLigacao);

}  // namespace saftpt

#endif  // SAFTPT_APP_CONNECTION_H_
