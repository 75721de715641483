#pragma once
// What every Kavrin window test shares: dialogs answered from a script, a
// program with its .SYM file, and a main window to drive.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <optional>

#include "simulator/ui/dialogs.h"
#include "simulator/ui/main_window.h"

namespace kavrin::ui::test {

// The push button of a window with this caption, or null.
inline QPushButton* FindButton(QWidget& window, const QString& text) {
  for (QPushButton* b : window.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

// Answers the questions in order; a question with no answer left is cancelled.
class ScriptedDialogs final : public Dialogs {
public:
  std::deque<std::optional<QString>> addressTexts, portTexts, files;
  std::deque<std::optional<BoardSettings>> boards;
  QStringList messages;

  void ShowMessage(const QString& text) override { messages << text; }
  std::optional<QString> AskAddressText(const QString&) override { return Next(addressTexts); }
  std::optional<QString> AskPortText(const QString&) override { return Next(portTexts); }
  std::optional<QString> AskFile(const QString&) override { return Next(files); }
  std::optional<BoardSettings> AskBoard(const BoardSettings&) override { return Next(boards); }

private:
  template <typename T> static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    auto answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

// The window tests' program at 0000H and its .SYM file: lights port 87H,
// greets on the terminal, then echoes every key. START: LD SP,0 /
// LD A,5AH / OUT (87H),A / CALL GREET; ECHO: IN A,(81H) / OR A / JR Z,ECHO /
// IN A,(80H) / OUT (80H),A / JR ECHO; GREET: LD HL,MESSAGE; NEXT: LD A,(HL) /
// OR A / RET Z / OUT (80H),A / INC HL / JR NEXT; MESSAGE: 'Hello',CR,LF,0.
// Writes Echo.ROM and Echo.SYM in the folder; the ROM's path, or empty.
inline QString WriteEcho(const QString& folder) {
  static const char kEcho[] = "\x31\x00\x00\x3E\x5A\xD3\x87\xCD\x15\x00\xDB\x81\xB7\x28\xFB\xDB"
                              "\x80\xD3\x80\x18\xF5\x21\x20\x00\x7E\xB7\xC8\xD3\x80\x23\x18\xF8"
                              "Hello\r\n"; // and the array's own final zero
  const QDir dir(folder);
  QFile rom(dir.filePath("Echo.ROM")), symbols(dir.filePath("Echo.SYM"));
  if (!rom.open(QIODevice::WriteOnly) || !symbols.open(QIODevice::WriteOnly)) return {};
  rom.write(kEcho, sizeof kEcho);
  symbols.write("0000 START\n000A ECHO\n0015 GREET\n0018 NEXT\n0020 MESSAGE\n");
  return dir.filePath("Echo.ROM");
}

// A test class's base for driving the main window: OpenWindow gives a fresh
// session and window over scripted dialogs, with Kavrin.ini in dir_.
class MainWindowFixture {
protected:
  void OpenWindow() {
    QFile::remove(dir_.filePath("Kavrin.ini"));
    session_ = std::make_unique<Session>();
    dialogs_ = {};
    window_ = std::make_unique<MainWindow>(*session_, dialogs_, dir_.filePath("Kavrin.ini"));
  }
  Machine& M() { return session_->machine(); }
  static QAction* Action(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
      if (a->text() == text) return a;
    return nullptr;
  }
  void Click(const char* button) {
    QPushButton* b = window_->Button(QString::fromLatin1(button));
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
  }

  QTemporaryDir dir_;
  std::unique_ptr<Session> session_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<MainWindow> window_;
};

} // namespace kavrin::ui::test
