// The connection settings kept in the settings file and the scrambling of
// the user name and password.
#include "config/Settings.h"

#include <sys/stat.h>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/Error.h"
#include "base/FileReplace.h"
#include "base/PrivateFiles.h"
#include "base/Utf8.h"
#include "base/Utf8Path.h"
#include "config/IniFile.h"
#include "db/ConnectionTls.h"

namespace saftpt {

namespace {

// Each character of a scrambled value is its code times this divisor.
constexpr long long kDivisor = 52973;

// Converts one group of a scrambled value; false when it is not numeric.
bool GroupCode(const std::string& group, int& code) {
  Value v(group);
  if (!v.IsNumeric()) return false;
  double whole = std::nearbyint(v.Number());  // CLng: halves to even
  double c = std::nearbyint(whole / static_cast<double>(kDivisor));
  if (!(c >= 0 && c <= 255))
    throw Error(Error::kSettings,
                "O utilizador ou a palavra-passe do ficheiro de configuração não são válidos.");
  code = static_cast<int>(c);
  return true;
}

}  // namespace

std::string Unscramble(const std::string& texto) {
  std::vector<std::string> chars;  // the text's characters, each as UTF-8
  for (size_t pos = 0; pos < texto.size();) {
    size_t start = pos;
    NextCodePoint(texto, pos);
    chars.emplace_back(texto.substr(start, pos - start));
  }
  // Groups of 8 characters, the count rounded halves to even (VB CInt).
  size_t groups = chars.size() / 8;
  size_t rest = chars.size() % 8;
  if (rest > 4 || (rest == 4 && groups % 2 == 1)) ++groups;
  std::string result;
  for (size_t g = 0; g < groups; ++g) {
    std::string group;
    for (size_t i = g * 8; i < g * 8 + 8 && i < chars.size(); ++i) group += chars[i];
    int code;
    if (!GroupCode(group, code)) return "";
    AppendUtf8(result, Windows1252CodePoint(static_cast<unsigned char>(code)));
  }
  return result;
}

std::string Scramble(const std::string& texto) {
  std::string out;
  for (size_t pos = 0; pos < texto.size();) {
    char32_t cp = NextCodePoint(texto, pos);
    int code = Windows1252Byte(cp);
    if (code < 0) {
      std::string c;
      AppendUtf8(c, cp);
      throw Error(Error::kSettings,
                  "O carácter \"" + c + "\" não pode ser guardado no ficheiro de configuração.");
    }
    char group[16];
    std::snprintf(group, sizeof group, "%08lld", code * kDivisor);
    out += group;
  }
  return out;
}

ConnectionSettings ReadConnectionSettings(const std::string& path) {
  ConnectionSettings s;
  std::string password, user;
  ReadIni(path, "bd", "servidor", s.server);
  ReadIni(path, "bd", "password", password);
  s.password = Unscramble(password);
  ReadIni(path, "bd", "username", user);
  s.user = Unscramble(user);
  ReadIni(path, "bd", "basedados", s.database);
  ReadIni(path, "bd", "porta", s.port);
  if (s.port.empty()) s.port = "3306";
  std::string tls;
  if (ReadIni(path, "bd", "tls", tls) && !ParseTlsMode(tls, s.tls))
    throw Error(Error::kSettings, "O valor \"" + tls + "\" de tls na secção [bd] de " + path +
                                      " não é válido (0, 1 ou preferir).");
  if (ReadIni(path, "bd", "tls_ca", s.tlsCa)) {
    const std::filesystem::path ca =
        Utf8Path(s.tlsCa);  // a relative file is beside the settings file
    if (ca.is_relative()) s.tlsCa = Utf8Text(Utf8Path(path).parent_path() / ca);
  }
  return s;
}

bool IsValidPort(const std::string& porta) {
  unsigned int n = 0;
  auto res = std::from_chars(porta.data(), porta.data() + porta.size(), n);
  return res.ec == std::errc() && res.ptr == porta.data() + porta.size() && n >= 1 && n <= 65535;
}

std::optional<std::string> FindConnectionProblem(const std::string& path,
                                                 const ConnectionSettings& s) {
  if (!IsValidPort(s.port)) return "Porta inválida: \"" + s.port + "\" (um número de 1 a 65535).";
  for (const std::string* valor : {&s.server, &s.database, &s.tlsCa, &path}) {
    if (valor->find_first_of("\r\n") != std::string::npos)
      return "Os valores não podem ter mudanças de linha.";
  }
  return std::nullopt;
}

void SaveConnectionSettings(const std::string& path, const ConnectionSettings& s) {
  if (std::optional<std::string> problema = FindConnectionProblem(path, s))
    throw Error(Error::kSettings, *problema);
  std::string utilizador = Scramble(s.user);
  std::string palavraPasse = Scramble(s.password);
  // The file holds the credentials: its folder and the file itself are its
  // owner's only, also when they existed before.
  if (!CreatePrivateFoldersOf(path) || !MakePrivateFile(path))
    throw Error(Error::kSettings,
                "Não foi possível criar o ficheiro de configuração " + path + ".");
  // Every key is tried, and the failure names each one not written.
  std::string falhas;
  auto write = [&path, &falhas](const char* key, const std::string& value) {
    try {
      WriteIni(path, "bd", key, value);
    } catch (const Error& e) {  // not swallowed: thrown below with the others
      falhas += (falhas.empty() ? "" : "\n") + e.Description();
    }
  };
  write("servidor", s.server);
  write("porta", s.port);
  write("basedados", s.database);
  write("username", utilizador);
  write("password", palavraPasse);
  write("tls", TlsModeText(s.tls));
  std::string caNoFicheiro;
  if (!s.tlsCa.empty() || ReadIni(path, "bd", "tls_ca", caNoFicheiro)) write("tls_ca", s.tlsCa);
  if (!falhas.empty()) throw Error(Error::kSettings, falhas);
}

}  // namespace saftpt
