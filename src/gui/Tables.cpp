#include "gui/Tables.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include "gui/Widgets.h"

namespace saftpt::gui {

QStandardItemModel* NewTableModel(QWidget* parent, const QStringList& headers) {
  auto* model = new QStandardItemModel(0, static_cast<int>(headers.size()), parent);
  model->setHorizontalHeaderLabels(headers);
  return model;
}

QTableView* NewTable(QWidget* parent, const char* name, QAbstractItemModel* model) {
  auto* table = NamedChild<QTableView>(parent, name);
  table->setModel(model);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setWordWrap(false);
  return table;
}

QString TabSeparated(const QAbstractItemModel& model) {
  QStringList lines;
  QStringList cells;
  for (int c = 0; c < model.columnCount(); ++c)
    cells << model.headerData(c, Qt::Horizontal).toString();
  lines << cells.join('\t');
  for (int r = 0; r < model.rowCount(); ++r) {
    cells.clear();
    for (int c = 0; c < model.columnCount(); ++c) {
      QModelIndex cell = model.index(r, c);
      QVariant plain = model.data(cell, Qt::UserRole);
      cells << (plain.isValid() ? plain : model.data(cell)).toString();
    }
    lines << cells.join('\t');
  }
  return lines.join('\n') + '\n';
}

QPushButton* NewCopyButton(QWidget* parent, const char* name, const QAbstractItemModel* model) {
  return NewCopyButton(parent, name, [model] { return TabSeparated(*model); });
}

QPushButton* NewCopyButton(QWidget* parent, const char* name, std::function<QString()> text) {
  auto* button = NamedChild<QPushButton>(parent, name, "Copiar");
  QObject::connect(button, &QPushButton::clicked, button,
                   [text] { QGuiApplication::clipboard()->setText(text()); });
  return button;
}

}  // namespace saftpt::gui
