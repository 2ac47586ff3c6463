#include "gui/RestrictionDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/SeriesLists.h"
#include "gui/Widgets.h"
#include "gui/WindowRules.h"

namespace saftpt::gui {

RestrictionDialog::RestrictionDialog(Database& db, Restricoes& restricoes, UserDialogs& dialogs,
                                     QWidget* parent)
    : QDialog(parent), db_(db), restricoes_(restricoes), dialogs_(dialogs) {
  setObjectName("restrictionDialog");
  setWindowTitle("Restrição de Documentos");

  tipoDocBox_ = NamedChild<QComboBox>(this, "tipoDocBox");
  tipoDocBox_->setEditable(true);
  serieBox_ = NamedChild<QComboBox>(this, "serieBox");
  serieBox_->setEditable(true);
  numeroInicialEdit_ = NamedChild<QLineEdit>(this, "numeroInicialEdit", "0");
  numeroFinalEdit_ = NamedChild<QLineEdit>(this, "numeroFinalEdit", "99999");
  auto* addButton = NamedChild<QPushButton>(this, "addButton", "Adicionar");
  auto* removeButton = NamedChild<QPushButton>(this, "removeButton", "Remover");
  restrictionList_ = NamedChild<QListWidget>(this, "restrictionList");
  restrictionList_->setSelectionMode(QAbstractItemView::SingleSelection);
  itemCountLabel_ = NamedChild<QLabel>(this, "itemCountLabel");

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Doc.", this), 0, 0);
  grid->addWidget(new QLabel("Série", this), 0, 1);
  grid->addWidget(new QLabel("Nº Inicial", this), 0, 2);
  grid->addWidget(new QLabel("Nº Final", this), 0, 3);
  grid->addWidget(tipoDocBox_, 1, 0);
  grid->addWidget(serieBox_, 1, 1);
  grid->addWidget(numeroInicialEdit_, 1, 2);
  grid->addWidget(numeroFinalEdit_, 1, 3);
  grid->addWidget(addButton, 1, 4);
  grid->addWidget(restrictionList_, 2, 0, 1, 4);
  grid->addWidget(removeButton, 2, 4, Qt::AlignTop);
  grid->addWidget(itemCountLabel_, 3, 0, 1, 5);
  tipoDocBox_->setMinimumWidth(90);
  serieBox_->setMinimumWidth(110);
  for (QLineEdit* n : {numeroInicialEdit_, numeroFinalEdit_}) n->setMaximumWidth(110);
  grid->setColumnStretch(1, 1);
  resize(560, 320);

  connect(tipoDocBox_, &QComboBox::currentTextChanged, this, [this] { LoadSeries(); });
  connect(addButton, &QPushButton::clicked, this, [this] { AddRestriction(); });
  connect(removeButton, &QPushButton::clicked, this, [this] { RemoveSelected(); });
}

std::string RestrictionDialog::RowText(const RestricaoDocumento& r) {
  return r.tipodoc + " " + r.serie + " de " + std::to_string(r.numeroInicial) + " até " +
         std::to_string(r.numeroFinal);
}

void RestrictionDialog::Load() {
  LoadTiposDoc();
  LoadSeries();
  restrictionList_->clear();
  for (const RestricaoDocumento& r : restricoes_) restrictionList_->addItem(Q(RowText(r)));
  ShowItemCount();
}

template <typename Read>
void RestrictionDialog::Fill(QComboBox* box, Read read) {
  QSignalBlocker quiet(box);
  box->clear();
  try {
    for (const std::string& value : read()) box->addItem(Q(value));
  } catch (const std::exception& e) {  // shown; the list stays as far as it was read
    dialogs_.ShowError(e.what());
  }
  if (box->count() > 0) box->setCurrentIndex(0);
}

void RestrictionDialog::LoadTiposDoc() {
  Fill(tipoDocBox_, [this] { return ReadTiposDoc(db_); });
}

void RestrictionDialog::LoadSeries() {
  std::string tipodoc = tipoDocBox_->currentText().toStdString();
  Fill(serieBox_, [this, &tipodoc] { return ReadSeriesOfTipoDoc(db_, tipodoc); });
}

void RestrictionDialog::ShowItemCount() {
  itemCountLabel_->setText("Items: " + QString::number(restricoes_.size()));
}

void RestrictionDialog::AddRestriction() {
  RestricaoDocumento r;
  if (!ReadInt32(numeroInicialEdit_->text().toStdString(), r.numeroInicial)) {
    dialogs_.Warn("Número Inicial Inválido");
  } else if (!ReadInt32(numeroFinalEdit_->text().toStdString(), r.numeroFinal)) {
    dialogs_.Warn("Número Final Inválido");
  } else {
    r.tipodoc = tipoDocBox_->currentText().toStdString();
    r.serie = serieBox_->currentText().toStdString();
    restrictionList_->addItem(Q(RowText(r)));
    restricoes_.push_back(r);
  }
  ShowItemCount();
}

void RestrictionDialog::RemoveSelected() {
  QList<QListWidgetItem*> selected = restrictionList_->selectedItems();
  if (!selected.isEmpty()) {
    int row = restrictionList_->row(selected.first());
    delete restrictionList_->takeItem(row);
    if (row >= 0 && static_cast<size_t>(row) < restricoes_.size())
      restricoes_.erase(restricoes_.begin() + row);
  }
  ShowItemCount();
}

}  // namespace saftpt::gui
