#include "app/PanelEdObjetos.h"

#include "app/StringGrid.h"
#include "app/UpDown.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int NudgeRange = 32760;
constexpr int GridRowHeight = 16;

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QAction* MenuItem(QMenu& menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = Named(menu.addAction(caption), name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // The keys work while the grid has the focus, the menu closed.
        action->setShortcutContext(Qt::WidgetShortcut);
        menu.parentWidget()->addAction(action);
    }
    return action;
}

} // namespace

TPanelEdObjetos::TPanelEdObjetos(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelEdObjetos"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    EdNomeObj = Named(new QLineEdit(this), "EdNomeObj");
    LabelObjLayName = Named(new QLabel(this), "LabelObjLayName");

    auto* centroid = new QGroupBox(QStringLiteral("Centroid"), this);
    BtCentrObj = Named(new QToolButton(centroid), "BtCentrObj");
    BtCentrObj->setText(QStringLiteral("Deslocar\n(visual)"));
    BtCentrObj->setToolTip(QStringLiteral("Deslocar o objeto com um clique no globo"));
    ObjCentrSobDes = Named(new TUpDown(Qt::Vertical, centroid), "ObjCentrSobDes");
    ObjCentrDirEsq = Named(new TUpDown(Qt::Horizontal, centroid), "ObjCentrDirEsq");
    for (TUpDown* nudge : { ObjCentrSobDes, ObjCentrDirEsq })
        nudge->SetRange(-NudgeRange, NudgeRange);
    ObjCentrSobDes->setToolTip(QStringLiteral("Deslocar para norte ou sul"));
    ObjCentrDirEsq->setToolTip(QStringLiteral("Deslocar para leste ou oeste"));
    TBMovSpeed = Named(new QSlider(Qt::Horizontal, centroid), "TBMovSpeed");
    TBMovSpeed->setRange(1, 500);
    TBMovSpeed->setValue(150);
    TBMovSpeed->setToolTip(QStringLiteral("Passo dos deslocamentos"));
    EdCentrLon = Named(new QLineEdit(centroid), "EdCentrLon");
    EdCentrLat = Named(new QLineEdit(centroid), "EdCentrLat");
    BtCentrObjOK = Named(new QPushButton(QStringLiteral("Aplicar"), centroid), "BtCentrObjOK");
    auto* grid = new QGridLayout(centroid);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Lon"), centroid), 0, 0);
    grid->addWidget(EdCentrLon, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Lat"), centroid), 1, 0);
    grid->addWidget(EdCentrLat, 1, 1);
    grid->addWidget(BtCentrObjOK, 2, 1);
    grid->addWidget(BtCentrObj, 0, 2, 2, 1);
    auto* nudges = new QGridLayout;
    nudges->addWidget(ObjCentrSobDes, 0, 1, Qt::AlignHCenter);
    nudges->addWidget(ObjCentrDirEsq, 1, 0, 1, 3, Qt::AlignHCenter);
    grid->addLayout(nudges, 0, 3, 2, 1);
    grid->addWidget(TBMovSpeed, 2, 2, 1, 2);
    grid->setColumnStretch(1, 1);

    GridChains = Named(new TStringGrid({ 111, 113 }, GridRowHeight, this), "GridChains");
    GridChains->SetHeader({ QStringLiteral("Cadeia"), QStringLiteral("Pontos") });
    GridPontos = Named(new TStringGrid({ 37, 95, 90 }, GridRowHeight, this), "GridPontos");
    GridPontos->SetHeader({ QStringLiteral("Ord"), QStringLiteral("Lon"), QStringLiteral("Lat") });
    GridPontos->SetEditing(true);
    for (TStringGrid* g : { GridChains, GridPontos })
        g->setContextMenuPolicy(Qt::CustomContextMenu);
    CreatePopupGridChains();
    CreatePopupGridPontos();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(new QLabel(QStringLiteral("Título"), this));
    layout->addWidget(EdNomeObj);
    layout->addWidget(LabelObjLayName);
    layout->addWidget(centroid);
    layout->addWidget(GridChains, 1);
    layout->addWidget(GridPontos, 2);
}

void TPanelEdObjetos::CreatePopupGridChains()
{
    PopupGridChains = Named(new QMenu(GridChains), "PopupGridChains");
    Nova1 = MenuItem(*PopupGridChains, "Nova1", QStringLiteral("Nova"));
    Excluir1 = MenuItem(*PopupGridChains, "Excluir1", QStringLiteral("Excluir"));
    Copiar1 = MenuItem(*PopupGridChains, "Copiar1", QStringLiteral("Copiar"));
    Cortar1 = MenuItem(*PopupGridChains, "Cortar1", QStringLiteral("Cortar"));
}

void TPanelEdObjetos::CreatePopupGridPontos()
{
    PopupGridPontos = Named(new QMenu(GridPontos), "PopupGridPontos");
    QMenu& menu = *PopupGridPontos;
    Posicionar1 = MenuItem(menu, "Posicionar1", QStringLiteral("Posicionar"), QKeySequence(Qt::CTRL | Qt::Key_S));
    IncluirPonto1 = MenuItem(menu, "IncluirPonto1", QStringLiteral("Incluir Ponto"), QKeySequence(Qt::Key_Insert));
    IncluirePlotar1
        = MenuItem(menu, "IncluirePlotar1", QStringLiteral("Incluir e Plotar"), QKeySequence(Qt::CTRL | Qt::Key_P));
    Plotar1 = MenuItem(menu, "Plotar1", QStringLiteral("Replotar"), QKeySequence(Qt::CTRL | Qt::Key_R));
    ExcluirPonto1
        = MenuItem(menu, "ExcluirPonto1", QStringLiteral("Excluir Ponto"), QKeySequence(Qt::CTRL | Qt::Key_X));
    InverterOrdem1 = MenuItem(menu, "InverterOrdem1", QStringLiteral("Inverter Ordem"));
    Girarshift1 = MenuItem(menu, "Girarshift1", QStringLiteral("Girar (shift)"));
    IncluirCadeia1 = MenuItem(menu, "IncluirCadeia1", QStringLiteral("Incluir Cadeia"));
    IncluirPlotar1
        = MenuItem(menu, "IncluirPlotar1", QStringLiteral("IncluirPlotar"), QKeySequence(Qt::CTRL | Qt::Key_A));
}

QList<QWidget*> TPanelEdObjetos::EditingControls() const
{
    return { EdNomeObj, EdCentrLon, EdCentrLat, LabelObjLayName, ObjCentrSobDes, ObjCentrDirEsq, TBMovSpeed,
        GridChains, GridPontos, BtCentrObj, BtCentrObjOK };
}
