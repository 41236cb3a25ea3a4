// Small line drawings for the toolbar, one per command, in a single style.
#include "gui/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tv::gui {
namespace {

const QColor kInk(55, 65, 80);
const QColor kPaper(250, 250, 250);
const QColor kAccent(40, 110, 190);

void Page(QPainter& p, QRectF r) {
  p.setBrush(kPaper);
  p.drawRect(r);
}

void Chevron(QPainter& p, qreal y, bool down) {
  QPainterPath path;
  const qreal d = down ? 5 : -5;
  path.moveTo(6, y - d / 2);
  path.lineTo(12, y + d / 2);
  path.lineTo(18, y - d / 2);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void Magnifier(QPainter& p) {
  p.setBrush(QColor(220, 235, 250));
  p.drawEllipse(QRectF(4, 4, 11, 11));
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(14, 14), QPointF(19, 19));
}

void Draw(QPainter& p, Cmd cmd) {
  p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  switch (cmd) {
    case Cmd::FileNew: {
      Page(p, QRectF(6, 3, 12, 18));
      p.drawLine(QPointF(9, 9), QPointF(15, 9));
      p.drawLine(QPointF(9, 13), QPointF(15, 13));
      break;
    }
    case Cmd::FileOpen: {
      p.setBrush(QColor(240, 200, 90));
      p.drawRect(QRectF(3, 7, 18, 12));
      p.drawRect(QRectF(3, 5, 7, 3));
      break;
    }
    case Cmd::FileSave: {
      p.setBrush(kAccent);
      p.drawRect(QRectF(4, 4, 16, 16));
      p.setBrush(kPaper);
      p.drawRect(QRectF(7, 4, 10, 6));
      p.drawRect(QRectF(7, 13, 10, 7));
      break;
    }
    case Cmd::Cut: {
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(4, 14, 6, 6));
      p.drawEllipse(QRectF(14, 14, 6, 6));
      p.drawLine(QPointF(9, 15), QPointF(16, 4));
      p.drawLine(QPointF(15, 15), QPointF(8, 4));
      break;
    }
    case Cmd::Clip: {
      Page(p, QRectF(4, 3, 11, 14));
      Page(p, QRectF(9, 7, 11, 14));
      break;
    }
    case Cmd::Paste: {
      p.setBrush(QColor(200, 160, 100));
      p.drawRect(QRectF(4, 5, 16, 16));
      p.setBrush(kInk);
      p.drawRect(QRectF(9, 3, 6, 4));
      Page(p, QRectF(8, 10, 9, 9));
      break;
    }
    case Cmd::Print: {
      Page(p, QRectF(7, 3, 10, 7));
      p.setBrush(QColor(190, 195, 205));
      p.drawRect(QRectF(3, 10, 18, 8));
      Page(p, QRectF(7, 15, 10, 6));
      break;
    }
    case Cmd::About: {
      p.setBrush(kAccent);
      p.drawEllipse(QRectF(3, 3, 18, 18));
      p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(12, 11), QPointF(12, 17));
      p.drawPoint(QPointF(12, 7.5));
      break;
    }
    case Cmd::ContextHelp: {
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(3, 3, 18, 18));
      QFont font = p.font();
      font.setBold(true);
      font.setPixelSize(13);
      p.setFont(font);
      p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, "?");
      break;
    }
    case Cmd::Goto: Magnifier(p); break;
    case Cmd::FindNext: {
      Magnifier(p);
      p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(15, 5), QPointF(21, 5));
      p.drawLine(QPointF(18, 2), QPointF(21, 5));
      p.drawLine(QPointF(18, 8), QPointF(21, 5));
      break;
    }
    case Cmd::PageBack: p.setPen(QPen(kInk, 2.2)); Chevron(p, 9, false); Chevron(p, 15, false); break;
    case Cmd::Back: p.setPen(QPen(kInk, 2.2)); Chevron(p, 12, false); break;
    case Cmd::Forward: p.setPen(QPen(kInk, 2.2)); Chevron(p, 12, true); break;
    case Cmd::PageForward: p.setPen(QPen(kInk, 2.2)); Chevron(p, 9, true); Chevron(p, 15, true); break;
    case Cmd::Choose: {
      p.setPen(QPen(QColor(30, 140, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      QPainterPath path;
      path.moveTo(5, 12);
      path.lineTo(10, 17);
      path.lineTo(19, 6);
      p.drawPath(path);
      break;
    }
    case Cmd::Cancel: {
      p.setPen(QPen(QColor(190, 50, 40), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(6, 6), QPointF(18, 18));
      p.drawLine(QPointF(18, 6), QPointF(6, 18));
      break;
    }
    default: break;
  }
}

}  // namespace

QIcon ToolIcon(Cmd cmd) {
  QIcon icon;
  for (const int scale : {1, 2}) {
    QPixmap pixmap(24 * scale, 24 * scale);
    pixmap.fill(Qt::transparent);
    {
      QPainter painter(&pixmap);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(scale, scale);
      Draw(painter, cmd);
    }
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace tv::gui

namespace tv::gui {

QIcon AppIcon() {
  QIcon icon;
  for (const int size : {16, 32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QPainterPath bell;
    bell.moveTo(16, 4);
    bell.cubicTo(9, 4, 8, 11, 8, 16);
    bell.cubicTo(8, 21, 5, 23, 4, 25);
    bell.lineTo(28, 25);
    bell.cubicTo(27, 23, 24, 21, 24, 16);
    bell.cubicTo(24, 11, 23, 4, 16, 4);
    p.setPen(QPen(QColor(120, 80, 10), 1.5));
    p.setBrush(QColor(222, 170, 50));
    p.drawPath(bell);
    p.setBrush(QColor(120, 80, 10));
    p.drawEllipse(QRectF(13.5, 24.5, 5, 5));
    p.drawRect(QRectF(14.5, 1.5, 3, 3));
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace tv::gui
