// "Validação dos Motivos de Isenção": asked by the export when a zero-VAT line
// carries a reason the tax authority does not accept, it offers the coded
// reasons of the period and writes the chosen one into the billing database.
#ifndef SAFTPT_GUI_EXEMPTIONDIALOG_H_
#define SAFTPT_GUI_EXEMPTIONDIALOG_H_

#include <QDialog>
#include <string>
#include <vector>

#include "gui/GuiDialogs.h"
#include "saft/ExemptionReasons.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace saftpt::gui {

class ExemptionDialog : public QDialog, public ExemptionResolver {
  Q_OBJECT

 public:
  explicit ExemptionDialog(UserDialogs& dialogs, QWidget* parent = nullptr);

  // Shows the case modally; true when one of the updates was written. Cancel
  // and the close box give false, which cancels the export.
  bool Resolve(const ExemptionCase& c, ExemptionFixer& fixer) override;

  // Fills the labels and the coded reasons for a case (Resolve starts here).
  void FillCase(const ExemptionCase& c);

  // "Atualizar documento" and "Atualizar todas as ocorrências...".
  void UpdateDocument() { Update(false); }
  void UpdateAll() { Update(true); }

 private:
  void Update(bool todos);

  UserDialogs& dialogs_;
  ExemptionFixer* fixer_ = nullptr;
  bool updated_ = false;
  std::vector<std::string> motivos_;  // the combo's entries, as stored
  QLabel* documentLabel_;
  QLabel* currentReasonLabel_;
  QComboBox* reasonBox_;
  QPushButton* updateAllButton_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_EXEMPTIONDIALOG_H_
