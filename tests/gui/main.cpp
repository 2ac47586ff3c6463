// The window tests run on Qt's offscreen platform unless told otherwise. The
// ones that open the window need the test MariaDB and fail without it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <cstdio>

#include "GuiTestSupport.h"

namespace {

// A dialog a test waited for and that never came fails the run.
class PendingModalCheck : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo& info) override {
    if (saftpt::test::DiscardPendingModals() == 0) return;
    std::fprintf(stderr, "%s.%s: an expected dialog never appeared\n", info.test_suite_name(),
                 info.name());
    failed = true;
  }
  bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The summary's regional separator is checked against this locale.
  QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal));
  ::testing::InitGoogleTest(&argc, argv);
  auto* check = new PendingModalCheck;
  ::testing::UnitTest::GetInstance()->listeners().Append(check);  // owned by gtest
  int status = RUN_ALL_TESTS();
  return status != 0 || check->failed ? 1 : 0;
}
