#include "simulator/ui/flag_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "simulator/ui/look.h"

namespace kavrin::ui {
namespace {

// Left and right edges of the S, Z, P, N and C click zones.
constexpr int kZones[][2] = {{0, 14}, {15, 32}, {33, 48}, {49, 64}, {65, 80}};
constexpr int kFieldWidth = 81;

} // namespace

FlagBox::FlagBox(QWidget* parent) : QWidget(parent) {
  setFont(FixedFont());
  setFixedSize(kFieldWidth, fontMetrics().height() + 6);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("S Z P N C: click a flag to toggle it"));
}

void FlagBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  painter.setPen(palette().mid().color());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(palette().text().color());
  const QStringList digits = text_.split(' ', Qt::SkipEmptyParts);
  for (int i = 0; i < digits.size() && i < 5; ++i) {
    const QRect zone(kZones[i][0], 0, kZones[i][1] - kZones[i][0] + 1, height());
    painter.drawText(zone, Qt::AlignCenter, digits[i]);
  }
}

void FlagBox::mousePressEvent(QMouseEvent* event) {
  if (onClick) onClick(event->position().toPoint().x());
}

} // namespace kavrin::ui
