// The real message boxes: icons, captions and the Portuguese buttons.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "GuiTestSupport.h"
#include "gui/GuiDialogs.h"

namespace saftpt::gui {
namespace {

struct Seen {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::string title, text;
  std::vector<std::string> buttons;
};

// Records the next message box and presses the button with `press` as text.
void Answer(Seen& seen, const std::string& press) {
  test::WhenModal("QMessageBox", [&seen, press](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    seen.icon = box->icon();
    seen.title = box->windowTitle().toStdString();
    seen.text = box->text().toStdString();
    QAbstractButton* target = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      seen.buttons.push_back(b->text().toStdString());
      if (b->text().toStdString() == press) target = b;
    }
    ASSERT_NE(target, nullptr) << press;
    target->click();
  });
}

TEST(QtDialogs, IconsCaptionsAndPortugueseButtons) {
  QtDialogs dialogs;
  Seen no, yes, error, plain, info;
  Answer(no, "Não");
  EXPECT_FALSE(dialogs.Confirm("Confirma a atualização?"));
  EXPECT_EQ(no.icon, QMessageBox::Question);
  EXPECT_EQ(no.title, kTituloAplicacao);
  EXPECT_EQ(no.text, "Confirma a atualização?");
  Answer(yes, "Sim");
  EXPECT_TRUE(dialogs.Confirm("Já existe um ficheiro com esse nome. Deseja sobrepôr?"));

  Answer(error, "OK");
  dialogs.ShowError("Exportação do ficheiro cancelada.");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.title, kTituloAplicacao);
  EXPECT_EQ(error.buttons, std::vector<std::string>{"OK"});

  Answer(plain, "OK");
  dialogs.Warn("Não foram detetados erros em recibos");
  EXPECT_EQ(plain.icon, QMessageBox::NoIcon);

  Answer(info, "OK");
  dialogs.Inform("Ficheiro exportado", "Exportação ficheiro SAFT-PT");
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.title, "Exportação ficheiro SAFT-PT");
}

}  // namespace
}  // namespace saftpt::gui
