// The window tests run on Qt's offscreen platform unless told otherwise. The
// ones that open the window need the test MariaDB and fail without it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The summary's regional separator is checked against this locale.
  QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
