#include "app/FormRotas.h"

#include "app/Formatting.h"
#include "app/RouteGuidance.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "geo/GeoDataObject.h"
#include "platform/Cp1252.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>
#include <cmath>

namespace {

constexpr std::array<int, 6> COLUMN_WIDTHS = {35, 69, 67, 62, 55, 53};
const char* const HEADERS[] = {"Pto", "Lon", "Lat", "Dist", "Dir", "ETA"};
constexpr int ROW_HEIGHT = 20;
// The next point's row: 0xF0CAA6 as the platform writes colours ($00BBGGRR).
const QColor NEXT_POINT_COLOUR(0xA6, 0xCA, 0xF0);

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Hands the painting of every data cell to the window's draw handler.
class TRouteGridDelegate : public QStyledItemDelegate {
public:
    explicit TRouteGridDelegate(TFormRotas& window)
        : QStyledItemDelegate(&window)
        , m_window(window)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        m_window.GridWayPtsRotaDrawCell(*painter, index.row() + 1, index.column(), option.rect);
    }

private:
    TFormRotas& m_window;
};

// The coordinate format of the grid: index 1 is format 1, 0 format 0, any
// other format 2.
int GridCoordFormat()
{
    const int index = CurrentCoordFormat();
    return index == 0 ? 0 : index == 1 ? 1 : 2;
}

// The text of a point's column, empty where there is none.
QString CellText(int point, int column)
{
    const std::vector<TGeoPoint> route = RoutePointsOf(Vars.RouteObject);
    if (point >= static_cast<int>(route.size()))
        return {};
    const TGeoPoint p = route[static_cast<std::size_t>(point)];
    const TCoordPatterns patterns = CoordPatterns(GridCoordFormat());
    if (column == 1)
        return fromCp1252(FormatCoord(p.Long, patterns.Lon));
    if (column == 2)
        return fromCp1252(FormatCoord(p.Lat, patterns.Lat));
    if (!Vars.RouteActive || point >= static_cast<int>(Vars.RouteLegs.size()))
        return {};
    const TRouteLeg& leg = Vars.RouteLegs[static_cast<std::size_t>(point)];
    if (column == 3)
        return DistanceText(leg.Distance);
    if (column == 4)
        return QString::number(std::nearbyint(CompassDegrees(leg.Bearing)), 'f', 0) + QStringLiteral("°");
    if (column == 5) {
        const QDateTime now = QDateTime::currentDateTime();
        return LongTimeText(now.time().msecsSinceStartOfDay() / 86400000.0 + leg.Eta);
    }
    return {};
}

} // namespace

TFormRotas::TFormRotas(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRotas"));
    setWindowTitle(QStringLiteral("Rotas"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    resize(397, 302);

    GridWayPtsRota = Named(new QTableWidget(0, static_cast<int>(COLUMN_WIDTHS.size()), this), "GridWayPtsRota");
    GridWayPtsRota->verticalHeader()->hide();
    GridWayPtsRota->verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    GridWayPtsRota->horizontalHeader()->setFixedHeight(ROW_HEIGHT);
    GridWayPtsRota->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < static_cast<int>(COLUMN_WIDTHS.size()); ++c) {
        GridWayPtsRota->setColumnWidth(c, COLUMN_WIDTHS[static_cast<std::size_t>(c)]);
        GridWayPtsRota->setHorizontalHeaderItem(c, new QTableWidgetItem(QLatin1String(HEADERS[c])));
    }
    GridWayPtsRota->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridWayPtsRota->setSelectionMode(QAbstractItemView::NoSelection);
    GridWayPtsRota->setItemDelegate(new TRouteGridDelegate(*this));

    PanelContrPontos = Named(new QFrame(this), "PanelContrPontos");
    PanelContrPontos->setFrameShape(QFrame::StyledPanel);
    LabelProx = Named(new QLabel(PanelContrPontos), "LabelProx");
    LabelDistProx = Named(new QLabel(PanelContrPontos), "LabelDistProx");
    LabelTempo = Named(new QLabel(PanelContrPontos), "LabelTempo");
    LabelVMG = Named(new QLabel(PanelContrPontos), "LabelVMG");
    UpDownPontosRota = Named(new TUpDown(Qt::Vertical, PanelContrPontos), "UpDownPontosRota");
    UpDownPontosRota->SetRange(0, 5000);
    UpDownPontosRota->SetPosition(500);
    connect(UpDownPontosRota, &TUpDown::Click, this, &TFormRotas::UpDownPontosRotaClick);
    auto* left = new QVBoxLayout;
    left->addWidget(LabelProx);
    left->addWidget(LabelDistProx);
    auto* right = new QVBoxLayout;
    right->addWidget(LabelTempo);
    right->addWidget(LabelVMG);
    auto* panel = new QHBoxLayout(PanelContrPontos);
    panel->setContentsMargins(6, 4, 4, 4);
    panel->addLayout(left, 1);
    panel->addLayout(right, 1);
    panel->addWidget(UpDownPontosRota);

    Splitter1 = Named(new QFrame(this), "Splitter1");
    Splitter1->setFixedWidth(3);
    Splitter1->setAutoFillBackground(true);
    QPalette red = Splitter1->palette();
    red.setColor(QPalette::Window, Qt::red);
    Splitter1->setPalette(red);
    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* content = new QVBoxLayout;
    content->setSpacing(0);
    content->addWidget(GridWayPtsRota, 1);
    content->addWidget(PanelContrPontos);
    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(Splitter1);
    body->addLayout(content, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(body, 1);
    layout->addWidget(StatusBar1);
}

int TFormRotas::RowCount() const { return GridWayPtsRota->rowCount() + 1; }

void TFormRotas::SetRowCount(int rows) { GridWayPtsRota->setRowCount(std::max(0, rows - 1)); }

void TFormRotas::FormActivate()
{
    if (OnActivate)
        OnActivate();
}

void TFormRotas::FormClose()
{
    if (OnClose)
        OnClose();
}

void TFormRotas::GridWayPtsRotaDrawCell(QPainter& painter, int row, int column, const QRect& cell) const
{
    const bool next = row == Vars.NextWaypoint + 1;
    painter.fillRect(cell, next && column > 0 ? NEXT_POINT_COLOUR : QColor(Qt::white));
    const QString text = row == 0 ? QLatin1String(HEADERS[column])
        : column == 0             ? QString::number(row)
                                  : CellText(row - 1, column);
    const QFontMetrics metrics(painter.font());
    const int top = std::max(1, (cell.height() - metrics.height()) / 2) - 1;
    painter.setPen(Qt::black);
    painter.drawText(QRect(cell.left() + 2, cell.top() + top, cell.width() - 2, metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop, text);
}

void TFormRotas::UpDownPontosRotaClick(bool next)
{
    const int lastPoint = static_cast<int>(RoutePointsOf(Vars.RouteObject).size()) - 1;
    if (next && Vars.NextWaypoint < lastPoint)
        ++Vars.NextWaypoint;
    else if (!next && Vars.NextWaypoint > 0)
        --Vars.NextWaypoint;
    GridWayPtsRota->viewport()->update();
}

void TFormRotas::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormRotas::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormRotas::done(int result)
{
    FormClose();
    QDialog::done(result);
}
