// Front-end ports for runs that nobody watches or answers: the tests' and the
// benchmark's exports; and the message a failing call throws.
#ifndef SAFTPT_TESTS_TESTDOUBLES_H_
#define SAFTPT_TESTS_TESTDOUBLES_H_

#include <string>

#include "base/Error.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"

namespace saftpt {

// Progress that nobody watches.
class NoProgress : public ProgressSink {
 public:
  void StartProgress(long long) override {}
  void StartDetailProgress(long long) override {}
  void ShowProgress(long long, const std::string&) override {}
  void ShowDetailProgress(long long) override {}
};

// A resolver that never corrects: every unacceptable reason cancels.
class CancelingResolver : public ExemptionResolver {
 public:
  bool Resolve(const ExemptionCase&, ExemptionFixer&) override { return false; }
};

// The message of the Error that `call` throws, or "" when it throws none.
template <typename Call>
std::string ErrorOf(Call call) {
  try {
    call();
  } catch (const Error& e) {
    return e.Description();
  }
  return "";
}

}  // namespace saftpt

#endif  // SAFTPT_TESTS_TESTDOUBLES_H_
