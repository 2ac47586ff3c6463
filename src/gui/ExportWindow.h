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
#include "base/DateTime.h"
#include "config/OfficeConfig.h"
#include "db/Database.h"
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
class VatSummaryPanel;

// What the window is started with.
struct StartOptions {
  std::string settingsPath;       // lexora.ini
  bool showRestrictions = false;  // shows "Restrição de Documentos"
  // The day of the defaults and of the exports; the machine's date when unset.
  std::optional<DateTime> today;
  std::string schemaPath;  // for the check after an export; empty: the default
};

class ExportWindow : public QWidget {
  Q_OBJECT

 public:
  ExportWindow(const StartOptions& options, GuiDialogs& dialogs, Shell& shell,
               QWidget* parent = nullptr);
  ~ExportWindow() override;

  // Opens the database and fills the window. False when the program must end
  // (the reason has been shown).
  bool Load();

  // The fiscal-year check (on leaving "Exercício:"); true when accepted.
  bool CheckFiscalYear();
  void Export();
  // "Verificar Erros": the consistency report, one box per list.
  void ShowConsistencyReport();
  void ShowRestrictions();
  // "Ligação…": the connection dialog; once saved settings connect, the
  // window works on that database.
  void ChangeConnection();

  const Restricoes& restricoes() const { return restricoes_; }
  // The regional decimal separator of the summary and the report.
  static char DecimalSeparator();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The connection dialog with the reason it is shown; true when saved.
  bool AskForConnection(const std::string& problem);
  // Opens `db` from the settings file: nothing when it opens, else why not.
  std::optional<std::string> TryConnection(Database& db) const;
  // The office's configuration, its name in the caption, and the series.
  void LoadOffice();
  void LoadSeries();
  void EnableControls(bool enabled);
  void CheckWrittenFile(const std::string& path, SchemaVersion schema);
  // Where the save dialog opens: the last export's folder, else the user's
  // documents (else the home folder, never the one the program started in).
  std::string ExportFolder() const;
  static DateTime DateOf(const QDateEdit* edit);
  DateTime Today() const { return options_.today ? *options_.today : DateTime::Today(); }

  StartOptions options_;
  GuiDialogs& dialogs_;
  Shell& shell_;
  Database db_;
  ConfiguracaoEscritorio office_;
  Restricoes restricoes_;
  bool exporting_ = false;
  bool checkingFiscalYear_ = false;

  QWidget* controls_;
  QLineEdit* fiscalYearEdit_;
  QDateEdit* periodStart_;
  QDateEdit* periodEnd_;
  QComboBox* versionBox_;
  QListWidget* seriesList_;
  QCheckBox* recibosCheck_;
  QCheckBox* openPortalCheck_;
  QCheckBox* validateCheck_;
  QLineEdit* commentEdit_;
  QPlainTextEdit* summaryText_;
  VatSummaryPanel* vatSummary_;
  QPushButton* exportButton_;
  QPushButton* restrictionsButton_;
  QPushButton* checkErrorsButton_;
  QPushButton* connectionButton_;
  QProgressBar* progressBar_;
  QProgressBar* detailProgressBar_;
  QLabel* progressMessage_;
  std::unique_ptr<ProgressBars> progress_;
  ExemptionDialog* exemptionDialog_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_EXPORTWINDOW_H_
