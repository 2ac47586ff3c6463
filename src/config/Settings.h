// The settings file of the host product (an INI file beside the program),
// read and written as the Windows profile functions do it, and the scrambling
// of the user name and password kept in it.
#ifndef SAFTPT_CONFIG_SETTINGS_H_
#define SAFTPT_CONFIG_SETTINGS_H_

#include <string>

#include "config/Database.h"

namespace saftpt {

// The settings file's name, looked for in the program's own folder.
inline constexpr const char* kSettingsFileName = "lexora.ini";

// Reads one key. Sections and keys are found without regard to case, blanks
// around the value are trimmed (and one pair of enclosing quotes removed), and
// at most 499 characters are returned. True when the value is not empty; when
// it is empty or missing (or the file is), `value` is left unchanged.
bool ReadIni(const std::string& path, const std::string& section, const std::string& key,
             std::string& value);

// Writes one key, creating the file, the section or the key as needed and
// keeping every other line as it was. Failures are reported to `warn` with the
// old program's texts ("Ficheiro ... não existe ou inválido"...), not thrown.
void WriteIni(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value, void (*warn)(const std::string&) = nullptr);

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
ConnectionSettings LeLigacaoIni(const std::string& path);

// A TCP port: a whole number from 1 to 65535, nothing else.
bool PortaValida(const std::string& porta);

// What keeps GravaLigacao from writing these settings (a bad port, a line
// break in the server, the database, the CA file or the path), or "" when
// nothing does.
std::string ProblemaNaLigacao(const std::string& path, const ConnectionSettings& settings);

// Writes the connection keys of section "bd" (servidor, porta, basedados, the
// scrambled username and password, tls, and tls_ca when there is one or the
// file had it) as `saftpt settings` and the window's
// connection dialog do: the file's folder is created when missing (readable
// by its owner only) and the file is left with mode 0600, also when it
// existed. Throws Error (kSettings) with what went wrong.
void GravaLigacao(const std::string& path, const ConnectionSettings& settings);

// The folder of the running program (no trailing slash).
std::string PastaDoPrograma();

}  // namespace saftpt

#endif  // SAFTPT_CONFIG_SETTINGS_H_
