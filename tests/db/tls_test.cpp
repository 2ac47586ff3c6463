// The encrypted connection, end to end through `saftpt settings` and `saftpt
// export`: a server that takes only TLS connections and the plain test server,
// each with the demo office, against every value of tls and tls_ca.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "CliRun.h"
#include "TestDatabase.h"
#include "TlsServer.h"
#include "config/ConnectionTls.h"
#include "config/Settings.h"

namespace saftpt::test {
namespace {

enum class Server { kTlsOnly, kPlain };
enum class Ca { kNone, kOwn, kOther };

struct TlsCase {
  const char* name;
  Server server;
  const char* tls;  // as given to `saftpt settings --tls`
  Ca ca;
  bool wrongPassword;  // a refusal that names the certificate came before authentication
  int status;
  const char* message;  // in standard output (0) or error
};

const TlsCase kCases[] = {
    {"verified", Server::kTlsOnly, "1", Ca::kOwn, false, 0, "O ficheiro cumpre as regras da AT."},
    {"clear text refused by the server", Server::kTlsOnly, "0", Ca::kNone, false, 1,
     "Access denied for user"},
    {"another CA", Server::kTlsOnly, "1", Ca::kOther, true, 1,
     "O certificado do servidor 127.0.0.1 não é de confiança (self-signed certificate in "
     "certificate chain): a autoridade de certificação de "},
    {"the system's CAs", Server::kTlsOnly, "1", Ca::kNone, true, 1,
     "nenhuma autoridade de certificação do sistema o reconhece"},
    {"server without TLS", Server::kPlain, "1", Ca::kOwn, false, 1,
     "O servidor 127.0.0.1 não aceita ligações cifradas (TLS)."},
    {"preferred, offered", Server::kTlsOnly, "preferir", Ca::kNone, false, 0,
     "O ficheiro cumpre as regras da AT."},
    {"preferred, not offered", Server::kPlain, "preferir", Ca::kNone, false, 0,
     "O ficheiro cumpre as regras da AT."},
};

class TlsTest : public DbTest {
 protected:
  static void SetUpTestSuite() { tlsServer_ = std::make_unique<TlsServer>(); }
  static void TearDownTestSuite() { tlsServer_.reset(); }

  static std::unique_ptr<TlsServer> tlsServer_;
};

std::unique_ptr<TlsServer> TlsTest::tlsServer_;

TEST_F(TlsTest, EachValueOfTlsAgainstBothServers) {
  ExecFile("db/demo.sql");
  char folder[] = "/tmp/saftpt-tls-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::filesystem::path dir = folder;
  for (const TlsCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ConnectionSettings s =
        c.server == Server::kPlain ? Settings() : tlsServer_->Settings(TlsMode::kPrefer, "");
    if (c.wrongPassword) s.password = "errada";
    const std::string ca = c.ca == Ca::kOwn     ? tlsServer_->Ca()
                           : c.ca == Ca::kOther ? tlsServer_->OtherCa()
                                                : "";
    const std::string ini = (dir / "lexora.ini").string();
    std::filesystem::remove(ini);
    const std::string settings =
        "printf '%s\\n' '" + s.password + "' | " + SAFTPT_CLI + " settings --settings " + ini +
        " --server " + s.server + " --port " + s.port + " --database " + s.database + " --user " +
        s.user + " --tls " + c.tls + (ca.empty() ? "" : " --tls-ca " + ca) + " >/dev/null";
    ASSERT_EQ(std::system(settings.c_str()), 0);
    ConnectionSettings written = LeLigacaoIni(ini);
    EXPECT_EQ(TlsModeText(written.tls), c.tls);
    EXPECT_EQ(written.tlsCa, ca);

    CliResult r = RunCli({"export", "--settings", ini, "--year", "2025", "--receipts", "--no-input",
                          "--force", "-o", (dir / "saft.xml").string()},
                         dir);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.message), std::string::npos) << r.out << r.err;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace saftpt::test
