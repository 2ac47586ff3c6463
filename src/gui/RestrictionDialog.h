// "Restrição de Documentos": keeps the list of document types, series and
// number ranges that limits every later export. Changes take effect at once;
// the dialog is closed with its close box.
#ifndef SAFTPT_GUI_RESTRICTIONDIALOG_H_
#define SAFTPT_GUI_RESTRICTIONDIALOG_H_

#include <QDialog>
#include <string>
#include <vector>

#include "db/Database.h"
#include "gui/GuiDialogs.h"
#include "saft/Restrictions.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace saftpt::gui {

class RestrictionDialog : public QDialog {
  Q_OBJECT

 public:
  // `restricoes` is the program's list; the dialog edits it in place.
  RestrictionDialog(Database& db, Restricoes& restricoes, UserDialogs& dialogs,
                    QWidget* parent = nullptr);

  // Fills the types, their series and the rows of the list.
  void Load();

  void AddRestriction();
  void RemoveSelected();

  // The text of a row of the list.
  static std::string RowText(const RestricaoDocumento& r);

 private:
  void LoadTiposDoc();
  void LoadSeries();
  void ShowItemCount();
  // Puts `read`'s values into `box`; a failing read is shown and leaves the
  // box empty, the dialog usable.
  template <typename Read>
  void Fill(QComboBox* box, Read read);

  Database& db_;
  Restricoes& restricoes_;
  UserDialogs& dialogs_;
  QComboBox* tipoDocBox_;
  QComboBox* serieBox_;
  QLineEdit* numeroInicialEdit_;
  QLineEdit* numeroFinalEdit_;
  QListWidget* restrictionList_;
  QLabel* itemCountLabel_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_RESTRICTIONDIALOG_H_
