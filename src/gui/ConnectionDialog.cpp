#include "gui/ConnectionDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <fstream>

#include "app/Connection.h"
#include "base/Error.h"
#include "config/Settings.h"
#include "gui/Widgets.h"

namespace saftpt::gui {

ConnectionDialog::ConnectionDialog(const std::string& settingsPath, const std::string& problema,
                                   UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), settingsPath_(settingsPath), dialogs_(dialogs) {
  setObjectName("connectionDialog");
  setWindowTitle("Ligação à base de dados");

  auto* problemLabel = new QLabel(Q(problema), this);
  problemLabel->setObjectName("problemLabel");
  problemLabel->setWordWrap(true);
  problemLabel->setVisible(!problema.empty());
  auto* settingsFileLabel = new QLabel(Q("Ficheiro de configuração: " + settingsPath), this);
  settingsFileLabel->setObjectName("settingsFileLabel");
  settingsFileLabel->setWordWrap(true);

  serverEdit_ = new QLineEdit(this);
  serverEdit_->setObjectName("serverEdit");
  portEdit_ = new QLineEdit("3306", this);
  portEdit_->setObjectName("portEdit");
  portEdit_->setMaxLength(5);
  databaseEdit_ = new QLineEdit(this);
  databaseEdit_->setObjectName("databaseEdit");
  userEdit_ = new QLineEdit(this);
  userEdit_->setObjectName("userEdit");
  passwordEdit_ = new QLineEdit(this);
  passwordEdit_->setObjectName("passwordEdit");
  passwordEdit_->setEchoMode(QLineEdit::Password);
  tlsCheck_ = NamedChild<QCheckBox>(this, "tlsCheck", "Ligação cifrada (TLS)");
  tlsCheck_->setChecked(true);
  caEdit_ = NamedChild<QLineEdit>(this, "caEdit");
  caEdit_->setPlaceholderText("as autoridades de certificação do sistema");
  auto* caButton = NamedChild<QPushButton>(this, "caButton", "Escolher…");
  caButton->setAutoDefault(false);

  // What the file already says, so a wrong key is corrected, not retyped.
  if (std::ifstream(settingsPath)) {
    ConnectionSettings s;
    try {
      s = ReadConnectionSettings(settingsPath);
      serverEdit_->setText(Q(s.server));
      portEdit_->setText(Q(s.port));
      databaseEdit_->setText(Q(s.database));
      userEdit_->setText(Q(s.user));
      passwordEdit_->setText(Q(s.password));
    } catch (const Error&) {
      // Not hidden: credentials that do not unscramble (or a bad tls) are
      // what the window asks this dialog for; the user types them again.
    }
    tlsCheck_->setChecked(s.tls == TlsMode::kVerify);
    if (s.tls != TlsMode::kVerify) untickedTls_ = s.tls;
    caEdit_->setText(Q(s.tlsCa));
  }

  auto* testButton = new QPushButton("Testar ligação", this);
  testButton->setObjectName("testButton");
  testButton->setAutoDefault(false);
  answerLabel_ = new QLabel(this);
  answerLabel_->setObjectName("answerLabel");
  answerLabel_->setWordWrap(true);
  answerLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* botoes = new QDialogButtonBox(this);
  auto* saveButton = botoes->addButton("Gravar", QDialogButtonBox::AcceptRole);
  saveButton->setObjectName("saveButton");
  saveButton->setDefault(true);
  auto* cancelButton = botoes->addButton("Cancelar", QDialogButtonBox::RejectRole);
  cancelButton->setObjectName("cancelButton");

  auto* campos = new QFormLayout;
  campos->addRow("Servidor:", serverEdit_);
  campos->addRow("Porta:", portEdit_);
  campos->addRow("Base de dados:", databaseEdit_);
  campos->addRow("Utilizador:", userEdit_);
  campos->addRow("Palavra-passe:", passwordEdit_);
  campos->addRow(tlsCheck_);
  auto* caLinha = new QHBoxLayout;
  caLinha->addWidget(caEdit_, 1);
  caLinha->addWidget(caButton);
  campos->addRow("Autoridade (CA):", caLinha);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(problemLabel);
  layout->addWidget(settingsFileLabel);
  layout->addLayout(campos);
  layout->addWidget(testButton, 0, Qt::AlignLeft);
  layout->addWidget(answerLabel_);
  layout->addStretch();
  layout->addWidget(botoes);
  resize(460, 0);

  connect(testButton, &QPushButton::clicked, this, [this] { TestConnection(); });
  connect(saveButton, &QPushButton::clicked, this, [this] { Save(); });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(caButton, &QPushButton::clicked, this, [this] { ChooseCa(); });
  // The CA file serves only the verification.
  auto enableCa = [caButton, this](bool on) {
    caEdit_->setEnabled(on);
    caButton->setEnabled(on);
  };
  connect(tlsCheck_, &QCheckBox::toggled, this, enableCa);
  enableCa(tlsCheck_->isChecked());
}

void ConnectionDialog::ChooseCa() {
  QString file =
      QFileDialog::getOpenFileName(this, "Autoridade de certificação do servidor", caEdit_->text(),
                                   "Certificados PEM (*.pem *.crt);;Todos os ficheiros (*)");
  if (!file.isEmpty()) caEdit_->setText(file);
}

ConnectionSettings ConnectionDialog::Ligacao() const {
  ConnectionSettings s;
  s.server = serverEdit_->text().trimmed().toStdString();
  s.port = portEdit_->text().trimmed().toStdString();
  s.database = databaseEdit_->text().trimmed().toStdString();
  s.user = userEdit_->text().toStdString();
  s.password = passwordEdit_->text().toStdString();
  s.tls = tlsCheck_->isChecked() ? TlsMode::kVerify : untickedTls_;
  s.tlsCa = caEdit_->text().trimmed().toStdString();
  return s;
}

void ConnectionDialog::TestConnection() {
  ConnectionSettings s = Ligacao();
  std::string resposta;
  if (!IsValidPort(s.port)) {
    resposta = FindConnectionProblem(settingsPath_, s).value_or("");
  } else {
    setCursor(Qt::WaitCursor);
    try {
      resposta = saftpt::TestConnection(s);
    } catch (const Error& e) {  // the server's answer is what the button shows
      resposta = e.Description();
    }
    unsetCursor();
  }
  answerLabel_->setText(Q(resposta));
}

void ConnectionDialog::Save() {
  try {
    SaveConnectionSettings(settingsPath_, Ligacao());
    accept();
  } catch (const Error& e) {
    dialogs_.ShowError(e.Description());
  }
}

}  // namespace saftpt::gui
