#pragma once
// "Map View": the code and data areas of the last link as a picture of the
// address space, loaded code areas blue, the others white, each with its
// start and end address beside it.
//
//   auto* map = new velkor::ui::MapViewWindow(mainWindow);
//   map->SetAreas(session.lastLink.codeAreas, session.lastLink.dataAreas);
//   map->show();
//
//   QImage image(320, 400, QImage::Format_RGB32);      // or draw into an image
//   QPainter painter(&image);
//   int bottom = velkor::ui::DrawMap(painter, image.rect(), code, data, Qt::lightGray);

#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>
#include <vector>

#include "linker/linker.h"

class QPainter;

namespace velkor::ui {

// Only the first entries of each table are drawn.
constexpr std::size_t kMapRowsDrawn = 100;

// One drawn area: its rectangle and what its labels say.
struct MapBox {
  QRect box;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  bool blue = false;
};

// Sorts both tables by start position (they stay sorted) and places a box
// for each non-empty area: code in the left column, data in the right.
std::vector<MapBox> LayOutMap(std::vector<LinkArea>& code, std::vector<LinkArea>& data);
// The largest bottom edge of the boxes, 0 without any.
int MapBottom(const std::vector<MapBox>& boxes);
// Fills `surface` with the background, draws the headings, labels and boxes,
// and returns MapBottom.
int DrawMap(QPainter& painter, const QRect& surface, std::vector<LinkArea>& code,
            std::vector<LinkArea>& data, const QColor& background);

class MapViewWindow : public QAbstractScrollArea {
  Q_OBJECT
public:
  explicit MapViewWindow(QWidget* parent = nullptr);

  void SetAreas(std::vector<LinkArea> code, std::vector<LinkArea> data);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void FitScrollRange();

  std::vector<LinkArea> code_;
  std::vector<LinkArea> data_;
};

} // namespace velkor::ui
