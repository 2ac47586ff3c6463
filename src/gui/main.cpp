// saftpt-gui: the export window over the billing database.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/UiPorts.h"
#include "app/Version.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"
#include "gui/ExportWindow.h"
#include "gui/GuiDialogs.h"
#include "gui/QtTranslations.h"
#include "gui/WindowRules.h"

int main(int argc, char** argv) {
  // Answered before Qt starts, so it needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s\n", saftpt::VersionText("saftpt-gui").c_str());
      return 0;
    }
  }
  QApplication app(argc, argv);
  app.setApplicationName("saftpt-gui");

  saftpt::gui::QtTranslations traducoes;
  traducoes.Install();

  std::vector<std::string> args;
  const QStringList all = QCoreApplication::arguments();
  for (qsizetype i = 1; i < all.size(); ++i) args.push_back(all[i].toStdString());

  saftpt::gui::QtDialogs dialogs;
  saftpt::gui::ArgumentosGui lidos = saftpt::gui::ReadArguments(args);
  if (lidos.erro) {
    dialogs.ShowError(*lidos.erro);
    return 2;
  }

  saftpt::gui::StartOptions opcoes;
  opcoes.showRestrictions = lidos.restricao;
  try {
    opcoes.settingsPath = saftpt::FindSettingsFile(lidos.settingsPath);
  } catch (const std::exception& e) {  // shown, and the program ends as failed
    dialogs.ShowError(e.what());
    return 1;
  }

  saftpt::DesktopShell shell;
  saftpt::gui::ExportWindow window(opcoes, dialogs, shell);
  if (!window.Load()) return 1;
  window.show();
  return app.exec();
}
