// How the windows make their widgets: named children (the object name is
// what the tests and style sheets find them by) and text from the engine.
#ifndef SAFTPT_GUI_WIDGETS_H_
#define SAFTPT_GUI_WIDGETS_H_

#include <QString>
#include <QWidget>
#include <string>
#include <utility>

namespace saftpt::gui {

// The engine's texts are UTF-8.
inline QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// A new child of `parent` called `name`, made with `args` before the parent.
template <typename T, typename... Args>
T* NamedChild(QWidget* parent, const char* name, Args&&... args) {
  T* widget = new T(std::forward<Args>(args)..., parent);
  widget->setObjectName(name);
  return widget;
}

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_WIDGETS_H_
