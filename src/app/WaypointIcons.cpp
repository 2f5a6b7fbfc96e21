#include "app/WaypointIcons.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using TDraw = std::function<void(QPainter&)>;

const QColor Ink(0x20, 0x20, 0x20);
const QColor Red(0xD0, 0x20, 0x20);
const QColor Blue(0x20, 0x50, 0xC0);
const QColor Green(0x20, 0x90, 0x30);
const QColor Yellow(0xF0, 0xC0, 0x20);
const QColor Brown(0x8B, 0x5A, 0x2B);
const QColor Grey(0x80, 0x80, 0x80);
const QColor Sea(0x40, 0x90, 0xE0);

void Pen(QPainter& p, const QColor& colour, qreal width = 2)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void Fill(QPainter& p, const QColor& colour) { p.setBrush(colour); }

void Polygon(QPainter& p, std::initializer_list<QPointF> points) { p.drawPolygon(QPolygonF(points)); }

void Letter(QPainter& p, const QString& text, const QColor& back, const QColor& fore)
{
    Pen(p, Ink, 1.5);
    Fill(p, back);
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 4, 4);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(fore);
    p.drawText(QRectF(4, 4, 24, 24), Qt::AlignCenter, text);
}

// One drawing per picture, in the order of WAYPOINT_ICON_NAMES.
const std::array<TDraw, WAYPOINT_ICON_COUNT>& Drawings()
{
    static const std::array<TDraw, WAYPOINT_ICON_COUNT> drawings = {
        [](QPainter& p) { // flag
            Pen(p, Ink, 2);
            p.drawLine(QPointF(8, 4), QPointF(8, 29));
            Pen(p, Red, 1);
            Fill(p, Red);
            Polygon(p, {{9, 5}, {26, 9}, {9, 15}});
        },
        [](QPainter& p) { // anchor
            Pen(p, Blue, 2.5);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(16, 6), 3, 3);
            p.drawLine(QPointF(16, 9), QPointF(16, 27));
            p.drawLine(QPointF(10, 13), QPointF(22, 13));
            p.drawArc(QRectF(6, 14, 20, 14), 180 * 16, 180 * 16);
        },
        [](QPainter& p) { // house
            Pen(p, Ink, 1.5);
            Fill(p, Red);
            Polygon(p, {{3, 15}, {16, 4}, {29, 15}});
            Fill(p, Yellow);
            p.drawRect(QRectF(7, 15, 18, 13));
            Fill(p, Brown);
            p.drawRect(QRectF(13, 20, 6, 8));
        },
        [](QPainter& p) { // fuel pump
            Pen(p, Ink, 1.5);
            Fill(p, Red);
            p.drawRect(QRectF(6, 6, 14, 22));
            Fill(p, Qt::white);
            p.drawRect(QRectF(9, 9, 8, 6));
            Pen(p, Ink, 2);
            p.drawPolyline(QPolygonF({{20, 10}, {25, 13}, {25, 24}, {22, 24}}));
        },
        [](QPainter& p) { // bridge
            Pen(p, Sea, 2);
            p.drawLine(QPointF(2, 27), QPointF(30, 27));
            Pen(p, Ink, 2.5);
            p.drawLine(QPointF(2, 16), QPointF(30, 16));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(6, 16, 20, 16), 0, 180 * 16);
            p.drawLine(QPointF(6, 16), QPointF(6, 27));
            p.drawLine(QPointF(26, 16), QPointF(26, 27));
        },
        [](QPainter& p) { // danger sign
            Pen(p, Red, 2.5);
            Fill(p, Yellow);
            Polygon(p, {{16, 3}, {30, 28}, {2, 28}});
            Pen(p, Ink, 3);
            p.drawLine(QPointF(16, 11), QPointF(16, 20));
            p.drawPoint(QPointF(16, 24.5));
        },
        [](QPainter& p) { // airplane
            Pen(p, Ink, 1);
            Fill(p, Blue);
            Polygon(p, {{16, 2}, {18, 10}, {30, 18}, {18, 16}, {18, 25}, {22, 29}, {10, 29},
                        {14, 25}, {14, 16}, {2, 18}, {14, 10}});
        },
        [](QPainter& p) { // fork and knife
            Pen(p, Ink, 2);
            p.drawLine(QPointF(11, 4), QPointF(11, 28));
            p.drawLine(QPointF(8, 4), QPointF(8, 11));
            p.drawLine(QPointF(14, 4), QPointF(14, 11));
            p.drawLine(QPointF(8, 11), QPointF(14, 11));
            Fill(p, Grey);
            Polygon(p, {{21, 4}, {25, 6}, {25, 16}, {22, 16}, {22, 28}, {21, 28}});
        },
        [](QPainter& p) { // bed
            Pen(p, Ink, 1.5);
            Fill(p, Blue);
            p.drawRect(QRectF(3, 16, 26, 6));
            Fill(p, Qt::white);
            p.drawRoundedRect(QRectF(5, 11, 8, 5), 2, 2);
            Pen(p, Ink, 2.5);
            p.drawLine(QPointF(3, 8), QPointF(3, 27));
            p.drawLine(QPointF(29, 16), QPointF(29, 27));
        },
        [](QPainter& p) { // car
            Pen(p, Ink, 1.5);
            Fill(p, Red);
            Polygon(p, {{3, 22}, {3, 16}, {9, 15}, {12, 9}, {22, 9}, {25, 15}, {29, 16}, {29, 22}});
            Fill(p, Ink);
            p.drawEllipse(QPointF(9, 23), 3, 3);
            p.drawEllipse(QPointF(23, 23), 3, 3);
            Fill(p, Sea);
            Polygon(p, {{13, 11}, {21, 11}, {23, 15}, {11, 15}});
        },
        [](QPainter& p) { // tent
            Pen(p, Ink, 1.5);
            Fill(p, Green);
            Polygon(p, {{2, 28}, {16, 5}, {30, 28}});
            Fill(p, Yellow);
            Polygon(p, {{12, 28}, {16, 18}, {20, 28}});
        },
        [](QPainter& p) { // fish
            Pen(p, Ink, 1.5);
            Fill(p, Sea);
            p.drawEllipse(QRectF(4, 10, 18, 12));
            Polygon(p, {{21, 16}, {29, 9}, {29, 23}});
            Fill(p, Ink);
            p.drawEllipse(QPointF(9, 15), 1, 1);
        },
        [](QPainter& p) { // church
            Pen(p, Ink, 1.5);
            Fill(p, Qt::white);
            Polygon(p, {{8, 29}, {8, 15}, {16, 9}, {24, 15}, {24, 29}});
            Pen(p, Ink, 2.5);
            p.drawLine(QPointF(16, 1), QPointF(16, 9));
            p.drawLine(QPointF(12, 4), QPointF(20, 4));
            Fill(p, Brown);
            Pen(p, Ink, 1);
            p.drawRect(QRectF(13, 21, 6, 8));
        },
        [](QPainter& p) { // medical cross
            Pen(p, Red, 1);
            Fill(p, Red);
            p.drawRect(QRectF(12, 4, 8, 24));
            p.drawRect(QRectF(4, 12, 24, 8));
        },
        [](QPainter& p) { Letter(p, QStringLiteral("P"), Blue, Qt::white); },
        [](QPainter& p) { // telephone
            Pen(p, Ink, 1.5);
            Fill(p, Ink);
            p.drawRoundedRect(QRectF(4, 6, 24, 6), 3, 3);
            Fill(p, Grey);
            Polygon(p, {{10, 12}, {22, 12}, {27, 27}, {5, 27}});
            Fill(p, Qt::white);
            p.drawEllipse(QPointF(16, 20), 4, 4);
        },
        [](QPainter& p) { // shopping bag
            Pen(p, Ink, 1.5);
            Fill(p, Yellow);
            p.drawRect(QRectF(6, 11, 20, 17));
            p.setBrush(Qt::NoBrush);
            Pen(p, Ink, 2);
            p.drawArc(QRectF(11, 4, 10, 14), 0, 180 * 16);
        },
        [](QPainter& p) { // camera
            Pen(p, Ink, 1.5);
            Fill(p, Grey);
            p.drawRoundedRect(QRectF(3, 10, 26, 17), 3, 3);
            p.drawRect(QRectF(11, 6, 10, 4));
            Fill(p, Qt::white);
            p.drawEllipse(QPointF(16, 18), 6, 6);
            Fill(p, Ink);
            p.drawEllipse(QPointF(16, 18), 3, 3);
        },
        [](QPainter& p) { // summit
            Pen(p, Ink, 1.5);
            Fill(p, Brown);
            Polygon(p, {{1, 28}, {12, 8}, {17, 16}, {21, 11}, {31, 28}});
            Fill(p, Qt::white);
            Polygon(p, {{9, 13}, {12, 8}, {15, 13}});
        },
        [](QPainter& p) { // tunnel
            Pen(p, Ink, 1.5);
            Fill(p, Brown);
            Polygon(p, {{1, 29}, {1, 14}, {8, 5}, {24, 5}, {31, 14}, {31, 29}});
            Fill(p, Ink);
            QPainterPath mouth;
            mouth.moveTo(9, 29);
            mouth.lineTo(9, 18);
            mouth.arcTo(QRectF(9, 11, 14, 14), 180, -180);
            mouth.lineTo(23, 29);
            mouth.closeSubpath();
            p.drawPath(mouth);
        },
        [](QPainter& p) { // road crossing
            Pen(p, Grey, 6);
            p.drawLine(QPointF(16, 2), QPointF(16, 30));
            p.drawLine(QPointF(2, 16), QPointF(30, 16));
            Pen(p, Qt::white, 1);
            p.drawLine(QPointF(16, 3), QPointF(16, 29));
            p.drawLine(QPointF(3, 16), QPointF(29, 16));
        },
        [](QPainter& p) { // boat
            Pen(p, Ink, 1.5);
            Fill(p, Brown);
            Polygon(p, {{3, 20}, {29, 20}, {24, 27}, {8, 27}});
            Pen(p, Ink, 2);
            p.drawLine(QPointF(15, 4), QPointF(15, 20));
            Pen(p, Ink, 1);
            Fill(p, Qt::white);
            Polygon(p, {{16, 5}, {26, 18}, {16, 18}});
        },
        [](QPainter& p) { // lighthouse
            Pen(p, Ink, 1.5);
            Fill(p, Qt::white);
            Polygon(p, {{11, 29}, {13, 10}, {19, 10}, {21, 29}});
            Fill(p, Red);
            Polygon(p, {{12, 22}, {20, 22}, {20.5, 26}, {11.5, 26}});
            Polygon(p, {{12.7, 14}, {19.3, 14}, {19.7, 18}, {12.3, 18}});
            Fill(p, Yellow);
            p.drawRect(QRectF(12, 5, 8, 5));
            Pen(p, Yellow, 1.5);
            p.drawLine(QPointF(3, 5), QPointF(10, 7));
            p.drawLine(QPointF(29, 5), QPointF(22, 7));
        },
        [](QPainter& p) { // buoy
            Pen(p, Sea, 2);
            p.drawLine(QPointF(2, 27), QPointF(30, 27));
            Pen(p, Ink, 1.5);
            Fill(p, Qt::white);
            Polygon(p, {{9, 26}, {12, 10}, {20, 10}, {23, 26}});
            Fill(p, Red);
            p.drawRect(QRectF(10.5, 17, 11, 4));
            Pen(p, Ink, 2);
            p.drawLine(QPointF(16, 3), QPointF(16, 10));
        },
        [](QPainter& p) { // shipwreck
            Pen(p, Sea, 2);
            p.drawLine(QPointF(2, 16), QPointF(30, 16));
            Pen(p, Ink, 1.5);
            Fill(p, Brown);
            p.save();
            p.translate(16, 20);
            p.rotate(-25);
            Polygon(p, {{-13, -3}, {13, -3}, {9, 5}, {-9, 5}});
            p.drawLine(QPointF(0, -3), QPointF(0, -14));
            p.restore();
        },
        [](QPainter& p) { // dam
            Pen(p, Sea, 1);
            Fill(p, Sea);
            p.drawRect(QRectF(2, 8, 10, 20));
            Pen(p, Ink, 1.5);
            Fill(p, Grey);
            Polygon(p, {{12, 6}, {18, 6}, {24, 28}, {12, 28}});
            Pen(p, Sea, 1.5);
            p.drawLine(QPointF(25, 22), QPointF(30, 22));
            p.drawLine(QPointF(25, 26), QPointF(30, 26));
        },
        [](QPainter& p) { // toll barrier
            Pen(p, Ink, 1.5);
            Fill(p, Grey);
            p.drawRect(QRectF(3, 10, 8, 18));
            Pen(p, Red, 3.5);
            p.drawLine(QPointF(11, 14), QPointF(30, 14));
            Pen(p, Qt::white, 3.5);
            p.drawLine(QPointF(16, 14), QPointF(19, 14));
            p.drawLine(QPointF(24, 14), QPointF(27, 14));
        },
        [](QPainter& p) { // police star
            Pen(p, Ink, 1);
            Fill(p, Yellow);
            Polygon(p, {{16, 2}, {19.5, 11.5}, {29.5, 11.5}, {21.5, 18}, {24.5, 28.5}, {16, 22.5},
                        {7.5, 28.5}, {10.5, 18}, {2.5, 11.5}, {12.5, 11.5}});
        },
        [](QPainter& p) { Letter(p, QStringLiteral("i"), Green, Qt::white); },
        [](QPainter& p) { // water drop
            Pen(p, Blue, 1.5);
            Fill(p, Sea);
            QPainterPath drop;
            drop.moveTo(16, 3);
            drop.cubicTo(20, 12, 26, 16, 26, 21);
            drop.arcTo(QRectF(6, 11, 20, 18), 0, -180);
            drop.cubicTo(6, 16, 12, 12, 16, 3);
            p.drawPath(drop);
        },
        [](QPainter& p) { // tree
            Pen(p, Brown, 4);
            p.drawLine(QPointF(16, 18), QPointF(16, 29));
            Pen(p, Ink, 1);
            Fill(p, Green);
            p.drawEllipse(QPointF(16, 12), 10, 9);
        },
        [](QPainter& p) { // golf flag on the green
            Pen(p, Green, 1);
            Fill(p, Green);
            p.drawEllipse(QRectF(3, 22, 26, 8));
            Pen(p, Ink, 1.5);
            p.drawLine(QPointF(14, 4), QPointF(14, 26));
            Pen(p, Red, 1);
            Fill(p, Red);
            Polygon(p, {{15, 4}, {25, 8}, {15, 12}});
        },
        [](QPainter& p) { // skull and crossbones
            Pen(p, Ink, 3);
            p.drawLine(QPointF(5, 20), QPointF(27, 29));
            p.drawLine(QPointF(27, 20), QPointF(5, 29));
            Pen(p, Ink, 1.5);
            Fill(p, Qt::white);
            p.drawEllipse(QPointF(16, 12), 9, 9);
            Fill(p, Ink);
            p.drawEllipse(QPointF(12.5, 11), 2.5, 2.5);
            p.drawEllipse(QPointF(19.5, 11), 2.5, 2.5);
        },
        [](QPainter& p) { // plain waypoint
            Pen(p, Ink, 2);
            Fill(p, Qt::white);
            p.drawEllipse(QPointF(16, 16), 12, 12);
            Fill(p, Red);
            p.drawEllipse(QPointF(16, 16), 5, 5);
        },
    };
    return drawings;
}

} // namespace

QImage WaypointIcon(int index)
{
    if (index < 0 || index >= WAYPOINT_ICON_COUNT)
        return {};
    QImage image(WAYPOINT_ICON_SIZE, WAYPOINT_ICON_SIZE, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Drawings()[static_cast<std::size_t>(index)](painter);
    painter.end();
    // The bottom-left pixel is the transparent colour: keep it white.
    image.setPixel(0, WAYPOINT_ICON_SIZE - 1, qRgb(255, 255, 255));
    return image;
}

int WaypointIconByName(const QString& name)
{
    for (int i = 0; i < WAYPOINT_ICON_COUNT; ++i)
        if (name.compare(QLatin1String(WAYPOINT_ICON_NAMES[static_cast<std::size_t>(i)]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QImage TransparentPicture(const QImage& picture)
{
    if (picture.isNull())
        return picture;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == transparent)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}
