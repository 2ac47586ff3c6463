// Shared by the master-file tests: a builder over the test database and the
// comparison of a section's XML with its golden file.
#ifndef SAFTPT_TESTS_DB_MASTERFIXTURE_H_
#define SAFTPT_TESTS_DB_MASTERFIXTURE_H_

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestDatabase.h"
#include "config/OfficeConfig.h"
#include "saft/ProgressSink.h"
#include "saft/clsSAFT.h"
#include "xml/XmlDocument.h"

namespace saftpt::test {

// Progress calls as text, one per line ("M 2 Customers", "D 2"...).
class RecordingProgress : public ProgressSink {
 public:
  void IniciaProgresso(long long n) override { log << "I " << n << "\n"; }
  void IniciaProgressoDetalhe(long long n) override { log << "ID " << n << "\n"; }
  void MostraProgresso(long long n, const std::string& m) override {
    log << "M " << n << " " << m << "\n";
  }
  void MostraProgressoDetalhe(long long n) override { log << "D " << n << "\n"; }
  std::ostringstream log;
};

// The text without the line breaks and indentation between elements, for
// looking up runs of elements.
inline std::string Flat(const std::string& xml) {
  std::string out;
  for (size_t i = 0; i < xml.size(); ++i) {
    if (xml[i] == '\n') {
      while (i + 1 < xml.size() && xml[i + 1] == ' ') ++i;
      continue;
    }
    out += xml[i];
  }
  return out;
}

// The texts of every element with that tag, in document order.
inline std::vector<std::string> Texts(const std::string& xml, const std::string& tag) {
  std::vector<std::string> out;
  const std::string open = "<" + tag + ">";
  const std::string close = "</" + tag + ">";
  for (size_t a = xml.find(open); a != std::string::npos; a = xml.find(open, a + 1)) {
    size_t b = xml.find(close, a);
    if (b == std::string::npos) break;
    out.push_back(xml.substr(a + open.size(), b - a - open.size()));
  }
  return out;
}

class MasterTest : public DbTest {
 protected:
  MasterTest() {
    office_.nome = "Sociedade de Advogados Teste";
    office_.NumContribuinte = "501234567";
    office_.Iva = 23;
    options_.fiscalYear = "2024";
    options_.start = DateTime::Date(2024, 1, 1);
    options_.end = DateTime::Date(2024, 1, 31);
    options_.today = DateTime::Date(2024, 2, 10);
  }

  // A builder over db_ with the fixture's office and options.
  std::unique_ptr<clsSAFT> Builder() {
    auto saft = std::make_unique<clsSAFT>(db_, office_, options_, progress_, resolver_);
    saft->Init_Paises();
    return saft;
  }

  // Runs one section writer under an "AuditFile" root and returns the text.
  std::string Section(const std::function<void(clsSAFT&, XmlNode)>& writer) {
    auto saft = Builder();
    XmlDocument doc;
    doc.SetEncoding("Windows-1252");
    XmlNode root = doc.Root();
    root.SetTag("AuditFile");
    writer(*saft, root);
    return doc.ToString();
  }

  // Compares with tests/golden/master/NAME; on a difference the actual text
  // is written beside it as NAME.actual for review.
  void ExpectGolden(const std::string& actual, const std::string& name) {
    const std::string path = std::string(SAFTPT_SOURCE_DIR) + "/tests/golden/master/" + name;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream expected;
    if (in) expected << in.rdbuf();
    if (!in || expected.str() != actual) {
      std::ofstream(path + ".actual", std::ios::binary | std::ios::trunc) << actual;
      ADD_FAILURE() << "differs from golden " << name << " (actual written to " << path
                    << ".actual)";
    }
  }

  ConfiguracaoEscritorio office_;
  ExportOptions options_;
  RecordingProgress progress_;
  CancelingResolver resolver_;
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_MASTERFIXTURE_H_
