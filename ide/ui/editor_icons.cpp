#include "ide/ui/editor_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velkor::ui {
namespace {

// Every picture is drawn on a 24 x 24 grid.
constexpr int kGrid = 24;
const QColor kInk(0x33, 0x33, 0x33);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kGo(0x2E, 0x9E, 0x3E);
const QColor kBlue(0x2F, 0x6F, 0xD0);
const QColor kRed(0xD0, 0x35, 0x35);

void Page(QPainter& p, qreal x, qreal y) {
  QPainterPath sheet;
  sheet.moveTo(x, y);
  sheet.lineTo(x + 10, y);
  sheet.lineTo(x + 14, y + 4);
  sheet.lineTo(x + 14, y + 18);
  sheet.lineTo(x, y + 18);
  sheet.closeSubpath();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPath(sheet);
  p.setPen(QPen(QColor(0x99, 0x99, 0x99), 1));
  for (int line = 0; line < 3; ++line)
    p.drawLine(QPointF(x + 3, y + 6 + 4 * line), QPointF(x + 10, y + 6 + 4 * line));
}

void Play(QPainter& p, qreal x, qreal y) {
  p.setPen(QPen(kGo.darker(130), 1));
  p.setBrush(kGo);
  p.drawPolygon(QPolygonF({{x, y}, {x + 10, y + 5.5}, {x, y + 11}}));
}

void Letter(QPainter& p, const QRectF& box, const QString& text, const QColor& colour) {
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(static_cast<int>(box.height()));
  p.setFont(font);
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, text);
}

void Disk(QPainter& p, qreal x, qreal y) {
  p.setPen(QPen(kBlue.darker(150), 1.2));
  p.setBrush(kBlue);
  p.drawRoundedRect(QRectF(x, y, 16, 16), 2, 2);
  p.setBrush(kPaper);
  p.drawRect(QRectF(x + 3, y + 1, 10, 6));
  p.setBrush(QColor(0xDD, 0xDD, 0xDD));
  p.drawRect(QRectF(x + 4, y + 10, 8, 6));
}

void Magnifier(QPainter& p, qreal x, qreal y) {
  p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(x + 10, y + 10), QPointF(x + 16, y + 16));
  p.setPen(QPen(kInk, 1.8));
  p.setBrush(QColor(0xD8, 0xEC, 0xFF));
  p.drawEllipse(QRectF(x, y, 12, 12));
}

void DrawCompileFile(QPainter& p) {
  Page(p, 2, 3);
  Play(p, 12, 11);
}
void DrawCompileMain(QPainter& p) {
  Page(p, 2, 3);
  Letter(p, QRectF(3, 5, 12, 12), "M", kBlue);
  Play(p, 12, 11);
}
void DrawCompileAll(QPainter& p) {
  Page(p, 6, 1);
  Page(p, 4, 3);
  Page(p, 2, 5);
  Play(p, 12, 12);
}
void DrawLink(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x55, 0x66, 0x77), 2.6));
  p.translate(12, 12);
  p.rotate(-45);
  p.drawRoundedRect(QRectF(-10, -3.5, 11, 7), 3.5, 3.5);
  p.drawRoundedRect(QRectF(-1, -3.5, 11, 7), 3.5, 3.5);
}
void DrawSave(QPainter& p) {
  Disk(p, 4, 4);
}
void DrawSaveAll(QPainter& p) {
  Disk(p, 7, 1);
  Disk(p, 2, 7);
}
void DrawClose(QPainter& p) {
  Page(p, 2, 3);
  p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13, 12), QPointF(21, 20));
  p.drawLine(QPointF(21, 12), QPointF(13, 20));
}
void DrawUndo(QPainter& p) {
  QPainterPath curve;
  curve.moveTo(6, 10);
  curve.cubicTo(12, 4, 22, 7, 20, 15);
  curve.cubicTo(19, 19, 15, 20, 12, 20);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kBlue, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(curve);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawPolygon(QPolygonF({{2, 10}, {10, 5}, {9, 14}}));
}
void DrawStatus(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawRect(QRectF(2, 8, 20, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(kGo);
  p.drawRect(QRectF(3.5, 9.5, 11, 5));
}
void DrawAscii(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawRect(QRectF(2, 2, 20, 20));
  Letter(p, QRectF(2, 2, 20, 14), "A", kInk);
  QFont font = p.font();
  font.setPixelSize(7);
  font.setBold(false);
  p.setFont(font);
  p.setPen(kBlue);
  p.drawText(QRectF(2, 14, 20, 8), Qt::AlignCenter, "41H");
}
void DrawSymbols(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawRect(QRectF(3, 2, 18, 20));
  for (int row = 0; row < 4; ++row) {
    qreal y = 6 + 4.5 * row;
    p.setPen(QPen(kBlue, 1.6));
    p.drawLine(QPointF(6, y), QPointF(11, y));
    p.setPen(QPen(QColor(0x99, 0x99, 0x99), 1.6));
    p.drawLine(QPointF(13, y), QPointF(18, y));
  }
}
void DrawCodeMap(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kBlue);
  p.drawRect(QRectF(5, 2, 14, 6));
  p.setBrush(kPaper);
  p.drawRect(QRectF(5, 9, 14, 5));
  p.setBrush(kBlue);
  p.drawRect(QRectF(5, 15, 14, 7));
}
void DrawFind(QPainter& p) {
  Magnifier(p, 3, 3);
}
void DrawReplace(QPainter& p) {
  Magnifier(p, 1, 1);
  p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13, 20), QPointF(21, 20));
  p.drawLine(QPointF(18, 17), QPointF(21, 20));
  p.drawLine(QPointF(18, 23), QPointF(21, 20));
}

struct IconPainter {
  std::string_view name;
  void (*draw)(QPainter&);
};

constexpr IconPainter kIcons[] = {
    {"compileFile", DrawCompileFile},
    {"compileMain", DrawCompileMain},
    {"compileAll", DrawCompileAll},
    {"link", DrawLink},
    {"save", DrawSave},
    {"saveAll", DrawSaveAll},
    {"close", DrawClose},
    {"undo", DrawUndo},
    {"status", DrawStatus},
    {"ascii", DrawAscii},
    {"symbols", DrawSymbols},
    {"codeMap", DrawCodeMap},
    {"find", DrawFind},
    {"replace", DrawReplace},
};

} // namespace

QIcon EditorIcon(std::string_view name) {
  for (const IconPainter& icon : kIcons) {
    if (icon.name != name) continue;
    QIcon result;
    for (int scale : {1, 2}) {
      QPixmap pixmap(kGrid * scale, kGrid * scale);
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(scale, scale);
      icon.draw(painter);
      painter.end();
      result.addPixmap(pixmap);
    }
    return result;
  }
  return {};
}

} // namespace velkor::ui
