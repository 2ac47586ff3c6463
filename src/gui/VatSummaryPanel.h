// The "Resumo do IVA" tab: the VAT and withholding summary of the file just
// written, as a table with the columns of `saftpt summary` (amounts in
// Portuguese form, the VAT total in bold), "Copiar" and "Guardar CSV…".
#ifndef SAFTPT_GUI_VATSUMMARYPANEL_H_
#define SAFTPT_GUI_VATSUMMARYPANEL_H_

#include <QWidget>
#include <string>

#include "app/TaxSummary.h"
#include "gui/GuiDialogs.h"

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace saftpt::gui {

class VatSummaryPanel : public QWidget {
  Q_OBJECT

 public:
  VatSummaryPanel(GuiDialogs& dialogs, QWidget* parent = nullptr);

  // The summary of the audit file at `path`; when it cannot be read, the
  // reason in its place.
  void Show(const std::string& path);
  // "Guardar CSV…": the CSV of `saftpt summary --csv`, proposed beside the
  // audit file.
  void SaveCsv();

 private:
  void AddRow(const LinhaResumoIva& linha);

  GuiDialogs& dialogs_;
  std::string auditPath_;
  ResumoIva resumo_;
  QLabel* caption_;
  QStandardItemModel* model_;
  QTableView* table_;
  QPushButton* copyButton_;
  QPushButton* saveCsvButton_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_VATSUMMARYPANEL_H_
