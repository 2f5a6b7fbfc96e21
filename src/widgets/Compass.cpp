#include "widgets/Compass.h"

#include <QFontInfo>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace {

// The card's own value of pi; its rounding shows in the pixel positions.
constexpr double PI = 3.1415926536;

double Rad(double degrees)
{
    return degrees * 2 * PI / 360;
}

int Round(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

double Clamped(double degrees)
{
    if (std::isnan(degrees))
        return 0;
    return std::clamp(degrees, 0.0, 360.0);
}

bool MultipleOf(int h, int step)
{
    return step > 0 && h % step == 0;
}

// The device point at a radius along a screen angle from the centre.
QPoint Polar(const TCompassGeometry& g, double radius, double angle)
{
    return { g.CenterX + Round(std::cos(angle) * radius), g.CenterY + Round(std::sin(angle) * radius) };
}

QString LabelText(int bearing)
{
    switch (bearing) {
    case 0:
        return QStringLiteral("N ");
    case 90:
        return QStringLiteral("E ");
    case 180:
        return QStringLiteral("S ");
    case 270:
        return QStringLiteral("W ");
    default:
        return QString::number(bearing);
    }
}

} // namespace

TCompass::TCompass(QWidget* parent)
    : QFrame(parent)
{
    setFont(QFont(QStringLiteral("Arial"), 8));
    resize(100, 100);
}

void TCompass::SetHeading(double degrees)
{
    Change(m_heading, Clamped(degrees));
}

void TCompass::SetToSteer(double degrees)
{
    Change(m_toSteer, Clamped(degrees));
}

void TCompass::SetSmallStp(int degrees)
{
    Change(m_smallStp, degrees);
}

void TCompass::SetLargeStp(int degrees)
{
    Change(m_largeStp, degrees);
}

void TCompass::SetGreatStp(int degrees)
{
    Change(m_greatStp, degrees);
}

void TCompass::SetMkColor(const QColor& color)
{
    Change(m_mkColor, color);
}

void TCompass::SetSteer(bool steer)
{
    Change(m_steer, steer);
}

void TCompass::SetBEColor(const QColor& color)
{
    Change(m_beColor, color);
}

void TCompass::SetBBColor(const QColor& color)
{
    Change(m_bbColor, color);
}

void TCompass::SetCardColor(const QColor& color)
{
    Change(m_cardColor, color);
}

TCompassGeometry TCompass::Geometry() const
{
    TCompassGeometry g;
    const int m = std::min(width(), height());
    g.Small = Round(m / 40.0);
    g.Large = Round(m / 20.0);
    g.Great = Round(m / 10.0);
    g.CenterX = width() / 2;
    g.CenterY = height() / 2;
    g.Radius = std::min(g.CenterX, g.CenterY) - (g.Great + g.Small + 1);
    return g;
}

int TCompass::FontPointSize() const
{
    if (font().pointSize() > 0)
        return font().pointSize();
    return Round(font().pixelSize() * 72.0 / logicalDpiY());
}

int TCompass::TickLength(int h, const TCompassGeometry& g) const
{
    if (MultipleOf(h, m_greatStp))
        return g.Great;
    if (MultipleOf(h, m_largeStp))
        return g.Large;
    return g.Small;
}

// The text's top-left corner: pushed off the ring point by an amount that
// depends on the quadrant, so that the labels sit inside the ring.
TCompassLabel TCompass::Label(int bearing, double a, const TCompassGeometry& g) const
{
    TCompassLabel label;
    label.Bearing = bearing;
    label.Text = LabelText(bearing);
    label.Cardinal = bearing % 90 == 0;
    label.PointSize = FontPointSize() + (label.Cardinal ? 3 : 0);
    const int h = Round(label.PointSize * logicalDpiY() / 72.0) + 3;
    const int w = Round(label.Text.size() * h * 8 / 15.0);
    const double c = std::cos(a);
    const double s = std::sin(a);
    double dx = c * w / 2;
    if (c < 0 && s < 0)
        dx = dx + (-s) * dx;
    if (c < 0)
        dx = 2 * dx;
    if (c > 0 && s > 0)
        dx = s * dx / 2;
    if (c > 0 && s <= 0)
        dx = -s * dx;
    double dy = s * h / 2;
    dy = s < 0 ? 2 * dy : c * dy;
    label.TopLeft
        = { g.CenterX + Round(Round(dx) + c * g.Radius), g.CenterY + Round(Round(dy) + s * g.Radius) };
    return label;
}

std::vector<TCompassLabel> TCompass::Labels() const
{
    std::vector<TCompassLabel> labels;
    if (m_smallStp <= 0)
        return labels;
    const TCompassGeometry g = Geometry();
    const double rot = -Rad(m_heading);
    for (int h = 0; h < 360; h += m_smallStp) {
        if (MultipleOf(h, m_greatStp))
            labels.push_back(Label((h + 90) % 360, Rad(h) + rot, g));
    }
    return labels;
}

void TCompass::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const TCompassGeometry g = Geometry();
    const double rot = -Rad(m_heading);
    p.fillRect(rect(), palette().color(QPalette::Window));

    p.setPen(m_mkColor);
    if (m_smallStp > 0) {
        for (int h = 0; h < 360; h += m_smallStp) {
            const double a = Rad(h) + rot;
            p.drawLine(Polar(g, g.Radius - TickLength(h, g), a), Polar(g, g.Radius, a));
        }
    }
    for (const TCompassLabel& label : Labels()) {
        QFont f = font();
        f.setPointSize(label.PointSize);
        f.setBold(label.Cardinal);
        p.setFont(f);
        p.setPen(label.Cardinal ? m_cardColor : m_mkColor);
        p.drawText(QRect(label.TopLeft, QSize(width(), height())), Qt::AlignLeft | Qt::AlignTop, label.Text);
    }

    p.setPen(m_cardColor);
    for (const double angle : { 1.5 * PI, 1.75 * PI, 1.25 * PI })
        p.drawLine(Polar(g, g.Radius, angle), Polar(g, g.Radius + g.Great + g.Small, angle));

    if (m_steer) {
        const double s = Rad(m_toSteer) + rot - PI / 2;
        const QPoint centre(g.CenterX, g.CenterY);
        const int shaft = g.Radius - g.Great;
        p.setPen(m_mkColor);
        p.drawPolyline(QPolygon({ centre, Polar(g, shaft, s), Polar(g, -shaft, s) }));
        const QPoint tip = Polar(g, g.Radius - g.Great - g.Small, s);
        const int back = g.Radius - 2 * g.Great;
        p.setPen(m_beColor);
        p.setBrush(m_beColor);
        p.drawPolygon(QPolygon({ centre, tip, Polar(g, back, s + 0.75 * PI) }));
        p.setPen(m_bbColor);
        p.setBrush(m_bbColor);
        p.drawPolygon(QPolygon({ centre, Polar(g, back, s + 1.25 * PI), tip }));
    }
    drawFrame(&p);
}

namespace {

// What both windows share; the font's point size gives its pixel height at
// the designed 96 dpi (11 points are 15 pixels, 8 points 11 pixels).
void UseWindowLook(TCompass& compass, const QColor& marks, int fontPoints, const QColor& text)
{
    compass.SetSmallStp(5);
    compass.SetLargeStp(15);
    compass.SetGreatStp(30);
    compass.SetMkColor(marks);
    compass.SetSteer(false);
    compass.SetBEColor(QColor(0, 128, 0));
    compass.SetBBColor(QColor(255, 0, 0));
    compass.SetCardColor(QColor(255, 0, 0));
    compass.setFont(QFont(QStringLiteral("Arial"), fontPoints));
    QPalette palette = compass.palette();
    palette.setColor(QPalette::Window, QColor(0, 64, 128));
    palette.setColor(QPalette::WindowText, text);
    compass.setPalette(palette);
}

} // namespace

void UseMainWindowLook(TCompass& compass)
{
    UseWindowLook(compass, Qt::cyan, 11, Qt::black);
}

void UseSurveyWindowLook(TCompass& compass)
{
    UseWindowLook(compass, Qt::white, 8, Qt::yellow);
}
