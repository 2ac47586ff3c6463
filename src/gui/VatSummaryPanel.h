// The "Resumo do IVA" tab: the VAT and withholding summary of the file just
// written, as a table with the columns of `saftpt summary` (amounts in
// Portuguese form, the VAT total in bold), the same rows of each month below
// it ("Por mês"), "Copiar" (both tables) and "Guardar CSV…" (the whole file's).
#ifndef SAFTPT_GUI_VATSUMMARYPANEL_H_
#define SAFTPT_GUI_VATSUMMARYPANEL_H_

#include <QList>
#include <QString>
#include <QWidget>
#include <string>

#include "audit/TaxSummary.h"
#include "gui/GuiDialogs.h"

class QLabel;
class QPushButton;
class QStandardItem;
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
  // `row` (the month's cell, if any) followed by the cells of `linha`; the
  // VAT total all in bold.
  static QList<QStandardItem*> Row(const LinhaResumoIva& linha, QList<QStandardItem*> row = {});
  // Both tables, tab-separated, the months under their heading.
  QString CopyText() const;

  GuiDialogs& dialogs_;
  std::string auditPath_;
  ResumoIva resumo_;
  QLabel* caption_;
  QStandardItemModel* model_;
  QTableView* table_;
  QLabel* monthsCaption_;
  QStandardItemModel* monthsModel_;
  QTableView* monthsTable_;
  QPushButton* copyButton_;
  QPushButton* saveCsvButton_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_VATSUMMARYPANEL_H_
