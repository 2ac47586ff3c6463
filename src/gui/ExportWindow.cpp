#include "gui/ExportWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/Connection.h"
#include "app/ConsistencyReport.h"
#include "app/ExportFileNames.h"
#include "app/ExportPreChecks.h"
#include "app/ExportRun.h"
#include "app/SeriesLists.h"
#include "app/Version.h"
#include "audit/ExportCheck.h"
#include "base/Error.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"
#include "gui/ConnectionDialog.h"
#include "gui/ExemptionDialog.h"
#include "gui/ProgressBars.h"
#include "gui/RestrictionDialog.h"
#include "gui/VatSummaryPanel.h"
#include "gui/Widgets.h"
#include "gui/WindowRules.h"

namespace saftpt::gui {

namespace {

QLabel* Caption(const char* text, QWidget* parent) {
  return new QLabel(text, parent);
}

// The window's title; once the database is open, with the office's name.
QString Title() {
  return Q(kTituloAplicacao + std::string(" ") + ProgramVersion());
}
QString Title(const std::string& officeName) {
  return Title() + Q(" [ " + officeName + " ] ");
}

// The export run's messages go to the window's dialogs; its summary goes into
// "Resumo:" before "Ficheiro exportado" is shown.
class ExportDialogs : public UserDialogs {
 public:
  ExportDialogs(UserDialogs& dialogs, QPlainTextEdit* summary)
      : dialogs_(dialogs), summary_(summary) {}
  void Inform(const std::string& text, const std::string& title) override {
    dialogs_.Inform(text, title);
  }
  void Warn(const std::string& text) override { dialogs_.Warn(text); }
  void ShowError(const std::string& text) override { dialogs_.ShowError(text); }
  bool Confirm(const std::string& question) override { return dialogs_.Confirm(question); }
  void ShowSummary(const std::string& summary) override {
    QString text = QString::fromStdString(summary);
    text.replace("\r\n", "\n");
    summary_->setPlainText(text);
  }

 private:
  UserDialogs& dialogs_;
  QPlainTextEdit* summary_;
};

// A failure to save the receipts switch: the settings file's own warning,
// with the exclamation icon under "AVISO".
void SettingsWarning(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, "AVISO", Q(text), QMessageBox::Ok, MessageOwner());
  box.exec();
}

}  // namespace

ExportWindow::ExportWindow(const StartOptions& options, GuiDialogs& dialogs, Shell& shell,
                           QWidget* parent)
    : QWidget(parent), options_(options), dialogs_(dialogs), shell_(shell) {
  setObjectName("exportWindow");
  setWindowTitle("Exportação SAF-T PT");

  // Everything the user can change sits in one panel, disabled during an export.
  controls_ = NamedChild<QWidget>(this, "controls");

  fiscalYearEdit_ = NamedChild<QLineEdit>(controls_, "fiscalYearEdit");
  fiscalYearEdit_->setMaxLength(4);
  fiscalYearEdit_->installEventFilter(this);
  periodStart_ = NamedChild<QDateEdit>(controls_, "periodStart");
  periodEnd_ = NamedChild<QDateEdit>(controls_, "periodEnd");
  for (QDateEdit* d : {periodStart_, periodEnd_}) {
    // The calendar's months and weekdays in Portuguese whatever the desktop's.
    d->setLocale(QLocale(QLocale::Portuguese, QLocale::Portugal));
    d->setCalendarPopup(true);
    d->setDisplayFormat("dd/MM/yyyy");
  }
  versionBox_ = NamedChild<QComboBox>(controls_, "versionBox");
  versionBox_->addItems({"1.03_1", "1.04_1"});

  auto* seriesPanel = NamedChild<QFrame>(controls_, "seriesPanel");
  seriesList_ = NamedChild<QListWidget>(seriesPanel, "seriesList");
  seriesList_->setSelectionMode(QAbstractItemView::MultiSelection);
  auto* seriesLayout = new QVBoxLayout(seriesPanel);
  seriesLayout->setContentsMargins(0, 0, 0, 0);
  seriesLayout->addWidget(Caption("Séries:", seriesPanel));
  seriesLayout->addWidget(seriesList_);

  recibosCheck_ = NamedChild<QCheckBox>(controls_, "recibosCheck", "Enviar recibos");
  openPortalCheck_ = NamedChild<QCheckBox>(controls_, "openPortalCheck",
                                           "Abre o site das Finanças após a geração do ficheiro");
  validateCheck_ =
      NamedChild<QCheckBox>(controls_, "validateCheck", "Validar o ficheiro após a exportação");
  validateCheck_->setChecked(true);
  commentEdit_ = NamedChild<QLineEdit>(controls_, "commentEdit");

  exportButton_ = NamedChild<QPushButton>(controls_, "exportButton", "Exportar SAF-T (PT)");
  restrictionsButton_ =
      NamedChild<QPushButton>(controls_, "restrictionsButton", "Restrição de Documentos");
  restrictionsButton_->setVisible(false);
  checkErrorsButton_ = NamedChild<QPushButton>(controls_, "checkErrorsButton", "Verificar Erros");
  connectionButton_ = NamedChild<QPushButton>(controls_, "connectionButton", "Ligação…");

  summaryText_ = NamedChild<QPlainTextEdit>(this, "summaryText");
  summaryText_->setReadOnly(true);
  vatSummary_ = NamedChild<VatSummaryPanel>(this, "vatSummary", dialogs_);
  auto* summaryTabs = NamedChild<QTabWidget>(this, "summaryTabs");
  summaryTabs->addTab(summaryText_, "Resumo");
  summaryTabs->addTab(vatSummary_, "Resumo do IVA");
  progressBar_ = NamedChild<QProgressBar>(this, "progressBar");
  detailProgressBar_ = NamedChild<QProgressBar>(this, "detailProgressBar");
  progressMessage_ = NamedChild<QLabel>(this, "progressMessage");
  auto* legalNotice = NamedChild<QLabel>(this, "legalNotice",
                                         "SAFT-PT (Portaria 302/2016) - em vigor desde 1/7/2017");

  auto* form = new QGridLayout;
  form->addWidget(Caption("Exercício:", controls_), 0, 0);
  form->addWidget(fiscalYearEdit_, 0, 1);
  form->addWidget(Caption("Data Inicial:", controls_), 1, 0);
  form->addWidget(periodStart_, 1, 1);
  form->addWidget(Caption("Data Final:", controls_), 2, 0);
  form->addWidget(periodEnd_, 2, 1);
  form->addWidget(versionBox_, 3, 1);
  form->setColumnStretch(2, 1);

  auto* left = new QVBoxLayout;
  left->addLayout(form);
  left->addWidget(recibosCheck_);
  left->addWidget(openPortalCheck_);
  left->addWidget(validateCheck_);
  left->addWidget(Caption("Comentário:", controls_));
  left->addWidget(commentEdit_);
  left->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(exportButton_);
  buttons->addWidget(restrictionsButton_);
  buttons->addWidget(checkErrorsButton_);
  buttons->addStretch();
  buttons->addWidget(connectionButton_);
  left->addLayout(buttons);

  auto* panel = new QHBoxLayout(controls_);
  panel->setContentsMargins(0, 0, 0, 0);
  panel->addLayout(left, 3);
  panel->addWidget(seriesPanel, 1);

  auto* window = new QVBoxLayout(this);
  window->addWidget(controls_);
  window->addWidget(Caption("Resumo:", this));
  window->addWidget(summaryTabs, 1);
  window->addWidget(progressBar_);
  window->addWidget(detailProgressBar_);
  window->addWidget(progressMessage_);
  window->addWidget(legalNotice);
  resize(680, 620);

  progress_ = std::make_unique<ProgressBars>(progressBar_, detailProgressBar_, progressMessage_);
  exemptionDialog_ = new ExemptionDialog(dialogs_, this);

  connect(recibosCheck_, &QCheckBox::clicked, this, [this](bool ticked) {
    try {
      WriteIni(options_.settingsPath, "bd", "saftrecibos", ticked ? "1" : "0");
    } catch (const Error& e) {  // told: the switch stays as clicked for this export
      SettingsWarning(e.Description());
    }
  });
  connect(exportButton_, &QPushButton::clicked, this, [this] { Export(); });
  connect(restrictionsButton_, &QPushButton::clicked, this, [this] { ShowRestrictions(); });
  connect(checkErrorsButton_, &QPushButton::clicked, this, [this] { ShowConsistencyReport(); });
  connect(connectionButton_, &QPushButton::clicked, this, [this] { ChangeConnection(); });
}

ExportWindow::~ExportWindow() = default;

bool ExportWindow::Load() {
  try {
    restrictionsButton_->setVisible(options_.showRestrictions);
    setWindowTitle(Title());

    // No settings file, or one that does not connect: the user types the
    // connection, until it works or the dialog is cancelled.
    while (std::optional<std::string> problem = TryConnection(db_)) {
      if (!AskForConnection(*problem)) return false;
    }

    std::string recibos;
    if (ReadIni(options_.settingsPath, "bd", "saftrecibos", recibos) && recibos == "1")
      recibosCheck_->setChecked(true);

    LoadOffice();

    // The fiscal year is the one of the default period, so the two never
    // disagree in January.
    DateTime today = Today();
    PeriodoInicial period = DefaultExportPeriod(today);
    fiscalYearEdit_->setText(QString::number(period.exercicio));
    CheckFiscalYear();
    periodEnd_->setDate(QDate(period.fim.year, period.fim.month, period.fim.day));
    periodStart_->setDate(QDate(period.inicio.year, period.inicio.month, period.inicio.day));

    progress_->StartProgress(0);
    progress_->StartDetailProgress(0);
    progress_->ShowProgress(0, "");
    progress_->ShowDetailProgress(0);

    versionBox_->setCurrentIndex(today < DateTime::Date(2017, 7, 1) ? 0 : 1);
    // Start away from "Exercício:", whose every exit resets the period.
    seriesList_->setFocus();
    return true;
  } catch (const std::exception& e) {  // shown; no exception may reach Qt's event loop
    dialogs_.ShowError(e.what());
    return false;
  }
}

std::optional<std::string> ExportWindow::TryConnection(Database& db) const {
  try {
    OpenConnectionFromFile(db, options_.settingsPath);
    return std::nullopt;
  } catch (const Error& e) {  // not swallowed: the dialog shows it and asks again
    return e.Description();
  }
}

bool ExportWindow::AskForConnection(const std::string& problem) {
  ConnectionDialog dialog(options_.settingsPath, problem, dialogs_, this);
  return dialog.exec() == QDialog::Accepted;
}

void ExportWindow::LoadOffice() {
  LoadOfficeConfig(db_, office_);
  setWindowTitle(Title(office_.nome));
  LoadSeries();
}

void ExportWindow::ChangeConnection() {
  // The window keeps its connection until the new settings are known to work.
  std::optional<std::string> problem;
  for (;;) {
    if (!AskForConnection(problem.value_or(""))) return;
    Database trial;
    problem = TryConnection(trial);
    if (!problem) break;
  }
  try {
    if ((problem = TryConnection(db_))) {
      dialogs_.Warn(*problem);
      return;
    }
    restricoes_.clear();
    LoadOffice();
  } catch (const std::exception& e) {  // shown; no exception may reach Qt's event loop
    dialogs_.ShowError(e.what());
  }
}

void ExportWindow::LoadSeries() {
  seriesList_->clear();
  for (const std::string& serie : ReadSeries(db_)) {
    auto* item = new QListWidgetItem(Q(serie), seriesList_);
    item->setSelected(true);
  }
}

bool ExportWindow::CheckFiscalYear() {
  int year = 0;
  if (!ValidFiscalYear(fiscalYearEdit_->text().toStdString(), year)) {
    checkingFiscalYear_ = true;
    dialogs_.Warn("Exercicio inválido");
    checkingFiscalYear_ = false;
    fiscalYearEdit_->setFocus();
    return false;
  }
  periodStart_->setDate(QDate(year, 1, 1));
  periodEnd_->setDate(QDate(year, 12, 31));
  return true;
}

bool ExportWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fiscalYearEdit_ && event->type() == QEvent::FocusOut && !checkingFiscalYear_) {
    // Switching to another program or opening a menu is not leaving the box.
    Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) CheckFiscalYear();
  }
  return QWidget::eventFilter(watched, event);
}

void ExportWindow::closeEvent(QCloseEvent* event) {
  // The export runs on this thread: the window stays until it ends.
  if (exporting_)
    event->ignore();
  else
    event->accept();
}

char ExportWindow::DecimalSeparator() {
  QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() > 32 && point[0].unicode() < 127)
    return static_cast<char>(point[0].unicode());
  return ',';
}

DateTime ExportWindow::DateOf(const QDateEdit* edit) {
  QDate d = edit->date();
  return DateTime::Date(d.year(), d.month(), d.day());
}

void ExportWindow::EnableControls(bool enabled) {
  controls_->setEnabled(enabled);
}

void ExportWindow::Export() {
  if (exporting_) return;
  DateTime start = DateOf(periodStart_);
  DateTime end = DateOf(periodEnd_);

  // The table of exemption reasons is read before anything of the database:
  // a broken one stops the export. The run makes the other checks too; they
  // come first so that the user is not asked for a file in vain.
  ExemptionTable motivos;
  try {
    motivos = ExemptionTable::Read(FindExemptionTable(options_.settingsPath));
    if (std::optional<std::string> problem =
            CheckBeforeExport(db_, !seriesList_->selectedItems().isEmpty(), start, end)) {
      dialogs_.Warn(*problem);
      return;
    }
  } catch (const std::exception& e) {  // shown; no exception may reach Qt's event loop
    dialogs_.ShowError(e.what());
    return;
  }

  std::string path = dialogs_.AskSaveFile(
      {"Gravar Ficheiro SAFT", ExportFolder(),
       ProposedSaftFileName(office_.numContribuinte, start, end), "Xml (*.xml)", "xml"});
  if (path.empty() || path == "*.xml") return;

  ExportRequest request;
  request.options.fiscalYear = fiscalYearEdit_->text().toStdString();
  request.options.start = start;
  request.options.end = end;
  request.options.schema =
      versionBox_->currentIndex() == 0 ? SchemaVersion::kV103 : SchemaVersion::kV104;
  request.options.comment = commentEdit_->text().toStdString();
  request.options.receipts = recibosCheck_->isChecked();
  request.options.restrictions = restricoes_;
  request.options.today = Today();
  request.options.outputPath = path;
  request.options.motivos = std::move(motivos);
  request.seriesSelected = true;
  request.openPortal = openPortalCheck_->isChecked();
  request.decimalSeparator = DecimalSeparator();

  // The run stays on this thread and the progress bars let the window
  // repaint; the controls are off meanwhile so nothing starts twice.
  exporting_ = true;
  EnableControls(false);
  ExportResult result;
  try {
    ExportDialogs exportDialogs(dialogs_, summaryText_);
    ExportRun run(db_, office_, exportDialogs, shell_, *progress_, *exemptionDialog_);
    result = run.Run(request);
  } catch (const std::exception& e) {  // shown; no exception may reach Qt's event loop
    dialogs_.ShowError(e.what());
    result = ExportResult{};
  }
  EnableControls(true);
  exporting_ = false;

  if (result.written) {
    try {
      RememberExportFolder(options_.settingsPath, path);
    } catch (const Error& e) {  // told: the file is written, only the folder is not kept
      SettingsWarning(e.Description());
    }
    vatSummary_->Show(path);
  }
  if (result.written && validateCheck_->isChecked()) CheckWrittenFile(path, request.options.schema);
}

// After the summary: the file passes, is not checked (1.03_01), or the list
// of what to fix in the billing data.
void ExportWindow::CheckWrittenFile(const std::string& path, SchemaVersion schema) {
  try {
    // The signatures are checked with the keys the settings file names.
    AuditOptions audit;
    ReadPublicKeysFromSettings(options_.settingsPath, audit);
    VerificacaoDoFicheiro check = CheckExportedFile(path, schema, options_.schemaPath, audit);
    if (check.Passes() || !check.verificado)
      dialogs_.Inform(check.Texto(), kTituloAplicacao);
    else
      dialogs_.ShowProblems(check);
  } catch (const std::exception& e) {  // shown; no exception may reach Qt's event loop
    dialogs_.ShowError(e.what());
  }
}

std::string ExportWindow::ExportFolder() const {
  std::string folder = LastExportFolder(options_.settingsPath);
  std::error_code ignored;  // a folder that is gone is no folder
  if (!folder.empty() && std::filesystem::is_directory(folder, ignored)) return folder;
  folder = QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
               .toStdString();
  if (std::filesystem::is_directory(folder, ignored)) return folder;
  return QFile::encodeName(QDir::homePath()).toStdString();
}

void ExportWindow::ShowConsistencyReport() {
  DateTime start = DateOf(periodStart_);
  DateTime end = DateOf(periodEnd_);
  char separator = DecimalSeparator();
  // The three lists read one view of the office, then each box is shown.
  try {
    RelatorioConsistencia report = CheckConsistency(db_, start, end, separator);
    dialogs_.Warn(report.recibos);
    dialogs_.Warn(report.faturas);
    dialogs_.Warn(report.numeracao);
    if (!report.aviso.empty()) dialogs_.Warn(report.aviso);
  } catch (const std::exception& e) {  // shown; no exception may reach Qt's event loop
    dialogs_.ShowError(e.what());
  }
}

void ExportWindow::ShowRestrictions() {
  RestrictionDialog dialog(db_, restricoes_, dialogs_, this);
  dialog.Load();
  dialog.exec();
}

}  // namespace saftpt::gui
