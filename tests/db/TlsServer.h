// A second test server that takes only encrypted connections
// (`scripts/test-db.sh start --tls`: a throwaway CA and a certificate for
// 127.0.0.1 made by OpenSSL), holding the demo office in `saftpt_demo`, and a
// second CA that did not sign it. Started by the tests that need it, removed
// with the object.
#ifndef SAFTPT_TESTS_DB_TLSSERVER_H_
#define SAFTPT_TESTS_DB_TLSSERVER_H_

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "config/Database.h"

namespace saftpt::test {

class TlsServer {
 public:
  TlsServer() {
    const std::string script = std::string(SAFTPT_SOURCE_DIR) + "/scripts/test-db.sh";
    FILE* out = ::popen((script + " start --tls").c_str(), "r");
    if (!out) throw std::runtime_error("test-db.sh start --tls");
    std::string line;
    for (int c; (c = std::fgetc(out)) != EOF;) {
      if (c != '\n') {
        line += static_cast<char>(c);
        continue;
      }
      // "export NAME=VALUE"
      size_t eq = line.find('=');
      if (line.rfind("export ", 0) == 0 && eq != std::string::npos)
        env_[line.substr(7, eq - 7)] = line.substr(eq + 1);
      line.clear();
    }
    if (::pclose(out) != 0 || env_["SAFTPT_TEST_DB_CA"].empty())
      throw std::runtime_error("test-db.sh start --tls did not start a server");
    const std::string dir = env_["SAFTPT_TEST_DB_DIR"];
    otherCa_ = dir + "/other-ca.pem";
    const std::string setup = "SAFTPT_TEST_DB_DIR=" + dir + " " + script +
                              " demo saftpt_demo && openssl req -x509 " +
                              "-newkey rsa:2048 -nodes -days 2 -subj '/CN=outra CA' -keyout " +
                              dir + "/other-ca-key.pem -out " + otherCa_ + " 2>/dev/null";
    if (std::system(setup.c_str()) != 0) {
      Stop();
      throw std::runtime_error("the TLS test server's demo office or second CA");
    }
  }
  ~TlsServer() { Stop(); }
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;

  // The demo office on this server, with the given TLS keys.
  ConnectionSettings Settings(TlsMode tls, const std::string& ca) {
    ConnectionSettings s;
    s.server = env_["SAFTPT_TEST_DB_HOST"];
    s.port = env_["SAFTPT_TEST_DB_PORT"];
    s.user = env_["SAFTPT_TEST_DB_USER"];
    s.password = env_["SAFTPT_TEST_DB_PASSWORD"];
    s.database = "saftpt_demo";
    s.tls = tls;
    s.tlsCa = ca;
    return s;
  }
  // The CA that signed the server's certificate, and one that did not.
  std::string Ca() { return env_["SAFTPT_TEST_DB_CA"]; }
  const std::string& OtherCa() const { return otherCa_; }

 private:
  void Stop() {
    std::string command = std::string(SAFTPT_SOURCE_DIR) + "/scripts/test-db.sh stop " +
                          env_["SAFTPT_TEST_DB_DIR"] + " >/dev/null";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "TLS test server not stopped\n");
  }

  std::map<std::string, std::string> env_;
  std::string otherCa_;
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_TLSSERVER_H_
