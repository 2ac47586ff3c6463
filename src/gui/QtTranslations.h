// Qt's own texts (the file dialog, the standard buttons, the calendar) in
// European Portuguese, from Debian's qt6-translations-l10n. Without it the
// window works the same, those texts in English.
#ifndef SAFTPT_GUI_QTTRANSLATIONS_H_
#define SAFTPT_GUI_QTTRANSLATIONS_H_

#include <QTranslator>
#include <memory>
#include <vector>

namespace saftpt::gui {

class QtTranslations {
 public:
  // Loads the catalogues found in Qt's translations folder and installs them
  // in the application; false when there are none. They are removed when
  // this object goes.
  bool Install();

 private:
  std::vector<std::unique_ptr<QTranslator>> installed_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_QTTRANSLATIONS_H_
