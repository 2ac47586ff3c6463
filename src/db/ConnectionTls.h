// The encryption of the connection to the database server: the settings
// file's "tls" and "tls_ca" keys, the connector options they stand for, and
// a refused certificate told in the user's words.
#ifndef SAFTPT_DB_CONNECTIONTLS_H_
#define SAFTPT_DB_CONNECTIONTLS_H_

#include <string>
#include <string_view>

#include "base/Error.h"
#include "db/Database.h"

struct st_mysql;

namespace saftpt {

// "0", "1" or "preferir" (the values of the "tls" key and of `--tls`).
bool ParseTlsMode(std::string_view text, TlsMode& mode);
std::string TlsModeText(TlsMode mode);

// Sets the connector's TLS options on a handle not yet connected. With
// kVerify the handshake checks the certificate's chain (against `tlsCa`, or
// the system's CA store) and the server's name before the credentials
// leave, and a server without TLS is refused. Throws Error (kSettings) when
// the CA file cannot be read.
void SetTlsOptions(st_mysql* handle, const ConnectionSettings& settings);

// The error of a connection that did not open: a refused certificate, or a
// server that cannot do what `tls` asks, in Portuguese with what to set;
// anything else as the server or the connector said it.
Error ConnectFailure(st_mysql* handle, const ConnectionSettings& settings);

// The protocol of the handle's connection ("TLSv1.3"), "" without TLS.
std::string TlsVersionOf(st_mysql* handle);

}  // namespace saftpt

#endif  // SAFTPT_DB_CONNECTIONTLS_H_
