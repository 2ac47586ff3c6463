#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <unistd.h>

namespace saftpt::test {

namespace {
constexpr const char* kPendingModal = "saftpt-when-modal";
}  // namespace

int DiscardPendingModals() {
  int count = 0;
  for (QTimer* t : qApp->findChildren<QTimer*>(kPendingModal)) {
    if (t->isActive()) ++count;
    delete t;
  }
  return count;
}

void WhenModal(const std::string& className, std::function<void(QWidget*)> action) {
  auto timer = new QTimer(qApp);
  timer->setObjectName(kPendingModal);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, className, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->inherits(className.c_str())) {
      timer->stop();
      timer->deleteLater();
      QPointer<QWidget> guard(modal);
      action(modal);
      // A dialog left open would block the test for ever.
      if (guard && guard->isVisible()) {
        ADD_FAILURE() << className << " still open after the test's answers";
        guard->close();
      }
    } else if (clock->elapsed() > 10000) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal " << className << " appeared";
      if (modal) modal->close();
    }
  });
  timer->start();
}

void SaveScreenshot(QWidget* widget, const std::string& name) {
  std::string path = std::string(SAFTPT_GUI_SHOTS_DIR) + "/" + name + ".png";
  EXPECT_TRUE(widget->grab().save(QString::fromStdString(path))) << path;
}

std::string TempFolder() {
  static int counter = 0;
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("saftpt-gui-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace saftpt::test
