#pragma once
// The message window: every line the tools add through AddMessageLine, in a
// fixed-pitch font. Lines of an error report carry the error's place, and a
// double click on one opens it in the editor.
//
//   MessageWindow window(messages);                // follows the list as lines are added
//   ui hook: window.MarkPlace(file, line, column); // the report just added
//   connect(&window, &MessageWindow::placeRequested, &editor, &EditorWindow::ShowPosition);
//   window.ScrollToEnd(10);                        // the last 10 lines show

#include <QWidget>

#include "common/message_list.h"

class QListWidget;
class QListWidgetItem;

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
  // When more than `lines` lines are held, the last `lines` show.
  void ScrollToEnd(int lines);
  // Shows the list as it is now when it was emptied since the last line.
  void Resync();
  QListWidget* List() const { return list_; }

signals:
  void placeRequested(const QString& file, int line, int column);

private:
  void Append(const std::string& line);
  void Open(QListWidgetItem* item);

  MessageList& messages_;
  MessageList::ObserverId observer_;
  QListWidget* list_;
};

} // namespace velkor::ui
