#pragma once
// "Symbols": the project's .SYM file, read-only, with "Find a symbol".
//
//   velkor::ui::SymbolsWindow symbols(uiHost);
//   if (symbols.LoadProject("/work/demo/", "Demo")) symbols.show();   // Demo.SYM
//
// The input box is a hook, so tests can answer it.

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/ui_host.h"

class QPlainTextEdit;

namespace velkor::ui {

class SymbolsWindow : public QWidget {
  Q_OBJECT
public:
  explicit SymbolsWindow(platform::UiHost& ui, QWidget* parent = nullptr);

  // Shows directory + name + ".SYM" (found whatever the case of its name); a
  // missing file is said in a message box and false returned.
  bool LoadProject(const QString& directory, const QString& name);
  // Searches the upper-cased text from the beginning and scrolls to it; when
  // it is not there, says so.
  bool FindSymbol(const QString& text);
  // Asks for the text in an input box, then FindSymbol.
  void AskAndFind();

  // Title and prompt -> the text, or nothing when the user cancels.
  std::function<std::optional<QString>(const QString& title, const QString& prompt)> askText;

  QPlainTextEdit* View() const { return view_; }

private:
  platform::UiHost& ui_;
  QPlainTextEdit* view_;
};

} // namespace velkor::ui
