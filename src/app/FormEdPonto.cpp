#include "app/FormEdPonto.h"

#include "app/EditMask.h"
#include "app/Formatting.h"
#include "app/ObjectEditor.h"
#include "app/UpDown.h"
#include "app/Vars.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdlib>

namespace {

constexpr int NudgeRange = 32760;
constexpr int NudgePositionLimit = 1000;

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The circle the four nudge arrows stand around.
class TNudgeCircle : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return { 22, 22 }; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 0, 128), 1.5));
        painter.setBrush(QColor(255, 255, 0));
        const int side = std::min(width(), height()) - 4;
        painter.drawEllipse(QRect((width() - side) / 2, (height() - side) / 2, side, side));
    }
};

} // namespace

TFormEdPonto::TFormEdPonto(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormEdPonto"));
    setWindowTitle(QStringLiteral("Ponto"));
    setModal(false);

    auto* coordinates = new QGroupBox(QStringLiteral("Novas coordenadas"), this);
    EdLonPto = Named(new QLineEdit(coordinates), "EdLonPto");
    EdLatPto = Named(new QLineEdit(coordinates), "EdLatPto");
    BtPtoObjOK = Named(new QPushButton(QStringLiteral("Aplicar"), coordinates), "BtPtoObjOK");
    BtPtoObjOK->setAutoDefault(false);
    auto* fields = new QGridLayout(coordinates);
    fields->addWidget(new QLabel(QStringLiteral("Longitude"), coordinates), 0, 0);
    fields->addWidget(EdLonPto, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Latitude"), coordinates), 1, 0);
    fields->addWidget(EdLatPto, 1, 1);
    fields->addWidget(BtPtoObjOK, 2, 1, Qt::AlignRight);

    ObjPontoSobDes = Named(new TUpDown(Qt::Vertical, this), "ObjPontoSobDes");
    ObjPontoDirEsq = Named(new TUpDown(Qt::Horizontal, this), "ObjPontoDirEsq");
    for (TUpDown* nudge : { ObjPontoSobDes, ObjPontoDirEsq })
        nudge->SetRange(-NudgeRange, NudgeRange);
    TBMovSpeed2 = Named(new QSlider(Qt::Horizontal, this), "TBMovSpeed2");
    TBMovSpeed2->setRange(1, 500);
    TBMovSpeed2->setValue(150);
    TBMovSpeed2->setToolTip(QStringLiteral("Passo dos deslocamentos"));
    auto* nudges = new QGridLayout;
    nudges->addWidget(ObjPontoSobDes, 0, 0, 3, 1, Qt::AlignVCenter);
    nudges->addWidget(new TNudgeCircle(this), 1, 1);
    nudges->addWidget(ObjPontoDirEsq, 1, 2);

    BtPtorObj = Named(new QToolButton(this), "BtPtorObj");
    BtPtorObj->setText(QStringLiteral("+"));
    BtPtorObj->setToolTip(QStringLiteral("Clique no globo a nova posição do ponto"));
    BtPtorObj->setFixedSize(28, 28);
    auto* move = new QHBoxLayout;
    move->addWidget(BtPtorObj);
    move->addWidget(new QLabel(QStringLiteral("Deslocar\nvisualmente\n(Point & Move) "), this));
    move->addStretch();

    BtOK = Named(new QPushButton(QStringLiteral("OK"), this), "BtOK");
    BtCancelar = Named(new QPushButton(QStringLiteral("Cancelar"), this), "BtCancelar");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtOK);
    buttons->addWidget(BtCancelar);

    auto* tools = new QHBoxLayout;
    tools->addLayout(nudges);
    tools->addLayout(move, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(coordinates);
    layout->addLayout(tools);
    layout->addWidget(TBMovSpeed2);
    layout->addLayout(buttons);

    connect(BtPtoObjOK, &QPushButton::clicked, this, &TFormEdPonto::BtPtoObjOKClick);
    connect(ObjPontoSobDes, &TUpDown::Click, this, &TFormEdPonto::ObjPontoSobDesClick);
    connect(ObjPontoDirEsq, &TUpDown::Click, this, &TFormEdPonto::ObjPontoDirEsqClick);
    connect(BtPtorObj, &QToolButton::clicked, this, &TFormEdPonto::BtPtorObjClick);
    connect(BtOK, &QPushButton::clicked, this, &TFormEdPonto::BtOKClick);
    connect(BtCancelar, &QPushButton::clicked, this, &TFormEdPonto::BtCancelarClick);
}

void TFormEdPonto::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QDialog::changeEvent(event);
}

void TFormEdPonto::FormActivate()
{
    if (m_editor)
        m_editor->ShowLapisLayer(true);
    // The window comes back after a click on the globe or on another window:
    // the edit goes on from the point as it was when it began.
    const bool starting = !PointEditActive;
    PointEditActive = true;
    PointEditCancelled = false;
    if (starting && !Vars.PointPlotMode && m_editor)
        PointBeforeEdit = m_editor->CurrentPoint();
    Vars.PointPlotMode = false;
    if (starting) {
        const TCoordPatterns patterns = EditPatterns();
        ShowCoordEditText(*EdLonPto, CoordEditText(PointBeforeEdit.Long, patterns.Lon, 3));
        ShowCoordEditText(*EdLatPto, CoordEditText(PointBeforeEdit.Lat, patterns.Lat, 2));
    }
    if (m_editor)
        m_editor->MoveLapisToCurrentPoint();
}

void TFormEdPonto::BtPtoObjOKClick()
{
    TGeoPoint point;
    if (!m_editor
        || !NormaliseTypedPoint(ReadCoord(EdLonPto->text(), Vars.LonPattern), ReadCoord(EdLatPto->text(), Vars.LatPattern), point)) {
        if (m_editor)
            m_editor->ShowMessage(QStringLiteral("Coordenada inválida"), QStringLiteral("A latitude deve estar entre 90° S e 90° N."));
        return;
    }
    m_editor->SetCurrentPoint(point);
}

void TFormEdPonto::Nudge(TUpDown& nudge, bool next, bool latitude)
{
    if (std::abs(nudge.Position()) > NudgePositionLimit)
        nudge.SetPosition(0);
    if (!m_editor || !m_editor->HasCurrentPoint())
        return;
    const int32_t step = m_editor->NudgeStep(TBMovSpeed2->value(), next);
    TGeoPoint point = m_editor->CurrentPoint();
    (latitude ? point.Lat : point.Long) += step;
    m_editor->SetCurrentPoint(point);
}

void TFormEdPonto::ObjPontoSobDesClick(bool next)
{
    Nudge(*ObjPontoSobDes, next, true);
}

void TFormEdPonto::ObjPontoDirEsqClick(bool next)
{
    Nudge(*ObjPontoDirEsq, next, false);
}

void TFormEdPonto::BtPtorObjClick()
{
    if (m_editor)
        m_editor->StartPointPlot(true);
}

void TFormEdPonto::BtOKClick()
{
    PointEditCancelled = false;
    close();
}

void TFormEdPonto::BtCancelarClick()
{
    PointEditCancelled = true;
    close();
}

void TFormEdPonto::reject()
{
    BtCancelarClick();
}

void TFormEdPonto::closeEvent(QCloseEvent* event)
{
    // The close box keeps the edit, as OK does.
    FormClose();
    event->accept();
}

void TFormEdPonto::FormClose()
{
    if (PointEditActive && m_editor) {
        if (PointEditCancelled) {
            m_editor->SetCurrentPoint(PointBeforeEdit);
            m_editor->MoveLapisToCurrentPoint();
        } else
            m_editor->MarkLayerModified();
    }
    PointEditActive = false;
    PointEditCancelled = false;
}
