#pragma once
// The message window: every line the tools add through AddMessageLine, in a
// fixed-pitch font. Lines of an error report carry the error's place, and a
// double click on one (or Enter on the cursor's line) opens it in the editor.
//
//   MessageWindow window(messages);                // follows the list as lines are added
//   ui hook: window.MarkPlace(file, line, column); // the report just added
//   session.onDiagnostic: window.MarkDiagnostic(d); // where the user must look
//   connect(&window, &MessageWindow::placeRequested, &editor, &EditorWindow::ShowPosition);
//   window.ScrollToEnd(10);                        // the last 10 lines show

#include <QHash>
#include <QWidget>

#include "common/message_list.h"
#include "ide/core/build_commands.h"

class QPlainTextEdit;

namespace velkor::ui {

// How many lines the build commands keep in view after they end.
constexpr int kMessageLinesInView = 10;
// An error report (file, empty line, two source lines, caret, message) is at
// most this many lines.
constexpr int kErrorReportLines = 6;

class MessageWindow : public QWidget {
  Q_OBJECT
public:
  explicit MessageWindow(MessageList& messages, QWidget* parent = nullptr);
  ~MessageWindow() override;

  // Tags the report just added with its place: the lines from the last one
  // naming `file` (within kErrorReportLines) to the end.
  void MarkPlace(const QString& file, int line, int column);
  // The place the build step names for the report just added (the Pascal
  // line of an ASM block rather than the .Mac line the assembler marked):
  // it replaces the tool's own place. Diagnostics without a line name an
  // object, which the editor cannot show, and change nothing.
  void MarkDiagnostic(const Diagnostic& diagnostic);
  // When more than `lines` lines are held, the last `lines` show.
  void ScrollToEnd(int lines);
  // Shows the list as it is now when it was emptied since the last line.
  void Resync();
  // Opens the place of the 0-based shown line, as a double click on it does.
  void OpenLine(int line);

  QStringList ShownLines() const;
  QPlainTextEdit* Text() const { return text_; }

signals:
  void placeRequested(const QString& file, int line, int column);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  struct Place {
    QString file;
    int line;
    int column;
  };
  void Append(const std::string& line);
  void MarkLines(int first, const Place& place);

  MessageList& messages_;
  MessageList::ObserverId observer_;
  QPlainTextEdit* text_;
  std::size_t shown_ = 0;
  QHash<int, Place> places_; // by shown line
  // The lines the last mark tagged, first and last.
  int markedFirst_ = -1, markedLast_ = -1;
};

} // namespace velkor::ui
