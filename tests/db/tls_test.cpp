// The encrypted connection through `saftpt settings` and `saftpt export`: a
// server that takes only TLS and the plain test server, both with the demo
// office, against each value of tls and tls_ca.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "CliRun.h"
#include "TestDatabase.h"
#include "TlsServer.h"

namespace saftpt::test {
namespace {

enum Server { kTlsOnly, kPlain, kOldTls };  // the last offers TLS 1.1 only
enum Ca { kNoCa, kOwnCa, kOtherCa };
struct TlsCase {
  Server server;
  const char* tls;
  Ca ca;
  bool wrongPassword;  // a certificate named in spite of it: refused before authentication
  int status;
  const char* message;  // in standard output (0) or error
};
const char* const kPasses = "O ficheiro cumpre as regras da AT.";
const TlsCase kCases[] = {
    {kTlsOnly, "1", kOwnCa, false, 0, kPasses},
    {kTlsOnly, "0", kNoCa, false, 1, "Access denied for user"},  // the server's own message
    {kTlsOnly, "1", kOtherCa, true, 1,
     "O certificado do servidor 127.0.0.1 não é de confiança (self-signed certificate in "
     "certificate chain): a autoridade de certificação de "},
    {kTlsOnly, "1", kNoCa, true, 1, "nenhuma autoridade de certificação do sistema o reconhece"},
    {kPlain, "1", kOwnCa, false, 1, "O servidor 127.0.0.1 não aceita ligações cifradas (TLS)."},
    {kTlsOnly, "preferir", kNoCa, false, 0, kPasses},
    {kPlain, "preferir", kNoCa, false, 0, kPasses},
    {kOldTls, "preferir", kNoCa, false, 0, kPasses},  // in clear text, as before
};

TEST_F(DbTest, TlsAgainstAServerThatRequiresItAndOneWithout) {
  ExecFile("db/demo.sql");
  TlsServer tlsServer, oldTls("--tls-version=TLSv1.1 --require-secure-transport=OFF");
  char folder[] = "/tmp/saftpt-tls-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::filesystem::path dir = folder;
  const std::string ini = (dir / "lexora.ini").string();
  for (const TlsCase& c : kCases) {
    SCOPED_TRACE(std::string(c.tls) + " " + c.message);
    ConnectionSettings s = c.server == kPlain    ? Settings()
                           : c.server == kOldTls ? oldTls.Settings()
                                                 : tlsServer.Settings();
    const std::string ca = c.ca == kOwnCa     ? " --tls-ca " + tlsServer.Ca()
                           : c.ca == kOtherCa ? " --tls-ca " + tlsServer.OtherCa()
                                              : "";
    std::filesystem::remove(ini);
    const std::string settings =
        "printf '%s\\n' '" + (c.wrongPassword ? "errada" : s.password) + "' | " + SAFTPT_CLI +
        " settings --settings " + ini + " --server " + s.server + " --port " + s.port +
        " --database " + s.database + " --user " + s.user + " --tls " + c.tls + ca + " >/dev/null";
    ASSERT_EQ(std::system(settings.c_str()), 0);
    CliResult r = RunCli({"export", "--settings", ini, "--year", "2025", "--receipts", "--no-input",
                          "-o", (dir / "saft.xml").string(), "--force"},
                         dir);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.message), std::string::npos) << r.err;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace saftpt::test
