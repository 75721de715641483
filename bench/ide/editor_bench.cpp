// Typing in a 20,000-line Pascal file: one character inserted in the middle
// of the file, then what the window needs before it can show the change.
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdlib>

#include "ide/ui/editor_page.h"
#include "ide/ui/pascal_lexer.h"

namespace {

using velkor::ui::EditorPage;

constexpr int kFileLines = 20000;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "editor_bench";
  static char* argv[] = {name, nullptr};
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(argc, argv);
  return app;
}

// Keywords, comments over several lines and strings in every block.
QString PascalText(int fileLines) {
  QString text;
  QTextStream out(&text);
  int lines = 0;
  for (int block = 0; lines < fileLines; ++block) {
    out << "PROCEDURE P" << block << "(X: INTEGER); { routine " << block << " }\n"
        << "VAR I, J: INTEGER;\n"
        << "BEGIN\n"
        << "  (* a comment\n"
        << "     over two lines *)\n"
        << "  FOR I := 1 TO X DO\n"
        << "    IF I MOD 3 = 0 THEN WriteLn('three: ', I) ELSE J := J + I; // tally\n"
        << "END;\n";
    lines += 8;
  }
  return text;
}

struct Fixture {
  QTemporaryDir dir;
  EditorPage page;

  explicit Fixture(int fileLines = kFileLines) {
    QString path = dir.filePath("Big.Pas");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(PascalText(fileLines).toUtf8());
    file.close();
    QString error;
    if (!page.Load(path, error)) qFatal("%s", qPrintable(error));
    page.resize(800, 600);
    page.setCursorPosition(fileLines / 2, 4);
    page.ensureLineVisible(fileLines / 2);
  }
  // What a paint asks for: the text from the changed line to the last one shown.
  void StyleWhatIsShown() {
    long first = page.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    long shown = page.SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    long end = page.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION,
                                  static_cast<unsigned long>(first + shown));
    // From where styling stopped, as the paint's own request does.
    long from = page.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
    page.SendScintilla(QsciScintillaBase::SCI_COLOURISE, static_cast<unsigned long>(from), end);
  }
};

// Insert one character and restyle what the window shows.
void BM_TypeAndRestyle(benchmark::State& state) {
  Application();
  Fixture f;
  f.StyleWhatIsShown();
  for (auto _ : state) {
    f.page.insert("x");
    f.StyleWhatIsShown();
  }
  state.counters["lines"] = f.page.lines();
}
BENCHMARK(BM_TypeAndRestyle)->Unit(benchmark::kMicrosecond);

// The same with a comment opened, so every shown line below changes style.
void BM_TypeCommentOpenerAndRestyle(benchmark::State& state) {
  Application();
  Fixture f;
  f.StyleWhatIsShown();
  bool open = false;
  for (auto _ : state) {
    if (open) {
      f.page.SendScintilla(QsciScintillaBase::SCI_DELETEBACK);
    } else {
      f.page.insert("{");
    }
    open = !open;
    f.StyleWhatIsShown();
  }
}
BENCHMARK(BM_TypeCommentOpenerAndRestyle)->Unit(benchmark::kMicrosecond);

// Insert one character and paint the window, colouring and drawing included.
void BM_TypeAndPaint(benchmark::State& state) {
  Application();
  Fixture f;
  f.page.show();
  f.page.viewport()->repaint();
  for (auto _ : state) {
    f.page.insert("x");
    f.page.viewport()->repaint();
  }
}
BENCHMARK(BM_TypeAndPaint)->Unit(benchmark::kMicrosecond);

// The lexer alone: the shown lines from the typing line styled anew.
void BM_RestyleShownLines(benchmark::State& state) {
  Application();
  Fixture f;
  long lineStart = f.page.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                        static_cast<unsigned long>(kFileLines / 2));
  for (auto _ : state) {
    f.page.SendScintilla(QsciScintillaBase::SCI_STARTSTYLING,
                         static_cast<unsigned long>(lineStart));
    f.StyleWhatIsShown();
  }
}
BENCHMARK(BM_RestyleShownLines)->Unit(benchmark::kMicrosecond);

// The control alone: inserting a character without any styling. This is
// QScintilla's own cost and grows with the file: on every edit it counts the
// characters from the start of the text up to the change.
void BM_InsertOnly(benchmark::State& state) {
  Application();
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state)
    f.page.insert("x");
}
BENCHMARK(BM_InsertOnly)->Arg(2000)->Arg(kFileLines)->Unit(benchmark::kMicrosecond);

// For comparison: colouring the whole file at once, as no keystroke needs.
void BM_StyleWholeFile(benchmark::State& state) {
  Application();
  Fixture f;
  for (auto _ : state)
    f.page.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
}
BENCHMARK(BM_StyleWholeFile)->Unit(benchmark::kMillisecond);

} // namespace
