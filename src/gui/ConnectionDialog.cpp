#include "gui/ConnectionDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <fstream>

#include "config/Connection.h"
#include "config/Error.h"
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

  // What the file already says, so a wrong key is corrected, not retyped.
  if (std::ifstream(settingsPath)) {
    try {
      ConnectionSettings s = LeLigacaoIni(settingsPath);
      serverEdit_->setText(Q(s.server));
      portEdit_->setText(Q(s.port));
      databaseEdit_->setText(Q(s.database));
      userEdit_->setText(Q(s.user));
      passwordEdit_->setText(Q(s.password));
    } catch (const Error&) {
      // Credentials that do not unscramble are typed again.
    }
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
}

ConnectionSettings ConnectionDialog::Ligacao() const {
  ConnectionSettings s;
  s.server = serverEdit_->text().trimmed().toStdString();
  s.port = portEdit_->text().trimmed().toStdString();
  s.database = databaseEdit_->text().trimmed().toStdString();
  s.user = userEdit_->text().toStdString();
  s.password = passwordEdit_->text().toStdString();
  return s;
}

void ConnectionDialog::TestConnection() {
  ConnectionSettings s = Ligacao();
  std::string resposta;
  if (!PortaValida(s.port)) {
    resposta = ProblemaNaLigacao(settingsPath_, s);
  } else {
    setCursor(Qt::WaitCursor);
    TestaLigacao(s, resposta);
    unsetCursor();
  }
  answerLabel_->setText(Q(resposta));
}

void ConnectionDialog::Save() {
  try {
    GravaLigacao(settingsPath_, Ligacao());
    accept();
  } catch (const Error& e) {
    dialogs_.ShowError(e.Description());
  }
}

}  // namespace saftpt::gui
