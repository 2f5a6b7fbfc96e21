// TCompass: a compass card turned so that the heading stands at the top,
// with fixed index marks above the ring and an optional two-coloured needle
// pointing to the bearing to steer. It has no events; the owner sets Heading,
// ToSteer and Steer, and every change repaints.
#pragma once

#include <QColor>
#include <QFrame>
#include <QPoint>
#include <QString>
#include <vector>

// Sizes of one paint, in pixels.
struct TCompassGeometry {
    int CenterX = 0;
    int CenterY = 0;
    int Radius = 0; // R: the outer end of the ticks
    int Small = 0; // tick lengths
    int Large = 0;
    int Great = 0;
};

// A bearing label of the ring; Cardinal ones (N, E, S, W) are bold, three
// points larger and in CardColor.
struct TCompassLabel {
    int Bearing = 0;
    QString Text;
    QPoint TopLeft;
    int PointSize = 0;
    bool Cardinal = false;
};

class TCompass;

// The two set-ups of the card in the program: aqua marks on the main
// window's navigation tab (Arial of 15 pixels), white marks and a yellow
// Arial of 11 pixels in the road survey window; both on the panel colour
// RGB 0, 64, 128, with no needle until a route is steered.
void UseMainWindowLook(TCompass& compass);
void UseSurveyWindowLook(TCompass& compass);

class TCompass : public QFrame {
    Q_OBJECT
public:
    explicit TCompass(QWidget* parent = nullptr);

    // Degrees, clamped to 0..360 (a value that is no number counts as 0).
    double Heading() const { return m_heading; }
    void SetHeading(double degrees);
    double ToSteer() const { return m_toSteer; }
    void SetToSteer(double degrees);
    // Tick steps in degrees. A step of 0 or below means no tick of that kind:
    // SmallStp draws no ring at all, LargeStp no large ticks, GreatStp no
    // great ticks and no labels.
    int SmallStp() const { return m_smallStp; }
    void SetSmallStp(int degrees);
    int LargeStp() const { return m_largeStp; }
    void SetLargeStp(int degrees);
    int GreatStp() const { return m_greatStp; }
    void SetGreatStp(int degrees);
    QColor MkColor() const { return m_mkColor; }
    void SetMkColor(const QColor& color);
    bool Steer() const { return m_steer; }
    void SetSteer(bool steer);
    QColor BEColor() const { return m_beColor; }
    void SetBEColor(const QColor& color);
    QColor BBColor() const { return m_bbColor; }
    void SetBBColor(const QColor& color);
    QColor CardColor() const { return m_cardColor; }
    void SetCardColor(const QColor& color);

    TCompassGeometry Geometry() const;
    // The labels of the ring as the next paint places them.
    std::vector<TCompassLabel> Labels() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T> void Change(T& field, const T& value)
    {
        field = value;
        update();
    }
    int FontPointSize() const;
    int TickLength(int h, const TCompassGeometry& g) const;
    TCompassLabel Label(int bearing, double angle, const TCompassGeometry& g) const;

    double m_heading = 0;
    double m_toSteer = 0;
    int m_smallStp = 5;
    int m_largeStp = 15;
    int m_greatStp = 30;
    QColor m_mkColor = Qt::black;
    bool m_steer = true;
    QColor m_beColor = QColor(0, 128, 0);
    QColor m_bbColor = QColor(255, 0, 0);
    QColor m_cardColor = QColor(255, 0, 0);
};
