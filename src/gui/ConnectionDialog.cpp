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
  setObjectName("frmLigacao");
  setWindowTitle("Ligação à base de dados");

  auto* lblProblema = new QLabel(Q(problema), this);
  lblProblema->setObjectName("lblProblema");
  lblProblema->setWordWrap(true);
  lblProblema->setVisible(!problema.empty());
  auto* lblFicheiro = new QLabel(Q("Ficheiro de configuração: " + settingsPath), this);
  lblFicheiro->setObjectName("lblFicheiro");
  lblFicheiro->setWordWrap(true);

  txtServidor_ = new QLineEdit(this);
  txtServidor_->setObjectName("txtServidor");
  txtPorta_ = new QLineEdit("3306", this);
  txtPorta_->setObjectName("txtPorta");
  txtPorta_->setMaxLength(5);
  txtBaseDados_ = new QLineEdit(this);
  txtBaseDados_->setObjectName("txtBaseDados");
  txtUtilizador_ = new QLineEdit(this);
  txtUtilizador_->setObjectName("txtUtilizador");
  txtPalavraPasse_ = new QLineEdit(this);
  txtPalavraPasse_->setObjectName("txtPalavraPasse");
  txtPalavraPasse_->setEchoMode(QLineEdit::Password);

  // What the file already says, so a wrong key is corrected, not retyped.
  if (std::ifstream(settingsPath)) {
    try {
      ConnectionSettings s = LeLigacaoIni(settingsPath);
      txtServidor_->setText(Q(s.server));
      txtPorta_->setText(Q(s.port));
      txtBaseDados_->setText(Q(s.database));
      txtUtilizador_->setText(Q(s.user));
      txtPalavraPasse_->setText(Q(s.password));
    } catch (const Error&) {
      // Credentials that do not unscramble are typed again.
    }
  }

  auto* testar = new QPushButton("Testar ligação", this);
  testar->setObjectName("cmdTestar");
  testar->setAutoDefault(false);
  lblResposta_ = new QLabel(this);
  lblResposta_->setObjectName("lblResposta");
  lblResposta_->setWordWrap(true);
  lblResposta_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* botoes = new QDialogButtonBox(this);
  auto* gravar = botoes->addButton("Gravar", QDialogButtonBox::AcceptRole);
  gravar->setObjectName("cmdGravar");
  gravar->setDefault(true);
  auto* cancelar = botoes->addButton("Cancelar", QDialogButtonBox::RejectRole);
  cancelar->setObjectName("cmdCancelar");

  auto* campos = new QFormLayout;
  campos->addRow("Servidor:", txtServidor_);
  campos->addRow("Porta:", txtPorta_);
  campos->addRow("Base de dados:", txtBaseDados_);
  campos->addRow("Utilizador:", txtUtilizador_);
  campos->addRow("Palavra-passe:", txtPalavraPasse_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblProblema);
  layout->addWidget(lblFicheiro);
  layout->addLayout(campos);
  layout->addWidget(testar, 0, Qt::AlignLeft);
  layout->addWidget(lblResposta_);
  layout->addStretch();
  layout->addWidget(botoes);
  resize(460, 0);

  connect(testar, &QPushButton::clicked, this, [this] { Testar(); });
  connect(gravar, &QPushButton::clicked, this, [this] { Gravar(); });
  connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
}

ConnectionSettings ConnectionDialog::Ligacao() const {
  ConnectionSettings s;
  s.server = txtServidor_->text().trimmed().toStdString();
  s.port = txtPorta_->text().trimmed().toStdString();
  s.database = txtBaseDados_->text().trimmed().toStdString();
  s.user = txtUtilizador_->text().toStdString();
  s.password = txtPalavraPasse_->text().toStdString();
  return s;
}

void ConnectionDialog::Testar() {
  ConnectionSettings s = Ligacao();
  std::string resposta;
  if (!PortaValida(s.port)) {
    resposta = ProblemaNaLigacao(settingsPath_, s);
  } else {
    setCursor(Qt::WaitCursor);
    TestaLigacao(s, resposta);
    unsetCursor();
  }
  lblResposta_->setText(Q(resposta));
}

void ConnectionDialog::Gravar() {
  try {
    GravaLigacao(settingsPath_, Ligacao());
    accept();
  } catch (const Error& e) {
    dialogs_.error(e.description());
  }
}

}  // namespace saftpt::gui
