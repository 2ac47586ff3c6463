// "Restrição de Documentos": keeps the list of document types, series and
// number ranges that limits every later export. Changes take effect at once;
// the dialog is closed with its close box.
#ifndef SAFTPT_GUI_RESTRICTIONDIALOG_H_
#define SAFTPT_GUI_RESTRICTIONDIALOG_H_

#include <QDialog>

#include "config/Database.h"
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
  void Init();

  void Adicionar();
  void Remover();

  // The text of a row of the list.
  static std::string TextoLinha(const clsRestricaoDocumento& r);

 private:
  void PreencheDocumentos();
  void PreencheSeries();
  void ActNumeroItems();
  // Runs a statement and puts its first column into `combo`.
  void PreencheCombo(QComboBox* combo, const std::string& sql);

  Database& db_;
  Restricoes& restricoes_;
  UserDialogs& dialogs_;
  QComboBox* cbDoc_;
  QComboBox* cbSerie_;
  QLineEdit* txtNumeroInicial_;
  QLineEdit* txtNumeroFinal_;
  QListWidget* List1_;
  QLabel* Label5_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_RESTRICTIONDIALOG_H_
