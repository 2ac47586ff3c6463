#include "gui/RestrictionDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/WindowRules.h"

namespace saftpt::gui {

namespace {
QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
}  // namespace

RestrictionDialog::RestrictionDialog(Database& db, Restricoes& restricoes, UserDialogs& dialogs,
                                     QWidget* parent)
    : QDialog(parent), db_(db), restricoes_(restricoes), dialogs_(dialogs) {
  setObjectName("frmRestricaoDocumentos");
  setWindowTitle("Restrição de Documentos");

  cbDoc_ = new QComboBox(this);
  cbDoc_->setObjectName("cbDoc");
  cbDoc_->setEditable(true);
  cbSerie_ = new QComboBox(this);
  cbSerie_->setObjectName("cbSerie");
  cbSerie_->setEditable(true);
  txtNumeroInicial_ = new QLineEdit("0", this);
  txtNumeroInicial_->setObjectName("txtNumeroInicial");
  txtNumeroFinal_ = new QLineEdit("99999", this);
  txtNumeroFinal_->setObjectName("txtNumeroFinal");
  auto* adicionar = new QPushButton("Adicionar", this);
  adicionar->setObjectName("Command1");
  auto* remover = new QPushButton("Remover", this);
  remover->setObjectName("Command2");
  List1_ = new QListWidget(this);
  List1_->setObjectName("List1");
  List1_->setSelectionMode(QAbstractItemView::SingleSelection);
  Label5_ = new QLabel(this);
  Label5_->setObjectName("Label5");

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Doc.", this), 0, 0);
  grid->addWidget(new QLabel("Série", this), 0, 1);
  grid->addWidget(new QLabel("Nº Inicial", this), 0, 2);
  grid->addWidget(new QLabel("Nº Final", this), 0, 3);
  grid->addWidget(cbDoc_, 1, 0);
  grid->addWidget(cbSerie_, 1, 1);
  grid->addWidget(txtNumeroInicial_, 1, 2);
  grid->addWidget(txtNumeroFinal_, 1, 3);
  grid->addWidget(adicionar, 1, 4);
  grid->addWidget(List1_, 2, 0, 1, 4);
  grid->addWidget(remover, 2, 4, Qt::AlignTop);
  grid->addWidget(Label5_, 3, 0, 1, 5);
  cbDoc_->setMinimumWidth(90);
  cbSerie_->setMinimumWidth(110);
  for (QLineEdit* n : {txtNumeroInicial_, txtNumeroFinal_}) n->setMaximumWidth(110);
  grid->setColumnStretch(1, 1);
  resize(560, 320);

  connect(cbDoc_, &QComboBox::currentTextChanged, this, [this] { PreencheSeries(); });
  connect(adicionar, &QPushButton::clicked, this, [this] { Adicionar(); });
  connect(remover, &QPushButton::clicked, this, [this] { Remover(); });
}

std::string RestrictionDialog::TextoLinha(const clsRestricaoDocumento& r) {
  return r.tipodoc + " " + r.Serie + " de " + std::to_string(r.NumeroInicial) + " até " +
         std::to_string(r.NumeroFinal);
}

void RestrictionDialog::Init() {
  PreencheDocumentos();
  PreencheSeries();
  List1_->clear();
  for (const clsRestricaoDocumento& r : restricoes_) List1_->addItem(Q(TextoLinha(r)));
  ActNumeroItems();
}

void RestrictionDialog::PreencheCombo(QComboBox* combo, const std::string& sql) {
  QSignalBlocker quiet(combo);
  combo->clear();
  // A failing statement is shown; the dialog stays usable with what it has.
  try {
    Recordset rs = db_.Execute(sql);
    for (; !rs.eof(); rs.moveNext()) combo->addItem(Q(rs.field(size_t{0}).text()));
  } catch (const std::exception& e) {
    dialogs_.error(e.what());
  }
  if (combo->count() > 0) combo->setCurrentIndex(0);
}

void RestrictionDialog::PreencheDocumentos() {
  PreencheCombo(cbDoc_, "select distinct documento from seriedocumento order by documento");
}

void RestrictionDialog::PreencheSeries() {
  std::string tipo = cbDoc_->currentText().toStdString();
  PreencheCombo(cbSerie_, "select distinct serie from seriedocumento where documento='" +
                              db_.Escape(tipo) + "' order by documento");
}

void RestrictionDialog::ActNumeroItems() {
  Label5_->setText("Items: " + QString::number(restricoes_.size()));
}

void RestrictionDialog::Adicionar() {
  clsRestricaoDocumento r;
  if (!NumeroInteiro(txtNumeroInicial_->text().toStdString(), r.NumeroInicial)) {
    dialogs_.warn("Número Inicial Inválido");
  } else if (!NumeroInteiro(txtNumeroFinal_->text().toStdString(), r.NumeroFinal)) {
    dialogs_.warn("Número Final Inválido");
  } else {
    r.tipodoc = cbDoc_->currentText().toStdString();
    r.Serie = cbSerie_->currentText().toStdString();
    List1_->addItem(Q(TextoLinha(r)));
    restricoes_.push_back(r);
  }
  ActNumeroItems();
}

void RestrictionDialog::Remover() {
  QList<QListWidgetItem*> selected = List1_->selectedItems();
  if (!selected.isEmpty()) {
    int row = List1_->row(selected.first());
    delete List1_->takeItem(row);
    if (row >= 0 && static_cast<size_t>(row) < restricoes_.size())
      restricoes_.erase(restricoes_.begin() + row);
  }
  ActNumeroItems();
}

}  // namespace saftpt::gui
