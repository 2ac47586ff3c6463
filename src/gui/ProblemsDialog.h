// What to fix before the tax authority takes a file that the check after an
// export rejects: one row per problem (document, line, problem), then the
// warnings, with "Copiar" for a spreadsheet or an e-mail.
#ifndef SAFTPT_GUI_PROBLEMSDIALOG_H_
#define SAFTPT_GUI_PROBLEMSDIALOG_H_

#include <QDialog>

#include "audit/ExportCheck.h"

class QStandardItemModel;

namespace saftpt::gui {

class ProblemsDialog : public QDialog {
  Q_OBJECT

 public:
  ProblemsDialog(const VerificacaoDoFicheiro& check, QWidget* parent = nullptr);

  const QStandardItemModel& Model() const { return *model_; }

 private:
  QStandardItemModel* model_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_PROBLEMSDIALOG_H_
