#include "gui/ExemptionDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Widgets.h"

namespace saftpt::gui {

namespace {

bool Blank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

ExemptionDialog::ExemptionDialog(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
  setObjectName("frmMotivosIsencao");
  setWindowTitle("Validação dos Motivos de Isenção");
  setModal(true);

  auto* label1 = new QLabel(
      "Foi detetado um valor inválido para um motivo de isenção. Especifique pf o valor da "
      "tabela da AT que mais se adequa:",
      this);
  label1->setObjectName("Label1");
  label1->setWordWrap(true);
  lblDoc_ = new QLabel(this);
  lblDoc_->setObjectName("lblDoc");
  Label2_ = new QLabel(this);
  Label2_->setObjectName("Label2");
  Label2_->setWordWrap(true);
  Label2_->setTextFormat(Qt::PlainText);
  Label2_->setFrameShape(QFrame::StyledPanel);
  Label2_->setMinimumHeight(Label2_->fontMetrics().height() + 8);
  Combo1_ = new QComboBox(this);
  Combo1_->setObjectName("Combo1");
  Combo1_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Combo1_->setMinimumContentsLength(60);
  auto* command1 = new QPushButton("Atualizar documento", this);
  command1->setObjectName("Command1");
  Command2_ =
      new QPushButton("Atualizar todas as ocorrências em todos os documentos desde 1/1/2017", this);
  Command2_->setObjectName("Command2");
  auto* command3 = new QPushButton("Cancelar", this);
  command3->setObjectName("Command3");
  // Enter must not pick a button by accident: every update is confirmed anyway.
  for (QPushButton* b : {command1, Command2_, command3}) b->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addWidget(lblDoc_);
  layout->addSpacing(6);
  layout->addWidget(new QLabel("Motivo actual:", this));
  layout->addWidget(Label2_);
  layout->addSpacing(6);
  layout->addWidget(new QLabel("Motivos Tabela AT:", this));
  layout->addWidget(Combo1_);
  layout->addSpacing(6);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(command1);
  buttons->addWidget(Command2_);
  buttons->addStretch();
  buttons->addWidget(command3);
  layout->addLayout(buttons);

  connect(command1, &QPushButton::clicked, this, [this] { AtualizarDocumento(); });
  connect(Command2_, &QPushButton::clicked, this, [this] { AtualizarTodos(); });
  connect(command3, &QPushButton::clicked, this, [this] {
    ret_ = false;
    reject();
  });
}

void ExemptionDialog::Init(const ExemptionCase& c) {
  // The list follows each case's period, so a later export of another period
  // is offered its own reasons.
  motivos_ = MotivosCodificados(c.periodStart);
  Combo1_->clear();
  for (const std::string& m : motivos_) Combo1_->addItem(Q(m));
  Combo1_->setCurrentIndex(-1);
  Label2_->setText(Q(c.currentReason));
  lblDoc_->setText(Q("Documento: " + c.tipodoc + " " + c.numero + "/" + c.serie));
  Command2_->setEnabled(!Blank(c.currentReason));
}

bool ExemptionDialog::Resolve(const ExemptionCase& c, ExemptionFixer& fixer) {
  Init(c);
  fixer_ = &fixer;
  ret_ = false;
  exec();
  fixer_ = nullptr;
  return ret_;
}

void ExemptionDialog::Atualizar(bool todos) {
  int index = Combo1_->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= motivos_.size()) {
    dialogs_.warn("Tem de indicar um motivo de isenção válido.");
    return;
  }
  if (!dialogs_.confirm("Confirma a atualização?")) return;
  if (fixer_ == nullptr) return;
  MotivoIsencao escolhido = SeparaMotivo(motivos_[static_cast<size_t>(index)]);
  // A failing update writes nothing (one statement); the user may retry or
  // cancel.
  try {
    if (todos)
      fixer_->UpdateAll(escolhido);
    else
      fixer_->UpdateDocument(escolhido);
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
    return;
  }
  ret_ = true;
  accept();
}

}  // namespace saftpt::gui
