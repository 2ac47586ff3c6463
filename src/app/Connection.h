// Opening the one database connection from the settings file.
#ifndef SAFTPT_APP_CONNECTION_H_
#define SAFTPT_APP_CONNECTION_H_

#include <string>

#include "db/Database.h"

namespace saftpt {

// Opens `db` (an empty port is 3306). Throws Error with the server's or
// client's own message when it does not open.
void OpenConnection(Database& db, const ConnectionSettings& settings);
// Tries the settings on a connection of its own, closed again, and returns
// "Ligação estabelecida: " and the server's version and, on a line of its
// own, "Ligação cifrada: " and the TLS protocol (or "Ligação não cifrada.").
// Throws Error with the server's or client's message when it does not open.
std::string TestConnection(const ConnectionSettings& settings);
// Reads the connection settings from the settings file, then OpenConnection.
// Throws Error when the file cannot be read or the connection does not open
// (then saying to check the server and database when either is missing).
void OpenConnectionFromFile(Database& db, const std::string& path);

}  // namespace saftpt

#endif  // SAFTPT_APP_CONNECTION_H_
