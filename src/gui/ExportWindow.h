// "Exportação SAF-T PT": the program's one window. It opens the billing
// database at load, offers the fiscal year, the period, the file version and
// the series, and runs the export, the document restrictions and the
// consistency report.
#ifndef SAFTPT_GUI_EXPORTWINDOW_H_
#define SAFTPT_GUI_EXPORTWINDOW_H_

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "app/UiPorts.h"
#include "config/Database.h"
#include "config/DateTime.h"
#include "config/OfficeConfig.h"
#include "gui/GuiDialogs.h"
#include "saft/Restrictions.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace saftpt::gui {

class ExemptionDialog;
class ProgressBars;

// What the window is started with.
struct OpcoesArranque {
  std::string settingsPath;  // lexora.ini
  bool restricao = false;    // shows "Restrição de Documentos"
  // The day of the defaults and of the exports; the machine's date when unset.
  std::optional<DateTime> today;
  std::string schemaPath;  // for the check after an export; empty: the default
};

class ExportWindow : public QWidget {
  Q_OBJECT

 public:
  ExportWindow(const OpcoesArranque& opcoes, GuiDialogs& dialogs, Shell& shell,
               QWidget* parent = nullptr);
  ~ExportWindow() override;

  // Opens the database and fills the window. False when the program must end
  // (the reason has been shown).
  bool Load();

  // The fiscal-year check (on leaving "Exercício:"); true when accepted.
  bool VerificaExercicio();
  void ExportarSaft();
  void VerificarErros();
  void AbreRestricoes();
  // "Ligação…": the connection dialog; once saved settings connect, the
  // window works on that database.
  void MudaLigacao();

  const Restricoes& restricoes() const { return col_restricoes_; }
  // The regional decimal separator of the summary and the report.
  static char SeparadorDecimal();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The connection dialog with the reason it is shown; true when saved.
  bool PedeLigacao(const std::string& problema);
  // The caption with the office's name, its configuration and the series.
  void MostraEscritorio();
  void ConfigSeries();
  void ActivaControlos(bool activos);
  void ValidaFicheiro(const std::string& path, int versao);
  // The VAT summary of the file just written, in its tab.
  void MostraResumoIva(const std::string& path);
  static DateTime DaData(const QDateEdit* edit);
  DateTime Hoje() const { return opcoes_.today ? *opcoes_.today : DateTime::Today(); }

  OpcoesArranque opcoes_;
  GuiDialogs& dialogs_;
  Shell& shell_;
  Database db_;
  ConfiguracaoEscritorio office_;
  Restricoes col_restricoes_;
  bool aExportar_ = false;
  bool aVerificarExercicio_ = false;

  QLineEdit* txtExercicio_;
  QDateEdit* DTDataInicial_;
  QDateEdit* DTDataFinal_;
  QComboBox* Combo1_;
  QListWidget* List1_;
  QCheckBox* ChkRecibos_;
  QCheckBox* Check1_;
  QCheckBox* chkValidar_;
  QLineEdit* txtComentario_;
  QPlainTextEdit* txtResumo_;
  QPlainTextEdit* txtResumoIva_;
  QPushButton* Command2_;
  QPushButton* Command4_;
  QPushButton* Command5_;
  QPushButton* cmdLigacao_;
  QProgressBar* Picture1_;
  QProgressBar* Picture2_;
  QLabel* lblMensagem_;
  std::unique_ptr<ProgressBars> progresso_;
  ExemptionDialog* frmMotivosIsencao_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_EXPORTWINDOW_H_
