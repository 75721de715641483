#include "ide/ui/map_view_window.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "platform/text.h"

namespace velkor::ui {
namespace {

struct MapColumn {
  const char* heading;
  int headingX;
  int labelX;
  int boxLeft;
  int boxRight;
  bool blueWhenLoaded;
};
constexpr MapColumn kCodeColumn{"Code (Load)", 80, 20, 80, 140, true};
constexpr MapColumn kDataColumn{"Data", 234, 160, 220, 280, false};
constexpr int kHeadingY = 5;
constexpr int kFirstRowY = 20;
constexpr int kRowHeight = 30;
constexpr int kEndLabelY = 15; // below the row's top
constexpr int kScrollMargin = 20;

const QColor kLoadedBlue(0x1E, 0x5A, 0xD6);

void SortByStart(std::vector<LinkArea>& areas) {
  std::stable_sort(areas.begin(), areas.end(),
                   [](const LinkArea& a, const LinkArea& b) { return a.start < b.start; });
}

void PlaceColumn(const std::vector<LinkArea>& areas, const MapColumn& column,
                 std::vector<MapBox>& boxes) {
  int row = 0;
  for (std::size_t i = 0; i < areas.size() && i < kMapRowsDrawn; ++i) {
    const LinkArea& area = areas[i];
    if (area.start >= area.end) continue;
    int top = kFirstRowY + kRowHeight * row;
    // The outline's right and bottom lines lie inside, as the table draws them.
    QRect box(QPoint(column.boxLeft, top), QPoint(column.boxRight - 1, top + kRowHeight - 1));
    boxes.push_back({box, area.start, area.end, column.blueWhenLoaded && area.loadedFromFile});
    ++row;
  }
}

QString Address(std::uint32_t value) {
  return QString::fromStdString(platform::Hex(value, 5)) + "H";
}

// Text whose top left corner is at (x, y).
void Label(QPainter& painter, int x, int y, const QString& text) {
  QRect box(QPoint(x, y), painter.fontMetrics().size(Qt::TextSingleLine, text));
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

std::vector<MapBox> LayOutMap(std::vector<LinkArea>& code, std::vector<LinkArea>& data) {
  SortByStart(code);
  SortByStart(data);
  std::vector<MapBox> boxes;
  PlaceColumn(code, kCodeColumn, boxes);
  PlaceColumn(data, kDataColumn, boxes);
  return boxes;
}

int MapBottom(const std::vector<MapBox>& boxes) {
  int bottom = 0;
  for (const MapBox& box : boxes)
    bottom = std::max(bottom, box.box.top() + kRowHeight);
  return bottom;
}

int DrawMap(QPainter& painter, const QRect& surface, std::vector<LinkArea>& code,
            std::vector<LinkArea>& data, const QColor& background) {
  painter.fillRect(surface, background);
  painter.setPen(Qt::black);
  painter.setBackground(background);
  painter.setBackgroundMode(Qt::OpaqueMode);
  for (const MapColumn& column : {kCodeColumn, kDataColumn})
    Label(painter, column.headingX, kHeadingY, column.heading);
  std::vector<MapBox> boxes = LayOutMap(code, data);
  for (const MapBox& box : boxes) {
    int labelX = box.box.left() == kCodeColumn.boxLeft ? kCodeColumn.labelX : kDataColumn.labelX;
    Label(painter, labelX, box.box.top(), Address(box.start));
    Label(painter, labelX, box.box.top() + kEndLabelY, Address(box.end));
    painter.setBrush(box.blue ? kLoadedBlue : QColor(Qt::white));
    painter.drawRect(box.box.adjusted(0, 0, -1, -1));
  }
  painter.setBrush(Qt::NoBrush);
  return MapBottom(boxes);
}

MapViewWindow::MapViewWindow(QWidget* parent) : QAbstractScrollArea(parent) {
  setWindowFlag(Qt::Tool);
  setWindowTitle("Map View");
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  verticalScrollBar()->setSingleStep(kRowHeight);
  resize(kDataColumn.boxRight + kScrollMargin + verticalScrollBar()->sizeHint().width(), 420);
}

void MapViewWindow::SetAreas(std::vector<LinkArea> code, std::vector<LinkArea> data) {
  code_ = std::move(code);
  data_ = std::move(data);
  FitScrollRange();
  viewport()->update();
}

void MapViewWindow::FitScrollRange() {
  int content = MapBottom(LayOutMap(code_, data_)) + kScrollMargin;
  int visible = viewport()->height();
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setRange(0, std::max(0, content - visible));
}

void MapViewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  int offset = verticalScrollBar()->value();
  painter.translate(0, -offset);
  DrawMap(painter, viewport()->rect().translated(0, offset), code_, data_,
          palette().color(QPalette::Window));
}

void MapViewWindow::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  FitScrollRange();
}

} // namespace velkor::ui
