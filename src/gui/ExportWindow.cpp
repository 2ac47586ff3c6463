#include "gui/ExportWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QFontDatabase>
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
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ConsistencyReport.h"
#include "app/ExportCheck.h"
#include "app/ExportRun.h"
#include "app/NumberingReport.h"
#include "app/TaxSummary.h"
#include "app/Version.h"
#include "config/Connection.h"
#include "config/Settings.h"
#include "gui/ConnectionDialog.h"
#include "gui/ExemptionDialog.h"
#include "gui/ProgressBars.h"
#include "gui/RestrictionDialog.h"
#include "gui/WindowRules.h"

namespace saftpt::gui {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* Rotulo(const char* text, QWidget* parent) {
  return new QLabel(text, parent);
}

// The export run's messages go to the window's dialogs; its summary goes into
// "Resumo:" before "Ficheiro exportado" is shown.
class DialogosDaExportacao : public UserDialogs {
 public:
  DialogosDaExportacao(UserDialogs& dialogs, QPlainTextEdit* resumo)
      : dialogs_(dialogs), resumo_(resumo) {}
  void inform(const std::string& text, const std::string& title) override {
    dialogs_.inform(text, title);
  }
  void warn(const std::string& text) override { dialogs_.warn(text); }
  void error(const std::string& text) override { dialogs_.error(text); }
  bool confirm(const std::string& question) override { return dialogs_.confirm(question); }
  void showSummary(const std::string& summary) override {
    QString texto = QString::fromStdString(summary);
    texto.replace("\r\n", "\n");
    resumo_->setPlainText(texto);
  }

 private:
  UserDialogs& dialogs_;
  QPlainTextEdit* resumo_;
};

// A failure to save the receipts switch: the settings file's own warning,
// with the exclamation icon under "AVISO".
void AvisoIni(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, "AVISO", Q(text), QMessageBox::Ok, DonoDasMensagens());
  box.exec();
}

}  // namespace

ExportWindow::ExportWindow(const OpcoesArranque& opcoes, GuiDialogs& dialogs, Shell& shell,
                           QWidget* parent)
    : QWidget(parent), opcoes_(opcoes), dialogs_(dialogs), shell_(shell) {
  setObjectName("frmExportacaoSAFT");
  setWindowTitle("Exportação SAF-T PT");

  // Everything the user can change sits in one panel, disabled during an export.
  auto* controlos = new QWidget(this);
  controlos->setObjectName("controlos");

  txtExercicio_ = new QLineEdit(controlos);
  txtExercicio_->setObjectName("txtExercicio");
  txtExercicio_->setMaxLength(4);
  txtExercicio_->installEventFilter(this);
  DTDataInicial_ = new QDateEdit(controlos);
  DTDataInicial_->setObjectName("DTDataInicial");
  DTDataFinal_ = new QDateEdit(controlos);
  DTDataFinal_->setObjectName("DTDataFinal");
  for (QDateEdit* d : {DTDataInicial_, DTDataFinal_}) {
    d->setCalendarPopup(true);
    d->setDisplayFormat("dd/MM/yyyy");
  }
  Combo1_ = new QComboBox(controlos);
  Combo1_->setObjectName("Combo1");
  Combo1_->addItems({"1.03_1", "1.04_1"});

  auto* frame4 = new QFrame(controlos);
  frame4->setObjectName("Frame4");
  List1_ = new QListWidget(frame4);
  List1_->setObjectName("List1");
  List1_->setSelectionMode(QAbstractItemView::MultiSelection);
  auto* frameLayout = new QVBoxLayout(frame4);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  frameLayout->addWidget(Rotulo("Séries:", frame4));
  frameLayout->addWidget(List1_);

  ChkRecibos_ = new QCheckBox("Enviar recibos", controlos);
  ChkRecibos_->setObjectName("ChkRecibos");
  Check1_ = new QCheckBox("Abre o site das Finanças após a geração do ficheiro", controlos);
  Check1_->setObjectName("Check1");
  chkValidar_ = new QCheckBox("Validar o ficheiro após a exportação", controlos);
  chkValidar_->setObjectName("chkValidar");
  chkValidar_->setChecked(true);
  txtComentario_ = new QLineEdit(controlos);
  txtComentario_->setObjectName("txtComentario");

  Command2_ = new QPushButton("Exportar SAF-T (PT)", controlos);
  Command2_->setObjectName("Command2");
  Command4_ = new QPushButton("Restrição de Documentos", controlos);
  Command4_->setObjectName("Command4");
  Command4_->setVisible(false);
  Command5_ = new QPushButton("Verificar Erros", controlos);
  Command5_->setObjectName("Command5");
  cmdLigacao_ = new QPushButton("Ligação…", controlos);
  cmdLigacao_->setObjectName("cmdLigacao");

  txtResumo_ = new QPlainTextEdit(this);
  txtResumo_->setObjectName("txtResumo");
  txtResumo_->setReadOnly(true);
  txtResumoIva_ = new QPlainTextEdit(this);
  txtResumoIva_->setObjectName("txtResumoIva");
  txtResumoIva_->setReadOnly(true);
  txtResumoIva_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtResumoIva_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* separadores = new QTabWidget(this);
  separadores->setObjectName("tabResumo");
  separadores->addTab(txtResumo_, "Resumo");
  separadores->addTab(txtResumoIva_, "Resumo do IVA");
  Picture1_ = new QProgressBar(this);
  Picture1_->setObjectName("Picture1");
  Picture2_ = new QProgressBar(this);
  Picture2_->setObjectName("Picture2");
  lblMensagem_ = new QLabel(this);
  lblMensagem_->setObjectName("lblMensagem");
  auto* label5 = new QLabel("SAFT-PT (Portaria 302/2016) - em vigor desde 1/7/2017", this);
  label5->setObjectName("Label5");

  auto* form = new QGridLayout;
  form->addWidget(Rotulo("Exercício:", controlos), 0, 0);
  form->addWidget(txtExercicio_, 0, 1);
  form->addWidget(Rotulo("Data Inicial:", controlos), 1, 0);
  form->addWidget(DTDataInicial_, 1, 1);
  form->addWidget(Rotulo("Data Final:", controlos), 2, 0);
  form->addWidget(DTDataFinal_, 2, 1);
  form->addWidget(Combo1_, 3, 1);
  form->setColumnStretch(2, 1);

  auto* esquerda = new QVBoxLayout;
  esquerda->addLayout(form);
  esquerda->addWidget(ChkRecibos_);
  esquerda->addWidget(Check1_);
  esquerda->addWidget(chkValidar_);
  esquerda->addWidget(Rotulo("Comentário:", controlos));
  esquerda->addWidget(txtComentario_);
  esquerda->addStretch();
  auto* botoes = new QHBoxLayout;
  botoes->addWidget(Command2_);
  botoes->addWidget(Command4_);
  botoes->addWidget(Command5_);
  botoes->addStretch();
  botoes->addWidget(cmdLigacao_);
  esquerda->addLayout(botoes);

  auto* painel = new QHBoxLayout(controlos);
  painel->setContentsMargins(0, 0, 0, 0);
  painel->addLayout(esquerda, 3);
  painel->addWidget(frame4, 1);

  auto* janela = new QVBoxLayout(this);
  janela->addWidget(controlos);
  janela->addWidget(Rotulo("Resumo:", this));
  janela->addWidget(separadores, 1);
  janela->addWidget(Picture1_);
  janela->addWidget(Picture2_);
  janela->addWidget(lblMensagem_);
  janela->addWidget(label5);
  resize(680, 620);

  progresso_ = std::make_unique<ProgressBars>(Picture1_, Picture2_, lblMensagem_);
  frmMotivosIsencao_ = new ExemptionDialog(dialogs_, this);

  connect(ChkRecibos_, &QCheckBox::clicked, this, [this](bool ticked) {
    EscreveIni(opcoes_.settingsPath, "bd", "saftrecibos", ticked ? "1" : "0", &AvisoIni);
  });
  connect(Command2_, &QPushButton::clicked, this, [this] { ExportarSaft(); });
  connect(Command4_, &QPushButton::clicked, this, [this] { AbreRestricoes(); });
  connect(Command5_, &QPushButton::clicked, this, [this] { VerificarErros(); });
  connect(cmdLigacao_, &QPushButton::clicked, this, [this] { MudaLigacao(); });
}

ExportWindow::~ExportWindow() = default;

bool ExportWindow::Load() {
  try {
    Command4_->setVisible(opcoes_.restricao);
    setWindowTitle(Q(kTituloAplicacao + std::string(" ") + VersaoDoPrograma()));

    // No settings file, or one that does not connect: the user types the
    // connection, until it works or the dialog is cancelled.
    std::string ErroLigacao;
    while (!AbreLigacaoIni(db_, opcoes_.settingsPath, ErroLigacao)) {
      if (!PedeLigacao(ErroLigacao)) return false;
    }

    std::string recibos;
    if (LeIni(opcoes_.settingsPath, "bd", "saftrecibos", recibos) && recibos == "1")
      ChkRecibos_->setChecked(true);

    MostraEscritorio();

    // The fiscal year is the one of the default period, so the two never
    // disagree in January.
    DateTime hoje = Hoje();
    PeriodoInicial periodo = PeriodoPorOmissao(hoje);
    txtExercicio_->setText(QString::number(periodo.exercicio));
    VerificaExercicio();
    DTDataFinal_->setDate(QDate(periodo.fim.year, periodo.fim.month, periodo.fim.day));
    DTDataInicial_->setDate(QDate(periodo.inicio.year, periodo.inicio.month, periodo.inicio.day));

    progresso_->IniciaProgresso(0);
    progresso_->IniciaProgressoDetalhe(0);
    progresso_->MostraProgresso(0, "");
    progresso_->MostraProgressoDetalhe(0);

    Combo1_->setCurrentIndex(hoje < DateTime::Date(2017, 7, 1) ? 0 : 1);
    // Start away from "Exercício:", whose every exit resets the period.
    List1_->setFocus();
    return true;
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
    return false;
  }
}

bool ExportWindow::PedeLigacao(const std::string& problema) {
  ConnectionDialog dialog(opcoes_.settingsPath, problema, dialogs_, this);
  return dialog.exec() == QDialog::Accepted;
}

void ExportWindow::MostraEscritorio() {
  std::string caption = kTituloAplicacao + std::string(" ") + VersaoDoPrograma();
  caption += " [ " + db_.ObtemValor("Nome", "configescritorio", "", Value("")).text() + " ] ";
  setWindowTitle(Q(caption));
  CarregaConfiguracao(db_, office_);
  ConfigSeries();
}

void ExportWindow::MudaLigacao() {
  // The window keeps its connection until the new settings are known to work.
  std::string problema;
  for (;;) {
    if (!PedeLigacao(problema)) return;
    Database teste;
    if (AbreLigacaoIni(teste, opcoes_.settingsPath, problema)) break;
  }
  try {
    std::string erro;
    if (!AbreLigacaoIni(db_, opcoes_.settingsPath, erro)) {
      dialogs_.warn(erro);
      return;
    }
    col_restricoes_.clear();
    MostraEscritorio();
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
  }
}

void ExportWindow::ConfigSeries() {
  List1_->clear();
  Recordset rs = db_.Execute(
      "select serie, descricao, seriegeral from series where serie<>'tmp' order by serie");
  for (; !rs.eof(); rs.moveNext()) {
    auto* item = new QListWidgetItem(Q(rs.text("serie")), List1_);
    item->setSelected(true);
  }
  rs.close();
}

bool ExportWindow::VerificaExercicio() {
  int ano = 0;
  if (!ExercicioValido(txtExercicio_->text().toStdString(), ano)) {
    aVerificarExercicio_ = true;
    dialogs_.warn("Exercicio inválido");
    aVerificarExercicio_ = false;
    txtExercicio_->setFocus();
    return false;
  }
  DTDataInicial_->setDate(QDate(ano, 1, 1));
  DTDataFinal_->setDate(QDate(ano, 12, 31));
  return true;
}

bool ExportWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtExercicio_ && event->type() == QEvent::FocusOut && !aVerificarExercicio_) {
    // Switching to another program or opening a menu is not leaving the box.
    Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      VerificaExercicio();
  }
  return QWidget::eventFilter(watched, event);
}

void ExportWindow::closeEvent(QCloseEvent* event) {
  // The export runs on this thread: the window stays until it ends.
  if (aExportar_)
    event->ignore();
  else
    event->accept();
}

char ExportWindow::SeparadorDecimal() {
  QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() > 32 && point[0].unicode() < 127)
    return static_cast<char>(point[0].unicode());
  return ',';
}

DateTime ExportWindow::DaData(const QDateEdit* edit) {
  QDate d = edit->date();
  return DateTime::Date(d.year(), d.month(), d.day());
}

void ExportWindow::ActivaControlos(bool activos) {
  findChild<QWidget*>("controlos", Qt::FindDirectChildrenOnly)->setEnabled(activos);
}

void ExportWindow::ExportarSaft() {
  if (aExportar_) return;
  DateTime inicio = DaData(DTDataInicial_);
  DateTime fim = DaData(DTDataFinal_);

  // The run makes these checks too; they come first so that the user is not
  // asked for a file in vain.
  try {
    if (!db_.ExisteCampo("tipoisencaoiva", "CodMencao")) {
      dialogs_.warn("Deve correr o utilitário ZAZorezed para atualizar a Base de Dados.");
      return;
    }
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
    return;
  }
  if (List1_->selectedItems().isEmpty()) {
    dialogs_.warn("Seleccione uma série, p.f.");
    return;
  }
  if (inicio > fim) {
    dialogs_.warn("A data Inicial não pode ser inferior à data final");
    return;
  }

  std::string caminho = dialogs_.askSaveFile();
  if (caminho.empty() || caminho == "*.xml") return;

  ExportRequest pedido;
  pedido.options.fiscalYear = txtExercicio_->text().toStdString();
  pedido.options.start = inicio;
  pedido.options.end = fim;
  pedido.options.versao = Combo1_->currentIndex() == 0 ? 3 : 4;
  pedido.options.comment = txtComentario_->text().toStdString();
  pedido.options.receipts = ChkRecibos_->isChecked();
  pedido.options.restrictions = col_restricoes_;
  pedido.options.today = Hoje();
  pedido.options.outputPath = caminho;
  pedido.seriesSelected = true;
  pedido.openPortal = Check1_->isChecked();
  pedido.decimalSeparator = SeparadorDecimal();

  // The run stays on this thread and the progress bars let the window
  // repaint; the controls are off meanwhile so nothing starts twice.
  aExportar_ = true;
  ActivaControlos(false);
  ExportResult resultado;
  try {
    DialogosDaExportacao dialogos(dialogs_, txtResumo_);
    ExportRun run(db_, office_, dialogos, shell_, *progresso_, *frmMotivosIsencao_);
    resultado = run.Executa(pedido);
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
    resultado = ExportResult{};
  }
  ActivaControlos(true);
  aExportar_ = false;

  if (resultado.written) MostraResumoIva(caminho);
  if (resultado.written && chkValidar_->isChecked()) ValidaFicheiro(caminho, pedido.options.versao);
}

// After the summary: the file passes, is not checked (1.03_01), or the list
// of what to fix in the billing data.
void ExportWindow::ValidaFicheiro(const std::string& path, int versao) {
  try {
    // The signatures are checked with the keys the settings file names.
    AuditOptions auditoria;
    std::string erroChaves;
    if (!LeChavesPublicasIni(opcoes_.settingsPath, auditoria, erroChaves)) {
      dialogs_.error(erroChaves);
      return;
    }
    VerificacaoDoFicheiro v =
        VerificaFicheiroExportado(path, versao, opcoes_.schemaPath, auditoria);
    if (v.cumpre() || !v.verificado)
      dialogs_.inform(v.Texto(), kTituloAplicacao);
    else
      dialogs_.warn(v.Texto());
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
  }
}

void ExportWindow::MostraResumoIva(const std::string& path) {
  try {
    txtResumoIva_->setPlainText(Q(ResumoIvaTexto(CalculaResumoIva(path))));
  } catch (const std::exception& e) {
    txtResumoIva_->setPlainText(Q(e.what()));
  }
}

void ExportWindow::VerificarErros() {
  DateTime inicio = DaData(DTDataInicial_);
  DateTime fim = DaData(DTDataFinal_);
  char separador = SeparadorDecimal();
  // Each box is shown before the next check runs.
  try {
    bool encontrou = false;
    dialogs_.warn(VerificaRecibos(db_, inicio, fim, separador, encontrou));
    dialogs_.warn(VerificaFaturas(db_, inicio, fim, separador, encontrou));
    dialogs_.warn(VerificaNumeracao(db_, inicio, fim, encontrou));
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
  }
}

void ExportWindow::AbreRestricoes() {
  RestrictionDialog dialog(db_, col_restricoes_, dialogs_, this);
  dialog.Init();
  dialog.exec();
}

}  // namespace saftpt::gui
