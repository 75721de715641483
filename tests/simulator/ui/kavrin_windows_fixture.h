#pragma once
// What every Kavrin window test shares: dialogs answered from a script, a
// real program built by velkor-cli with its .SYM file, and a main window to
// drive.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
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
  QString lastInitial;
  std::optional<QString> AskAddressText(const QString& initial) override {
    lastInitial = initial;
    return Next(addressTexts);
  }
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

// Lights port 87H, greets on the terminal, then echoes every key: START
// 0000H, ECHO 000AH (after the CALL at 0007H), GREET 0015H, MESSAGE 0020H.
inline constexpr const char* kEchoSource = R"(; the window tests' program
	LINK	0,8000H
	CODE
START:	LD	SP,0
	LD	A,5AH
	OUT	(87H),A
	CALL	GREET
ECHO:	IN	A,(81H)
	OR	A
	JR	Z,ECHO
	IN	A,(80H)
	OUT	(80H),A
	JR	ECHO
GREET:	LD	HL,MESSAGE
NEXT:	LD	A,(HL)
	OR	A
	RET	Z
	OUT	(80H),A
	INC	HL
	JR	NEXT
MESSAGE:	DB	'Hello',13,10,0
	END
)";

// Builds Echo.ROM and Echo.SYM in the folder; the ROM's path, or empty.
inline QString BuildEcho(const QString& folder) {
  const QDir dir(folder);
  QFile source(dir.filePath("Echo.Mac"));
  QFile project(dir.filePath("Echo.Prj"));
  if (!source.open(QIODevice::WriteOnly) || !project.open(QIODevice::WriteOnly)) return {};
  source.write(kEchoSource);
  project.write("[General]\nTarget=2\nCPU=0\nIncludePAS=1\nWriteSym=1\n\n[Sources]\n"
                "Source1=Echo.Mac\nSource2=Undefined\n");
  source.close();
  project.close();
  QProcess cli;
  cli.setWorkingDirectory(folder);
  cli.start(KIT_BIN_DIR "/velkor-cli", {"build", "Echo.Prj"});
  if (!cli.waitForFinished(60000) || cli.exitCode() != 0) return {};
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
