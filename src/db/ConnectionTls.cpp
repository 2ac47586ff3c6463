// TLS options of the connector and the messages of a refused handshake.
#include "db/ConnectionTls.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <fstream>

namespace saftpt {

namespace {

constexpr std::string_view kPreferir = "preferir";

// Where the settings are changed, named in every message below.
constexpr const char* kWhereToSet = " (secção [bd] do ficheiro de configuração)";

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The connector's own reason, without the prefix it puts before it.
std::string Reason(const std::string& message) {
  for (std::string_view prefix : {"TLS/SSL error: ", "SSL connection error: "})
    if (message.rfind(prefix, 0) == 0) return message.substr(prefix.size());
  return message;
}

}  // namespace

bool ParseTlsMode(std::string_view text, TlsMode& mode) {
  if (text == "0") {
    mode = TlsMode::kNever;
  } else if (text == "1") {
    mode = TlsMode::kVerify;
  } else if (text == kPreferir) {
    mode = TlsMode::kPrefer;
  } else {
    return false;
  }
  return true;
}

std::string TlsModeText(TlsMode mode) {
  switch (mode) {
    case TlsMode::kNever:
      return "0";
    case TlsMode::kVerify:
      return "1";
    case TlsMode::kPrefer:
      break;
  }
  return std::string(kPreferir);
}

void SetTlsOptions(st_mysql* handle, const ConnectionSettings& s) {
  if (s.tls == TlsMode::kNever) return;  // the connector's default: no TLS
  my_bool on = 1;
  // Asks for TLS. Connector/C 3.3 still goes on in clear text when the server
  // does not offer it, and checks nothing, unless the certificate is to be
  // verified; a CA file alone would check the chain but not the name.
  mysql_optionsv(handle, MYSQL_OPT_SSL_ENFORCE, &on);
  if (s.tls == TlsMode::kPrefer) return;
  // Chain and name checked during the handshake, before authentication.
  mysql_optionsv(handle, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on);
  if (s.tlsCa.empty()) return;  // the connector then loads the system's store
  if (!std::ifstream(s.tlsCa))
    throw Error(Error::kSettings, "O ficheiro da autoridade de certificação " + s.tlsCa +
                                      " (tls_ca) não existe ou não pode ser lido.");
  mysql_optionsv(handle, MYSQL_OPT_SSL_CA, s.tlsCa.c_str());
}

Error ConnectFailure(st_mysql* handle, const ConnectionSettings& s) {
  const int number = static_cast<int>(mysql_errno(handle));
  const std::string message = mysql_error(handle);
  if (s.tls == TlsMode::kVerify && number == CR_SSL_CONNECTION_ERROR) {
    const std::string reason = Reason(message);
    if (Contains(reason, "does not support it"))
      return Error(number, "O servidor " + s.server +
                               " não aceita ligações cifradas (TLS). Ative o TLS no servidor "
                               "ou, numa rede de confiança, ponha tls=0" +
                               kWhereToSet + ".");
    if (Contains(reason, "Validation of SSL server certificate failed"))
      return Error(number, "O certificado do servidor " + s.server +
                               " não é emitido para esse nome. Indique em servidor" + kWhereToSet +
                               " o nome ou o endereço que o certificado tem.");
    if (!Contains(reason, "certificate")) return Error(number, message);  // not the chain's fault
    const std::string issuers =
        s.tlsCa.empty() ? "nenhuma autoridade de certificação do sistema o reconhece"
                        : "a autoridade de certificação de " + s.tlsCa + " não o reconhece";
    return Error(number, "O certificado do servidor " + s.server + " não é de confiança (" +
                             reason + "): " + issuers + ". Indique em tls_ca" + kWhereToSet +
                             " o ficheiro (PEM) da autoridade que o emitiu.");
  }
  // A server that takes only encrypted connections refuses the others as it
  // refuses a wrong password (MariaDB), or says so (MySQL 5.7 and 8).
  if (s.tls == TlsMode::kNever &&
      (number == ER_ACCESS_DENIED_ERROR || Contains(message, "insecure transport")))
    return Error(number, message + "\nSe o servidor " + s.server +
                             " só aceitar ligações cifradas, ponha tls=1" + kWhereToSet + ".");
  return Error(number, message);
}

std::string TlsVersionOf(st_mysql* handle) {
  if (!mysql_get_ssl_cipher(handle)) return "";
  const char* version = nullptr;
  if (mariadb_get_infov(handle, MARIADB_CONNECTION_TLS_VERSION, &version) != 0 || !version)
    return "";
  return version;
}

}  // namespace saftpt
