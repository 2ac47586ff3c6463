// Shared by the builder's tests: set-up of a run over the test database, the
// progress and exemption dialog they record, one section written alone, and
// the comparison with a golden file.
#ifndef SAFTPT_TESTS_DB_BUILDERFIXTURE_H_
#define SAFTPT_TESTS_DB_BUILDERFIXTURE_H_

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../FlatXml.h"
#include "../ShippedTable.h"
#include "TestDatabase.h"
#include "config/OfficeConfig.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt::test {

// Progress calls as text, one per line ("M 2 Customers", "D 2"...).
class RecordingProgress : public ProgressSink {
 public:
  void StartProgress(long long n) override { log << "I " << n << "\n"; }
  void StartDetailProgress(long long n) override { log << "ID " << n << "\n"; }
  void ShowProgress(long long n, const std::string& m) override {
    log << "M " << n << " " << m << "\n";
  }
  void ShowDetailProgress(long long n) override { log << "D " << n << "\n"; }
  std::ostringstream log;
};

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

// Answers the exemption dialog from a list: cancel, correct the document, or
// correct every occurrence. With no answer left it cancels.
class ScriptedResolver : public ExemptionResolver {
 public:
  enum Kind { kCancel, kDocument, kAll };
  struct Answer {
    Kind kind;
    std::string entry;  // "M07 - Isento Artigo 9.º do CIVA"
  };
  bool Resolve(const ExemptionCase& c, ExemptionFixer& fixer) override {
    cases.push_back(c);
    if (answers.empty()) return false;
    Answer a = answers.front();
    answers.pop_front();
    if (a.kind == kCancel) return false;
    MotivoIsencao m = SeparaMotivo(a.entry);
    changed.push_back(a.kind == kDocument ? fixer.UpdateDocument(m) : fixer.UpdateAll(m));
    return true;
  }
  std::deque<Answer> answers;
  std::vector<ExemptionCase> cases;
  std::vector<unsigned long long> changed;
};

using SectionWriter = std::function<void(RunContext&, XmlNode)>;

class BuilderTest : public DbTest {
 protected:
  BuilderTest() {
    office_.nome = "Sociedade de Advogados Teste";
    office_.numContribuinte = "501234567";
    office_.iva = 23;
    options_.fiscalYear = "2024";
    options_.start = DateTime::Date(2024, 1, 1);
    options_.end = DateTime::Date(2024, 1, 31);
    options_.today = DateTime::Date(2024, 2, 10);
    options_.motivos = ShippedMotivos();
  }

  // A run over db_ with the fixture's office and options.
  std::unique_ptr<RunContext> Context() {
    return std::make_unique<RunContext>(db_, office_, options_, progress_, resolver_);
  }

  // Runs one section writer under a `rootTag` root and returns the bytes
  // written; ctx_ keeps the run.
  std::string Write(const std::string& rootTag, const SectionWriter& writer) {
    ctx_ = Context();
    XmlDocument doc;
    doc.SetEncoding("Windows-1252");
    XmlNode root = doc.Root();
    root.SetTag(rootTag);
    writer(*ctx_, root);
    return doc.ToString();
  }

  // Compares with tests/golden/NAME; on a difference the actual bytes are
  // written beside it as NAME.actual for review.
  static void ExpectSameAsGolden(const std::string& actual, const std::string& name) {
    const std::string path = std::string(SAFTPT_SOURCE_DIR) + "/tests/golden/" + name;
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
  ScriptedResolver resolver_;
  std::unique_ptr<RunContext> ctx_;  // the run of the last Write
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_BUILDERFIXTURE_H_
