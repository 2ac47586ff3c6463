// A second test server that takes only TLS connections (`scripts/test-db.sh
// start --tls`, with `options` for the server after its own), holding the
// demo office in `saftpt_demo`, and a second CA that did not sign its
// certificate. Removed with the object.
#ifndef SAFTPT_TESTS_DB_TLSSERVER_H_
#define SAFTPT_TESTS_DB_TLSSERVER_H_

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include "db/Database.h"

namespace saftpt::test {

class TlsServer {
 public:
  explicit TlsServer(const std::string& options = "") {
    const std::string start =
        "out=$(" + script_ + " start --tls " + options + ") && echo \"$out\" && eval \"$out\" && " +
        script_ +
        " demo saftpt_demo >&2 && openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=outra "
        "-keyout $SAFTPT_TEST_DB_DIR/other-key.pem -out $SAFTPT_TEST_DB_DIR/other-ca.pem "
        "2>/dev/null";
    FILE* out = ::popen(start.c_str(), "r");
    char line[4096];
    while (out && std::fgets(line, sizeof line, out)) {  // export NAME=VALUE
      std::string text(line, std::string(line).find_last_not_of('\n') + 1);
      size_t eq = text.find('=');
      if (eq != std::string::npos) env_[text.substr(7, eq - 7)] = text.substr(eq + 1);
    }
    if (!out || ::pclose(out) != 0) {
      Stop();
      throw std::runtime_error("test-db.sh start --tls failed");
    }
  }
  ~TlsServer() { Stop(); }

  ConnectionSettings Settings() {
    return {env_["SAFTPT_TEST_DB_HOST"],
            env_["SAFTPT_TEST_DB_PORT"],
            "saftpt_demo",
            env_["SAFTPT_TEST_DB_USER"],
            env_["SAFTPT_TEST_DB_PASSWORD"],
            TlsMode::kPrefer,
            ""};
  }
  // The CA that signed the server's certificate, and one that did not.
  std::string Ca() { return env_["SAFTPT_TEST_DB_CA"]; }
  std::string OtherCa() { return env_["SAFTPT_TEST_DB_DIR"] + "/other-ca.pem"; }

 private:
  void Stop() {  // never the plain server that SAFTPT_TEST_DB_DIR names
    if (!env_["SAFTPT_TEST_DB_DIR"].empty())
      std::system((script_ + " stop " + env_["SAFTPT_TEST_DB_DIR"]).c_str());
  }

  const std::string script_ = std::string(SAFTPT_SOURCE_DIR) + "/scripts/test-db.sh";
  std::map<std::string, std::string> env_;
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_TLSSERVER_H_
