// Shared by the master-file tests: a section written under an "AuditFile"
// root and its golden files in tests/golden/master.
#ifndef SAFTPT_TESTS_DB_MASTERFIXTURE_H_
#define SAFTPT_TESTS_DB_MASTERFIXTURE_H_

#include <string>

#include "BuilderFixture.h"

namespace saftpt::test {

class MasterTest : public BuilderTest {
 protected:
  std::string Section(const SectionWriter& writer) { return Write("AuditFile", writer); }
  void ExpectGolden(const std::string& actual, const std::string& name) {
    ExpectSameAsGolden(actual, "master/" + name);
  }
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_MASTERFIXTURE_H_
