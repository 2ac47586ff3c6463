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
  setObjectName("exemptionDialog");
  setWindowTitle("Validação dos Motivos de Isenção");
  setModal(true);

  auto* introLabel = new QLabel(
      "Foi detetado um valor inválido para um motivo de isenção. Especifique pf o valor da "
      "tabela da AT que mais se adequa:",
      this);
  introLabel->setObjectName("introLabel");
  introLabel->setWordWrap(true);
  documentLabel_ = new QLabel(this);
  documentLabel_->setObjectName("documentLabel");
  currentReasonLabel_ = new QLabel(this);
  currentReasonLabel_->setObjectName("currentReasonLabel");
  currentReasonLabel_->setWordWrap(true);
  currentReasonLabel_->setTextFormat(Qt::PlainText);
  currentReasonLabel_->setFrameShape(QFrame::StyledPanel);
  currentReasonLabel_->setMinimumHeight(currentReasonLabel_->fontMetrics().height() + 8);
  reasonBox_ = new QComboBox(this);
  reasonBox_->setObjectName("reasonBox");
  reasonBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  reasonBox_->setMinimumContentsLength(60);
  auto* updateDocumentButton = new QPushButton("Atualizar documento", this);
  updateDocumentButton->setObjectName("updateDocumentButton");
  updateAllButton_ =
      new QPushButton("Atualizar todas as ocorrências em todos os documentos desde 1/1/2017", this);
  updateAllButton_->setObjectName("updateAllButton");
  auto* cancelButton = new QPushButton("Cancelar", this);
  cancelButton->setObjectName("cancelButton");
  // Enter must not pick a button by accident: every update is confirmed anyway.
  for (QPushButton* b : {updateDocumentButton, updateAllButton_, cancelButton})
    b->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(introLabel);
  layout->addWidget(documentLabel_);
  layout->addSpacing(6);
  layout->addWidget(new QLabel("Motivo actual:", this));
  layout->addWidget(currentReasonLabel_);
  layout->addSpacing(6);
  layout->addWidget(new QLabel("Motivos Tabela AT:", this));
  layout->addWidget(reasonBox_);
  layout->addSpacing(6);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(updateDocumentButton);
  buttons->addWidget(updateAllButton_);
  buttons->addStretch();
  buttons->addWidget(cancelButton);
  layout->addLayout(buttons);

  connect(updateDocumentButton, &QPushButton::clicked, this, [this] { UpdateDocument(); });
  connect(updateAllButton_, &QPushButton::clicked, this, [this] { UpdateAll(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] {
    updated_ = false;
    reject();
  });
}

void ExemptionDialog::FillCase(const ExemptionCase& c) {
  // The list follows each case's period, so a later export of another period
  // is offered its own reasons.
  motivos_ = c.offered;
  reasonBox_->clear();
  for (const std::string& m : motivos_) reasonBox_->addItem(Q(m));
  reasonBox_->setCurrentIndex(-1);
  currentReasonLabel_->setText(Q(c.currentReason));
  documentLabel_->setText(Q("Documento: " + c.tipodoc + " " + c.numero + "/" + c.serie));
  updateAllButton_->setEnabled(!Blank(c.currentReason));
}

bool ExemptionDialog::Resolve(const ExemptionCase& c, ExemptionFixer& fixer) {
  FillCase(c);
  fixer_ = &fixer;
  updated_ = false;
  exec();
  fixer_ = nullptr;
  return updated_;
}

void ExemptionDialog::Update(bool todos) {
  int index = reasonBox_->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= motivos_.size()) {
    dialogs_.Warn("Tem de indicar um motivo de isenção válido.");
    return;
  }
  if (!dialogs_.Confirm("Confirma a atualização?")) return;
  if (fixer_ == nullptr) return;
  MotivoIsencao escolhido = SeparaMotivo(motivos_[static_cast<size_t>(index)]);
  // A failing update writes nothing (one statement); the user may retry or
  // cancel.
  try {
    if (todos)
      fixer_->UpdateAll(escolhido);
    else
      fixer_->UpdateDocument(escolhido);
  } catch (const std::exception& e) {  // shown; the dialog stays open
    dialogs_.ShowError(e.what());
    return;
  }
  updated_ = true;
  accept();
}

}  // namespace saftpt::gui
