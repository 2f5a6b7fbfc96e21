#include "app/PanelBasicosBMP.h"

#include "app/UpDown.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int NudgeRange = 32760;

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Arrows from the centre: four of them for a move, two diagonal ones for a
// stretch.
QIcon ArrowsIcon(bool stretch)
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 1.6));
    painter.translate(11, 11);
    const int arrows = stretch ? 2 : 4;
    painter.rotate(stretch ? -45 : 0);
    for (int i = 0; i < arrows; ++i) {
        painter.drawLine(0, 0, 9, 0);
        painter.drawLine(9, 0, 5, -3);
        painter.drawLine(9, 0, 5, 3);
        painter.rotate(360.0 / arrows);
    }
    return QIcon(pixmap);
}

QToolButton* ClickButton(const char* name, bool stretch, const QString& hint, QWidget* parent)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setIcon(ArrowsIcon(stretch));
    button->setIconSize(QSize(22, 22));
    button->setToolTip(hint);
    return button;
}

QLabel* SmallCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

} // namespace

TPanelBasicosBMP::TPanelBasicosBMP(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelBasicosBMP"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    EdNomeBMP = Named(new QLineEdit(this), "EdNomeBMP");
    EdArqBMP = Named(new QLineEdit(this), "EdArqBMP");
    BtArqBMP = Named(new QToolButton(this), "BtArqBMP");
    BtArqBMP->setText(QStringLiteral("..."));
    BtArqBMP->setToolTip(QStringLiteral("Escolher a pasta da imagem"));

    auto* insertion = new QGroupBox(QStringLiteral("Ponto de Inserção"), this);
    EdBtCentrLon = Named(new QLineEdit(insertion), "EdBtCentrLon");
    EdBtCentrLat = Named(new QLineEdit(insertion), "EdBtCentrLat");
    BtCentrBMPOK = Named(new QPushButton(QStringLiteral("Aplicar"), insertion), "BtCentrBMPOK");
    BtInserBMP = ClickButton("BtInserBMP", false, QStringLiteral("Deslocar a carta com dois cliques"), insertion);
    CarCentrDirEsq = Named(new TUpDown(Qt::Horizontal, insertion), "CarCentrDirEsq");
    CarCentrSobDes = Named(new TUpDown(Qt::Vertical, insertion), "CarCentrSobDes");
    for (TUpDown* nudge : { CarCentrDirEsq, CarCentrSobDes })
        nudge->SetRange(-NudgeRange, NudgeRange);
    CarCentrDirEsq->setToolTip(QStringLiteral("Deslocar a carta para oeste ou leste"));
    CarCentrSobDes->setToolTip(QStringLiteral("Deslocar a carta para norte ou sul"));
    auto* insertionGrid = new QGridLayout(insertion);
    insertionGrid->setContentsMargins(4, 2, 4, 2);
    insertionGrid->setSpacing(2);
    insertionGrid->addWidget(new QLabel(QStringLiteral("Lon"), insertion), 0, 0);
    insertionGrid->addWidget(EdBtCentrLon, 0, 1);
    insertionGrid->addWidget(new QLabel(QStringLiteral("Lat"), insertion), 1, 0);
    insertionGrid->addWidget(EdBtCentrLat, 1, 1);
    insertionGrid->addWidget(BtCentrBMPOK, 2, 1);
    insertionGrid->addWidget(BtInserBMP, 0, 2, Qt::AlignHCenter);
    insertionGrid->addWidget(SmallCaption(QStringLiteral("Deslocar\nvisual"), insertion), 1, 2, 2, 1);
    auto* nudges = new QGridLayout;
    nudges->addWidget(CarCentrSobDes, 0, 1, Qt::AlignHCenter);
    nudges->addWidget(CarCentrDirEsq, 1, 0, 1, 3, Qt::AlignHCenter);
    insertionGrid->addLayout(nudges, 0, 3, 3, 1);
    insertionGrid->setColumnStretch(1, 1);

    auto* scales = new QGroupBox(QStringLiteral("Distorção (proporção)"), this);
    EdDistBMPLon = Named(new QLineEdit(scales), "EdDistBMPLon");
    EdDistBMPLat = Named(new QLineEdit(scales), "EdDistBMPLat");
    BtDistBMPOK = Named(new QPushButton(QStringLiteral("Ativar"), scales), "BtDistBMPOK");
    BtDistBMP = ClickButton("BtDistBMP", true, QStringLiteral("Esticar a carta com dois cliques"), scales);
    auto* scalesGrid = new QGridLayout(scales);
    scalesGrid->setContentsMargins(4, 2, 4, 2);
    scalesGrid->setSpacing(2);
    scalesGrid->addWidget(new QLabel(QStringLiteral("Longitude"), scales), 0, 0);
    scalesGrid->addWidget(EdDistBMPLon, 0, 1);
    scalesGrid->addWidget(new QLabel(QStringLiteral("Latitude"), scales), 1, 0);
    scalesGrid->addWidget(EdDistBMPLat, 1, 1);
    scalesGrid->addWidget(BtDistBMPOK, 2, 1);
    scalesGrid->addWidget(BtDistBMP, 0, 2, Qt::AlignHCenter);
    scalesGrid->addWidget(SmallCaption(QStringLiteral("Deslocar"), scales), 1, 2);
    scalesGrid->setColumnStretch(1, 1);

    BtSalvaBMP = Named(new QPushButton(QStringLiteral("Salvar"), this), "BtSalvaBMP");

    auto* file = new QHBoxLayout;
    file->setSpacing(2);
    file->addWidget(EdArqBMP, 1);
    file->addWidget(BtArqBMP);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(new QLabel(QStringLiteral("Título"), this));
    layout->addWidget(EdNomeBMP);
    layout->addWidget(new QLabel(QStringLiteral("Imagem (BitMap 256 cores)"), this));
    layout->addLayout(file);
    layout->addWidget(insertion);
    layout->addWidget(scales);
    layout->addWidget(BtSalvaBMP, 0, Qt::AlignRight);
    layout->addStretch(1);
}

QList<QLineEdit*> TPanelBasicosBMP::ChartFields() const
{
    return { EdBtCentrLon, EdBtCentrLat, EdNomeBMP, EdArqBMP, EdDistBMPLon, EdDistBMPLat };
}
