// The four tool windows: compiler progress, ASCII table, symbols and the map.
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ide/ui/ascii_table_window.h"
#include "ide/ui/compile_progress_window.h"
#include "ide/ui/map_view_window.h"
#include "ide/ui/symbols_window.h"

using namespace velkor::ui;
using velkor::LinkArea;

namespace {
QColor Pixel(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}
bool IsBlue(const QColor& c) {
  return c.blue() > 150 && c.red() < 100 && c.green() < 150;
}
} // namespace

class ToolWindowsTest : public QObject {
  Q_OBJECT

private slots:
  void progressShowsTheFileAndTheLines() {
    CompileProgressWindow progress;
    QCOMPARE(progress.windowTitle(), "Pascal Compiler Progress");
    auto* file = progress.findChild<QLineEdit*>("currentlyCompiling");
    auto* lines = progress.findChild<QLineEdit*>("currentLine");
    progress.ShowProgress("Sieve.Pas", 120);
    QCOMPARE(file->text(), "Sieve.Pas");
    QCOMPARE(lines->text(), "120");
    progress.Reset();
    QCOMPARE(file->text(), "");
    QCOMPARE(lines->text(), "0");
  }

  void progressButtonCancelsAndHides() {
    CompileProgressWindow progress;
    progress.show();
    QSignalSpy cancelled(&progress, &CompileProgressWindow::cancelRequested);
    progress.findChild<QPushButton*>("cancel")->click();
    QCOMPARE(cancelled.count(), 1);
    QVERIFY(progress.isHidden());
  }

  void asciiTableLines_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("line");
    QTest::newRow("65") << 65 << " 65 41H 'A'";
    QTest::newRow("0") << 0 << QString("  0 00H '") + QChar(0) + "'";
    QTest::newRow("9") << 9 << "  9 09H '\t'";
    QTest::newRow("255") << 255 << QString("255 FFH '") + QChar(255) + "'";
  }

  void asciiTableLines() {
    QFETCH(int, code);
    QFETCH(QString, line);
    QCOMPARE(AsciiTableLine(code), line);
  }

  void asciiTableWindowHoldsEveryCode() {
    AsciiTableWindow table;
    QCOMPARE(table.windowTitle(), "Ascii table");
    QListWidget* list = table.List();
    QCOMPARE(list->count(), 256);
    for (int code = 0; code < 256; ++code)
      QCOMPARE(list->item(code)->data(Qt::UserRole).toString(), AsciiTableLine(code));
    QCOMPARE(list->item(65)->text(), " 65 41H 'A'");
    // A line feed is shown, not started: every line stays one line.
    QVERIFY(!list->item(10)->text().contains('\n'));
  }

  void symbolsFindsALowerCaseName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("line"); // -1: not found
    QTest::newRow("lower case") << "putstr" << 2;
    QTest::newRow("upper case") << "HEAPPTR" << 3;
    QTest::newRow("missing") << "nosuch" << -1;
  }

  void symbolsFindsALowerCaseName() {
    QFETCH(QString, typed);
    QFETCH(int, line);
    QTemporaryDir dir;
    {
      QFile sym(dir.filePath("demo.sym"));
      QVERIFY(sym.open(QIODevice::WriteOnly));
      sym.write("0000H START\n0010H MAIN\n0042H PUTSTR\n8000H HEAPPTR\n");
    }
    platform::HeadlessUiHost ui;
    SymbolsWindow symbols(ui);
    QCOMPARE(symbols.windowTitle(), "Symbols");
    QVERIFY(symbols.LoadProject(dir.path() + "/", "Demo"));
    QStringList asked;
    symbols.askText = [&](const QString& title, const QString& prompt) -> std::optional<QString> {
      asked << title << prompt;
      return typed;
    };
    symbols.findChild<QPushButton*>("findSymbol")->click();
    QCOMPARE(asked, (QStringList{"Symbol Search", "Enter symbol to search for..."}));
    QTextCursor cursor = symbols.View()->textCursor();
    if (line < 0) {
      QCOMPARE(ui.MessageBoxTexts(), std::vector<std::string>{"\"NOSUCH\" not found"});
      QVERIFY(!cursor.hasSelection());
    } else {
      QVERIFY(ui.MessageBoxTexts().empty());
      QCOMPARE(cursor.blockNumber(), line);
      QCOMPARE(cursor.selectedText(), typed.toUpper());
    }
  }

  void symbolsSaysWhenTheFileIsMissing() {
    platform::HeadlessUiHost ui;
    SymbolsWindow symbols(ui);
    QVERIFY(!symbols.LoadProject("/nowhere/", "Demo"));
    QCOMPARE(ui.MessageBoxTexts(),
             std::vector<std::string>{"Symbol file \"/nowhere/Demo.SYM\" not found"});
  }

  void mapDrawsLoadedAreasBlue() {
    // Out of order: the drawing sorts them, and they stay sorted.
    std::vector<LinkArea> code = {{0x2000, 0x2400, false}, {0x0000, 0x1000, true}};
    std::vector<LinkArea> data = {{0x8000, 0x8100, false}};
    QImage image(320, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    int bottom = DrawMap(painter, image.rect(), code, data, Qt::lightGray);
    painter.end();
    QCOMPARE(bottom, 20 + 30 + 30);
    QCOMPARE(code.front().start, 0x0000u);
    // Row 0 of the code column is the LOAD area: blue; row 1 white; data white.
    QVERIFY(IsBlue(Pixel(image, 110, 35)));
    QCOMPARE(Pixel(image, 110, 65), QColor(Qt::white));
    QCOMPARE(Pixel(image, 250, 35), QColor(Qt::white));
    QCOMPARE(Pixel(image, 80, 35), QColor(Qt::black)); // the outline
    // The code column's boxes span x = 80 to 139, outline included.
    QCOMPARE(Pixel(image, 139, 35), QColor(Qt::black));
    QCOMPARE(Pixel(image, 140, 35), QColor(Qt::lightGray));
    QCOMPARE(Pixel(image, 110, 95), QColor(Qt::lightGray));
    // The start and end addresses are written beside the box.
    bool inked = false;
    for (int x = 20; x < 78; ++x)
      inked = inked || Pixel(image, x, 26) != QColor(Qt::lightGray);
    QVERIFY(inked);
  }

  void mapSkipsEmptyAreasAndStopsAt100() {
    std::vector<LinkArea> code;
    for (std::uint32_t i = 0; i < 101; ++i)
      code.push_back({i * 16, i * 16 + (i == 5 ? 0 : 8), true});
    std::vector<LinkArea> data = {{0, 0, false}};
    std::vector<MapBox> boxes = LayOutMap(code, data);
    QCOMPARE(boxes.size(), std::size_t{99}); // entries 0..99 without the empty one
    QCOMPARE(boxes.back().start, 99u * 16);
    QCOMPARE(MapBottom(boxes), 20 + 30 * 98 + 30);
    QCOMPARE(MapBottom(LayOutMap(data, data)), 0);

    MapViewWindow window;
    QCOMPARE(window.windowTitle(), "Map View");
    window.resize(320, 400);
    window.SetAreas(code, data);
    window.show();
    QScrollBar* bar = window.verticalScrollBar();
    QCOMPARE(bar->maximum() + bar->pageStep(), MapBottom(boxes) + 20);
  }
};

QTEST_MAIN(ToolWindowsTest)
#include "tool_windows_test.moc"
