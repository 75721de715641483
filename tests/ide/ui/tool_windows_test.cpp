// The ASCII table, symbols and map tool windows; the compiler progress
// window is driven by the main window test's cancelled compile.
#include "ide/ui/ascii_table_window.h"
#include "ide/ui/map_view_window.h"
#include "ide/ui/symbols_window.h"
#include "tests/ide/ui/window_test_support.h"

using namespace velkor::ui;
using velkor::LinkArea;

class ToolWindowsTest : public QObject {
  Q_OBJECT

private slots:
  // A line feed is shown, not started: every line stays one line.
  void asciiTableHoldsEveryCode() {
    AsciiTableWindow table;
    QCOMPARE(table.List()->count(), 256);
    QCOMPARE(table.List()->item(65)->text(), " 65 41H 'A'");
    QCOMPARE(AsciiTableLine(9), "  9 09H '\t'");
    QCOMPARE(table.List()->item(10)->data(Qt::UserRole).toString(), AsciiTableLine(10));
    QVERIFY(!table.List()->item(10)->text().contains('\n'));
  }

  // A name is found whatever case it is typed in; the file is looked for
  // under the project's name, in capitals.
  void symbolsFindsALowerCaseName() {
    QTemporaryDir dir;
    Write(dir.filePath("demo.sym"), "0000H START\n0010H MAIN\n0042H PUTSTR\n8000H HEAPPTR\n");
    platform::HeadlessUiHost ui;
    SymbolsWindow symbols(ui);
    QVERIFY(!symbols.LoadProject("/nowhere/", "Demo"));
    QVERIFY(symbols.LoadProject(dir.path() + "/", "Demo"));
    for (const auto& [typed, line] : {std::pair{"nosuch", -1}, {"putstr", 2}, {"HEAPPTR", 3}}) {
      const QString text = typed;
      symbols.askText = [text](const QString&, const QString&) { return std::optional(text); };
      symbols.findChild<QPushButton*>("findSymbol")->click();
      const QTextCursor cursor = symbols.View()->textCursor();
      QCOMPARE(cursor.hasSelection() ? cursor.blockNumber() : -1, line);
      if (line >= 0) QCOMPARE(cursor.selectedText(), text.toUpper());
    }
    QCOMPARE(ui.MessageBoxTexts(),
             (std::vector<std::string>{"Symbol file \"/nowhere/Demo.SYM\" not found",
                                       "\"NOSUCH\" not found"}));
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
    // Row 0 of the code column is the LOAD area: blue; row 1 white; data
    // white. The code column's boxes span x = 80 to 139, outline included.
    const QColor blue = image.pixelColor(110, 35);
    QVERIFY(blue.blue() > 150 && blue.red() < 100 && blue.green() < 150);
    const std::tuple<int, int, QColor> pixels[] = {
        {110, 65, Qt::white}, {250, 35, Qt::white},     {80, 35, Qt::black},
        {139, 35, Qt::black}, {140, 35, Qt::lightGray}, {110, 95, Qt::lightGray}};
    for (const auto& [x, y, colour] : pixels)
      QCOMPARE(image.pixelColor(x, y), colour);
    // The start and end addresses are written beside the box.
    int inked = 0;
    for (int x = 20; x < 78; ++x)
      inked += image.pixelColor(x, 26) != QColor(Qt::lightGray);
    QVERIFY(inked > 0);
  }

  // (The map window's own picture is the screenshot test's.)
  void mapSkipsEmptyAreasAndStopsAt100() {
    std::vector<LinkArea> code;
    for (std::uint32_t i = 0; i < 101; ++i)
      code.push_back({i * 16, i * 16 + (i == 5 ? 0 : 8), true});
    std::vector<LinkArea> data = {{0, 0, false}};
    const std::vector<MapBox> boxes = LayOutMap(code, data);
    QCOMPARE(boxes.size(), std::size_t{99}); // entries 0..99 without the empty one
    QCOMPARE(boxes.back().start, 99u * 16);
    QCOMPARE(MapBottom(boxes), 20 + 30 * 98 + 30);
  }
};

QTEST_MAIN(ToolWindowsTest)
#include "tool_windows_test.moc"
