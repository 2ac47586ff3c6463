// The connection settings kept in the settings file, and the scrambling of
// the user name and password kept there.
#ifndef SAFTPT_CONFIG_SETTINGS_H_
#define SAFTPT_CONFIG_SETTINGS_H_

#include <optional>
#include <string>

#include "db/Database.h"

namespace saftpt {

// Turns a scrambled value back into text: each character is an 8-digit group
// holding its Windows-1252 code times 52973. A group that is not numeric
// gives the empty text; a code outside 0-255 throws Error (kSettings). The
// result is UTF-8.
std::string Unscramble(const std::string& texto);
// The reverse, for `saftpt settings`: UTF-8 text in, scrambled groups out.
// Throws Error for a character that Windows-1252 cannot represent.
std::string Scramble(const std::string& texto);

// Reads "servidor", "password", "username", "basedados", "porta", "tls" and
// "tls_ca" from section "bd" (the credentials unscrambled; an empty port
// becomes "3306"; no "tls" is "preferir", as before the key existed; a
// relative CA file is beside the settings file). A "tls" other than 0, 1 or
// preferir throws Error (kSettings).
ConnectionSettings ReadConnectionSettings(const std::string& path);

// A TCP port: a whole number from 1 to 65535, nothing else.
bool IsValidPort(const std::string& porta);

// What keeps SaveConnectionSettings from writing these settings (a bad port, a
// line break in the server, the database, the CA file or the path), or
// nothing when nothing does.
std::optional<std::string> FindConnectionProblem(const std::string& path,
                                                 const ConnectionSettings& settings);

// Writes the connection keys of section "bd" (servidor, porta, basedados, the
// scrambled username and password, tls, and tls_ca when there is one or the
// file had it) as `saftpt settings` and the window's
// connection dialog do: the file's folder is created when missing (readable
// by its owner only) and the file is left with mode 0600, also when it
// existed. Throws Error (kSettings) with what went wrong: each key that could
// not be written, one after the other.
void SaveConnectionSettings(const std::string& path, const ConnectionSettings& settings);

}  // namespace saftpt

#endif  // SAFTPT_CONFIG_SETTINGS_H_
