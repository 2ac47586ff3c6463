// The windows' read-only tables and their "Copiar" button: what is copied
// pastes into a spreadsheet as columns.
#ifndef SAFTPT_GUI_TABLES_H_
#define SAFTPT_GUI_TABLES_H_

#include <QString>
#include <QStringList>
#include <functional>

class QAbstractItemModel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QWidget;

namespace saftpt::gui {

// An empty model with these column headers.
QStandardItemModel* NewTableModel(QWidget* parent, const QStringList& headers);

// A read-only view of `model` called `name`, whole rows selected.
QTableView* NewTable(QWidget* parent, const char* name, QAbstractItemModel* model);

// The headers and the rows, tab-separated, one line each. A cell gives its
// Qt::UserRole text when it has one (a number without the thousands apart,
// which a spreadsheet reads as a number), else the text shown.
QString TabSeparated(const QAbstractItemModel& model);

// "Copiar" (called `name`): puts TabSeparated(model) on the clipboard.
QPushButton* NewCopyButton(QWidget* parent, const char* name, const QAbstractItemModel* model);
// "Copiar" for a view of several tables: puts `text()` on the clipboard.
QPushButton* NewCopyButton(QWidget* parent, const char* name, std::function<QString()> text);

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_TABLES_H_
