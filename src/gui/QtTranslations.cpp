#include "gui/QtTranslations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

namespace saftpt::gui {

namespace {

// Searched last-installed first. Debian's qt_pt_PT is European Portuguese
// ("Gravar", "Nome do Ficheiro") but older than Qt 6 and misses some texts,
// such as the standard buttons ("Cancel", "Yes"); the Brazilian qtbase_pt_BR
// under it has those ("Cancelar", "Sim"). A qtbase_pt, when Qt ships one,
// comes first. The program's file dialogs set their own texts (GuiDialogs).
constexpr const char* kCatalogues[] = {"qtbase_pt_BR", "qt_pt_PT", "qtbase_pt"};

}  // namespace

bool QtTranslations::Install() {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* name : kCatalogues) {
    // Only the file itself: load() would fall back to "qtbase.qm" and such.
    QString file = folder + "/" + name + ".qm";
    if (!QFileInfo::exists(file)) continue;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file)) continue;
    QCoreApplication::installTranslator(translator.get());
    installed_.push_back(std::move(translator));
  }
  return !installed_.empty();
}

}  // namespace saftpt::gui
