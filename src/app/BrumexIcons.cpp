#include "app/BrumexIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>
#include <functional>

namespace BrumexIcons {
namespace {

const QColor Ink(40, 40, 60);

QPixmap DrawnPixmap(int width, int height, const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(width / 32.0, width / 32.0);
    draw(painter);
    return pixmap;
}

QIcon Drawn(int size, const std::function<void(QPainter&)>& draw)
{
    return QIcon(DrawnPixmap(size, size, draw));
}

// A metal bin on a 32 x 40 grid: a tapered body with ribs; the lid lies on
// it, stands open beside it, or sits raised over crumpled paper.
void DrawWasteBin(QPainter& p, TWasteBin picture)
{
    const QColor metal(150, 160, 170);
    const QColor dark(90, 100, 112);
    p.setPen(QPen(Ink, 1.3));
    p.setBrush(metal);
    p.drawPolygon(QPolygonF({ { 6, 14 }, { 26, 14 }, { 24, 38 }, { 8, 38 } }));
    p.setPen(QPen(dark, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : { 11.0, 16.0, 21.0 })
        p.drawLine(QPointF(x, 17), QPointF(x + (x - 16) * 0.15, 35));
    if (picture == TWasteBin::Full) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(250, 250, 235));
        p.drawPolygon(QPolygonF({ { 8, 14 }, { 11, 6 }, { 15, 10 }, { 17, 4 }, { 21, 9 }, { 25, 6 }, { 24, 14 } }));
        p.setBrush(QColor(235, 200, 120));
        p.drawEllipse(QPointF(14, 10), 3, 2.5);
    }
    QTransform lid;
    if (picture == TWasteBin::Open) {
        lid.translate(6, 12);
        lid.rotate(-70);
        lid.translate(-6, -12);
    } else if (picture == TWasteBin::Full) {
        lid.translate(0, -8);
    }
    p.save();
    p.setTransform(lid, true);
    p.setPen(QPen(Ink, 1.3));
    p.setBrush(dark);
    p.drawRoundedRect(QRectF(4, 10, 24, 4), 1.5, 1.5);
    p.drawRoundedRect(QRectF(13, 7, 6, 3), 1, 1);
    p.restore();
}

// A magnifying glass; the sign inside tells zoom in from zoom out.
void DrawMagnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(QColor(110, 70, 30), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(28, 28));
    p.setPen(QPen(Ink, 2.5));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QPointF(13, 13), 9.5, 9.5);
    p.setPen(QPen(QColor(0, 90, 170), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.5, 13), QPointF(17.5, 13));
    if (plus)
        p.drawLine(QPointF(13, 8.5), QPointF(13, 17.5));
}

} // namespace

QIcon ZoomMais()
{
    return Drawn(ToolBarSize, [](QPainter& p) { DrawMagnifier(p, true); });
}

QIcon ZoomMenos()
{
    return Drawn(ToolBarSize, [](QPainter& p) { DrawMagnifier(p, false); });
}

QIcon Config()
{
    return Drawn(ToolBarSize, [](QPainter& p) {
        // A gear: eight teeth around a wheel with a hole.
        QPainterPath gear;
        gear.setFillRule(Qt::WindingFill);
        gear.addEllipse(QPointF(16, 16), 10, 10);
        for (int tooth = 0; tooth < 8; ++tooth) {
            QTransform turn;
            turn.translate(16, 16);
            turn.rotate(tooth * 45.0);
            QPainterPath t;
            t.addRoundedRect(QRectF(-3, -14.5, 6, 7), 1, 1);
            gear.addPath(turn.map(t));
        }
        QPainterPath hole;
        hole.addEllipse(QPointF(16, 16), 4, 4);
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(150, 160, 175));
        p.drawPath(gear.simplified().subtracted(hole));
    });
}

QIcon Medindo()
{
    return Drawn(ToolBarSize, [](QPainter& p) {
        // A ruler laid across the picture with its marks.
        p.translate(16, 16);
        p.rotate(-45);
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(250, 215, 80));
        p.drawRect(QRectF(-17, -5, 34, 10));
        p.setPen(QPen(Ink, 1.2));
        for (int mark = 0; mark <= 8; ++mark) {
            const qreal x = -14 + mark * 3.5;
            p.drawLine(QPointF(x, -5), QPointF(x, mark % 2 == 0 ? 0 : -2));
        }
    });
}

QPixmap WasteBin(TWasteBin picture)
{
    return DrawnPixmap(32, 40, [picture](QPainter& p) { DrawWasteBin(p, picture); });
}

QIcon Window()
{
    return Drawn(64, [](QPainter& p) {
        // A globe: ocean, one continent, and the graticule over it.
        const QPointF centre(16, 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 120, 210));
        p.drawEllipse(centre, 14, 14);
        p.setBrush(QColor(70, 170, 80));
        p.drawPolygon(QPolygonF(
            { { 9, 7 }, { 16, 5 }, { 19, 10 }, { 15, 14 }, { 17, 21 }, { 12, 26 }, { 10, 18 }, { 6, 14 } }));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(230, 240, 255), 0.9));
        p.drawEllipse(centre, 6, 14);
        p.drawLine(QPointF(16, 2), QPointF(16, 30));
        p.drawLine(QPointF(2, 16), QPointF(30, 16));
        p.drawLine(QPointF(5, 9), QPointF(27, 9));
        p.drawLine(QPointF(5, 23), QPointF(27, 23));
        p.setPen(QPen(QColor(20, 50, 100), 1.5));
        p.drawEllipse(centre, 14, 14);
    });
}

} // namespace BrumexIcons
