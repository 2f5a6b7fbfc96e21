#include "app/FormBrumex.h"

#include "app/AppPaths.h"
#include "app/BrumexIcons.h"
#include "app/ChartTool.h"
#include "app/ClickDispatcher.h"
#include "app/FormConfig.h"
#include "app/FormEdPonto.h"
#include "app/FormPresenters.h"
#include "app/FormRotas.h"
#include "app/GlobeSetup.h"
#include "app/LayerTools.h"
#include "app/LayerBackup.h"
#include "app/PanelBasicosBMP.h"
#include "app/PanelEdObjetos.h"
#include "app/MapTool.h"
#include "app/ObjectEditor.h"
#include "app/RouteTool.h"
#include "app/GpsNavigation.h"
#include "app/Settings.h"
#include "app/StringGrid.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "app/WaypointTool.h"
#include "geo/GlobeProjection.h"
#include "platform/Cp1252.h"
#include "survey/FormRastr.h"
#include "survey/TableStateSlots.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeUtils.h"
#include "widgets/Compass.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int SidePanelOpenWidth = 277;
// PanelEdWaypt leaves this much of the side panel's page control to the
// object editor above it.
constexpr int EdWayptTopSpace = 174;

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QFrame* Panel(const char* name, QWidget* parent = nullptr)
{
    auto* panel = Named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

QToolButton* SpeedButton(const char* name, const QString& text, QWidget* parent)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setText(text);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

// A labelled frame of the "Mapa" tab, laid out tightly to fit the low panel.
QGroupBox* MapGroup(const QString& title, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    group->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    return group;
}

QGridLayout* TightGrid(QWidget* parent)
{
    auto* grid = new QGridLayout(parent);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    return grid;
}

QAction* MapAction(QObject* parent, const char* name, const QString& caption, const QString& category)
{
    auto* action = Named(new QAction(caption, parent), name);
    action->setProperty("category", category);
    return action;
}

// IconsGrid is a draw grid: the waypoint tool paints its cells.
class TIconsGridDelegate : public QStyledItemDelegate {
public:
    explicit TIconsGridDelegate(TFormBrumex& form)
        : QStyledItemDelegate(&form)
        , m_form(form)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        m_form.WaypointTool->IconsGridDrawCell(*painter, index.row(), index.column(), option.rect);
    }

private:
    TFormBrumex& m_form;
};

} // namespace

TFormBrumex::TFormBrumex(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormBrumex"));
    setWindowTitle(QStringLiteral("Brumex"));
    setWindowIcon(BrumexIcons::Window());
    resize(837, 625);

    CreateActions();
    CreateMenu();

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CreatePanelSup());
    layout->addWidget(CreatePanelGlobo(), 1);
    layout->addWidget(CreatePanelBaixo());
    setCentralWidget(client);
    CreateOverlays();
    ODBrumex = Named(new QFileDialog(this), "ODBrumex");
    ODBrumex->setOption(QFileDialog::DontUseNativeDialog);
    SDBrumex = Named(new QFileDialog(this), "SDBrumex");
    SDBrumex->setOption(QFileDialog::DontUseNativeDialog);
    CreateTools();
    ConnectMapTab();
    ConnectGlobe();
    WireLayerTools();
    ConnectCharts();

    // The window sees keys before the control that has the focus.
    qApp->installEventFilter(this);
    FormCreate();
}

TFormBrumex::~TFormBrumex()
{
    qApp->removeEventFilter(this);
    // The globe goes with the window, and with it every object.
    Globo->OnLayerCreate = nullptr;
    Globo->OnObjectSelectChange = nullptr;
    // The tools go before the globe frees its objects.
    WatchFreedObjects(*Globo);
    Vars.ForgetAll();
}

void TFormBrumex::SetWindows(const TAppWindows& windows)
{
    m_windows = windows;
    ConnectReceiverToSettings();
    ConnectWaypointsAndRoutes();
    if (m_windows.FormEdPonto)
        m_windows.FormEdPonto->SetEditor(ObjectEditor.get());
    if (m_windows.FormPresenters)
        m_windows.FormPresenters->CurrentLayer = [this] { return m_layerTools->CurrentLayer(); };
}

void TFormBrumex::ConnectReceiverToSettings()
{
    TFormConfig* config = m_windows.FormConfig;
    connect(config, &TFormConfig::SerialPortChosen, this, [this](int comIndex, const QString& device) {
        const auto port = static_cast<TCommName>(comIndex);
        GPS.SetPort(port);
        GPS.SetPortDevice(port, device);
    });
    // The network position feed answers the second query when it joins.
    config->SetInputStateQueries(
        [this] { return GPS.Active(); }, [this] { return Navigation->Feed.GPSTelnet.Connected(); });
    connect(config, &TFormConfig::NetworkAddressChosen, this, [this](const QString& host, int port) {
        Navigation->Feed.GPSTelnet.Host = host;
        Navigation->Feed.GPSTelnet.Port = static_cast<quint16>(port);
    });
    GPS.OnTickFailure = [this](TGPS*, const QString& message) {
        QMessageBox::warning(this, QStringLiteral("Brumex"), message);
    };
}

void TFormBrumex::CreateActions()
{
    ZoomMais = MapAction(this, "ZoomMais", QStringLiteral("Zoom +"), QStringLiteral("Mapa"));
    ZoomMenos = MapAction(this, "ZoomMenos", QStringLiteral("Zoom -"), QStringLiteral("Mapa"));
    ZoomMenosP = MapAction(this, "ZoomMenosP", QStringLiteral("Zoom - -"), QStringLiteral("Mapa"));
    ZoomMaisP = MapAction(this, "ZoomMaisP", QStringLiteral("Zoom + -"), QStringLiteral("Mapa"));
    AbrirCartaBMP
        = MapAction(this, "AbrirCartaBMP", QStringLiteral("Abrir Carta BMP"), QStringLiteral("Cartas"));
    AbrirCartaBMP->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    AbrirLayer = MapAction(this, "AbrirLayer", QStringLiteral("Abrir"), QStringLiteral("Layers"));
    AbrirLayer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    ZoomMais->setIcon(BrumexIcons::ZoomMais());
    ZoomMenos->setIcon(BrumexIcons::ZoomMenos());
    addActions({ ZoomMais, ZoomMenos, ZoomMenosP, ZoomMaisP, AbrirCartaBMP, AbrirLayer });
}

void TFormBrumex::CreateMenu()
{
    MenuBrumex = Named(new QMenuBar(this), "MenuBrumex");
    setMenuBar(MenuBrumex);

    QMenu* arquivos = MenuBrumex->addMenu(QStringLiteral("&Arquivos"));
    QMenu* cartas = arquivos->addMenu(QStringLiteral("Cartas (BMP)"));
    cartas->addAction(QStringLiteral("Abrir"), AbrirCartaBMP, &QAction::trigger);
    QMenu* layers = arquivos->addMenu(QStringLiteral("Layers"));
    layers->addAction(QStringLiteral("Abrir"), AbrirLayer, &QAction::trigger);
    MemorizarLayers
        = Named(arquivos->addAction(QStringLiteral("Memorizar Layers abertos ao sair")), "MemorizarLayers");
    MemorizarLayers->setCheckable(true);
    MemorizarLayers->setChecked(true);
    arquivos->addAction(QStringLiteral("Sair"), this, &QWidget::close);

    QMenu* rastreador = MenuBrumex->addMenu(QStringLiteral("Rastreador"));
    QAction* ativar = Named(rastreador->addAction(QStringLiteral("Ativar")), "Ativar1");
    connect(ativar, &QAction::triggered, this, [this, ativar] { m_windows.FormRastr->Ativar1Click(*ativar); });
    Named(rastreador->addAction(QStringLiteral("Mudar Rodovia"), this,
              [this] { m_windows.FormRastr->MudarTabeladeDados1Click(); }),
        "MudarTabeladeDados1");

    // The tools exist by the time a menu item is chosen.
    QMenu* waypoints = MenuBrumex->addMenu(QStringLiteral("Waypoints"));
    Named(waypoints->addAction(QStringLiteral("Carregar"), this, [this] { WaypointTool->Carregar1Click(); }),
        "Carregar1");
    Named(waypoints->addAction(QStringLiteral("Salvar"), this, [this] { WaypointTool->Salvar2Click(); }), "Salvar2");
    Named(waypoints->addAction(QStringLiteral("Criar Waypoint"), this, [this] { WaypointTool->Novo2Click(); }),
        "Novo2");

    QMenu* rotas = MenuBrumex->addMenu(QStringLiteral("Rotas"));
    Named(rotas->addAction(QStringLiteral("Carregar"), this, [this] { RouteTool->Carregar2Click(); }), "Carregar2");
    Named(rotas->addAction(QStringLiteral("Salvar"), this, [this] { RouteTool->Salvar3Click(); }), "Salvar3");
    Named(rotas->addAction(QStringLiteral("Nova"), this, [this] { RouteTool->Nova2Click(); }), "Nova2");
    Named(rotas->addAction(QStringLiteral("Ver"), this, [this] { RouteTool->VerRotas1Click(); }), "VerRotas1");
    AtivarRota = Named(rotas->addAction(QStringLiteral("Ativar"), this, [this] { RouteTool->Ativar2Click(); }),
        "AtivarRota");
    AtivarRota->setEnabled(false);
}

QFrame* TFormBrumex::CreatePanelSup()
{
    PanelSup = Panel("PanelSup");
    PanelSup->setFixedHeight(45);

    ToolBar1 = Named(new QToolBar(PanelSup), "ToolBar1");
    ToolBar1->setIconSize(QSize(BrumexIcons::ToolBarSize, BrumexIcons::ToolBarSize));
    ToolBar1->setMovable(false);
    BtZoomMais = Named(new QToolButton(ToolBar1), "BtZoomMais");
    BtZoomMais->setDefaultAction(ZoomMais);
    BtZoomMenos = Named(new QToolButton(ToolBar1), "BtZoomMenos");
    BtZoomMenos->setDefaultAction(ZoomMenos);
    BtConfig = Named(new QToolButton(ToolBar1), "BtConfig");
    BtConfig->setIcon(BrumexIcons::Config());
    BtConfig->setToolTip(QStringLiteral("Configuração"));
    BtMedindo = Named(new QToolButton(ToolBar1), "BtMedindo");
    BtMedindo->setIcon(BrumexIcons::Medindo());
    BtMedindo->setToolTip(QStringLiteral("Medir distâncias"));
    BtMedindo->setCheckable(true);
    ToolBar1->addWidget(BtZoomMais);
    ToolBar1->addWidget(BtZoomMenos);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(BtConfig);
    ToolBar1->addWidget(BtMedindo);
    connect(BtConfig, &QToolButton::clicked, this, &TFormBrumex::BtConfigClick);

    TBEscWaypt = Named(new QSlider(Qt::Horizontal, PanelSup), "TBEscWaypt");
    TBEscWaypt->setRange(5, 100);
    TBEscWaypt->setPageStep(5);
    TBEscWaypt->setValue(35);
    TBEscWaypt->setFixedWidth(110);
    TBEscWaypt->setToolTip(QStringLiteral("Tamanho dos ícones de waypoint"));

    auto* layout = new QHBoxLayout(PanelSup);
    layout->setContentsMargins(2, 1, 4, 1);
    layout->addWidget(ToolBar1);
    layout->addWidget(CreatePanelPosic(), 1);
    layout->addWidget(TBEscWaypt);
    return PanelSup;
}

QFrame* TFormBrumex::CreatePanelPosic()
{
    PanelPosic = Panel("PanelPosic");
    PanelPosic->setAutoFillBackground(true);
    QPalette palette = PanelPosic->palette();
    palette.setColor(QPalette::Window, QColor(0, 64, 128));
    palette.setColor(QPalette::WindowText, Qt::yellow);
    PanelPosic->setPalette(palette);
    PanelPosic->setFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));

    auto label = [this](const char* name) {
        auto* l = Named(new QLabel(PanelPosic), name);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        return l;
    };
    LabelPosic = label("LabelPosic");
    LabelPosicInf = label("LabelPosicInf");
    LabelDist = label("LabelDist");
    LabelDir = label("LabelDir");

    auto* grid = new QGridLayout(PanelPosic);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setVerticalSpacing(0);
    grid->addWidget(LabelPosic, 0, 0);
    grid->addWidget(LabelPosicInf, 1, 0);
    grid->addWidget(LabelDist, 0, 1);
    grid->addWidget(LabelDir, 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return PanelPosic;
}

QFrame* TFormBrumex::CreatePanelBaixo()
{
    PanelBaixo = Panel("PanelBaixo");
    PanelBaixo->setFixedHeight(87);
    PageControlBrumex = Named(new QTabWidget(PanelBaixo), "PageControlBrumex");
    PageControlBrumex->addTab(CreateTabSheetMapa(), QStringLiteral("Mapa"));
    PageControlBrumex->addTab(CreateTabSheetCartas(), QStringLiteral("Cartas"));
    PageControlBrumex->addTab(CreateTabSheetLayers(), QStringLiteral("Layers"));
    PageControlBrumex->setCurrentWidget(TabSheetLayers);

    auto* layout = new QVBoxLayout(PanelBaixo);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControlBrumex);
    return PanelBaixo;
}

QWidget* TFormBrumex::CreateTabSheetMapa()
{
    TabSheetMapa = Named(new QWidget, "TabSheetMapa");
    // A small font lets the five groups fit the low panel and the window width.
    QFont small = TabSheetMapa->font();
    small.setPointSize(8);
    TabSheetMapa->setFont(small);

    QGroupBox* projection = MapGroup(QStringLiteral(" Projeção "), TabSheetMapa);
    SpeedButtonEsferica = SpeedButton("SpeedButtonEsferica", QStringLiteral("Esférica"), projection);
    SpeedButtonMercator = SpeedButton("SpeedButtonMercator", QStringLiteral("Mercator"), projection);
    SpeedButtonCartesiana = SpeedButton("SpeedButtonCartesiana", QStringLiteral("Cartesiana"), projection);
    auto* projectionButtons = new QButtonGroup(projection);
    QGridLayout* grid = TightGrid(projection);
    int column = 0;
    for (QToolButton* b : { SpeedButtonEsferica, SpeedButtonMercator, SpeedButtonCartesiana }) {
        b->setCheckable(true);
        projectionButtons->addButton(b);
        grid->addWidget(b, 0, column++);
    }
    SpeedButtonEsferica->setChecked(true);

    QGroupBox* zoom = MapGroup(QStringLiteral(" Zoom "), TabSheetMapa);
    SpeedButtonZoomPP = SpeedButton("SpeedButtonZoomPP", QStringLiteral("+"), zoom);
    SpeedButtonP = SpeedButton("SpeedButtonP", QStringLiteral("+"), zoom);
    SpeedButtonL = SpeedButton("SpeedButtonL", QStringLiteral("-"), zoom);
    SpeedButtonLL = SpeedButton("SpeedButtonLL", QStringLiteral("-"), zoom);
    QFont large = SpeedButtonZoomPP->font();
    large.setBold(true);
    large.setPointSize(large.pointSize() + 4);
    SpeedButtonZoomPP->setFont(large);
    SpeedButtonLL->setFont(large);
    grid = TightGrid(zoom);
    column = 0;
    for (QToolButton* b : { SpeedButtonZoomPP, SpeedButtonP, SpeedButtonL, SpeedButtonLL }) {
        b->setFixedWidth(26);
        grid->addWidget(b, 0, column++);
    }

    QGroupBox* spacing = MapGroup(QStringLiteral(" Espaçamento das linhas de: "), TabSheetMapa);
    auto stepEdit = [spacing](const char* name, TUpDown*& upDown, const char* upDownName) {
        auto* edit = Named(new QLineEdit(spacing), name);
        edit->setFixedWidth(34);
        upDown = Named(new TUpDown(Qt::Vertical, spacing), upDownName);
        upDown->SetRange(0, 360);
        upDown->SetIncrement(5);
        upDown->SetPosition(15);
        upDown->SetAssociate(edit);
        return edit;
    };
    EditLon = stepEdit("EditLon", UpDownStepLon, "UpDownStepLon");
    EditLat = stepEdit("EditLat", UpDownStepLat, "UpDownStepLat");
    CheckBoxSobreporLinhas
        = Named(new QCheckBox(QStringLiteral("Sobrepor"), spacing), "CheckBoxSobreporLinhas");
    grid = TightGrid(spacing);
    grid->addWidget(new QLabel(QStringLiteral("Long."), spacing), 0, 0);
    grid->addWidget(EditLon, 0, 1);
    grid->addWidget(UpDownStepLon, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Lat."), spacing), 0, 3);
    grid->addWidget(EditLat, 0, 4);
    grid->addWidget(UpDownStepLat, 0, 5);
    grid->addWidget(CheckBoxSobreporLinhas, 0, 6);

    QGroupBox* night = MapGroup(QStringLiteral(" Noite "), TabSheetMapa);
    SpeedButtonComSombra = SpeedButton("SpeedButtonComSombra", QStringLiteral("Com"), night);
    SpeedButtonComSombra->setToolTip(QStringLiteral("Mostrar a sombra da noite"));
    SpeedButtonSemSombra = SpeedButton("SpeedButtonSemSombra", QStringLiteral("Sem"), night);
    SpeedButtonSemSombra->setToolTip(QStringLiteral("Esconder a sombra da noite"));
    auto* nightButtons = new QButtonGroup(night);
    grid = TightGrid(night);
    column = 0;
    for (QToolButton* b : { SpeedButtonComSombra, SpeedButtonSemSombra }) {
        b->setCheckable(true);
        nightButtons->addButton(b);
        grid->addWidget(b, 0, column++);
    }
    SpeedButtonSemSombra->setChecked(true);

    QGroupBox* rotation = MapGroup(QStringLiteral(" Girar "), TabSheetMapa);
    GiraNS = Named(new TUpDown(Qt::Vertical, rotation), "GiraNS");
    GiraNS->setToolTip(QStringLiteral("Girar no sentido norte-sul"));
    GiraEW = Named(new TUpDown(Qt::Horizontal, rotation), "GiraEW");
    GiraEW->setToolTip(QStringLiteral("Girar no sentido leste-oeste"));
    GiraZ = Named(new TUpDown(Qt::Horizontal, rotation), "GiraZ");
    GiraZ->setToolTip(QStringLiteral("Girar em torno do centro"));
    grid = TightGrid(rotation);
    column = 0;
    for (TUpDown* upDown : { GiraNS, GiraEW, GiraZ }) {
        upDown->SetRange(-32000, 32000);
        grid->addWidget(upDown, 0, column++);
    }

    auto* layout = new QHBoxLayout(TabSheetMapa);
    layout->setContentsMargins(2, 0, 2, 2);
    for (QGroupBox* group : { projection, zoom, spacing, night, rotation })
        layout->addWidget(group);
    layout->addStretch();
    return TabSheetMapa;
}

QWidget* TFormBrumex::CreateTabSheetLayers()
{
    TabSheetLayers = Named(new QWidget, "TabSheetLayers");
    GridLayers = Named(new TStringGrid({ 22, 170 }, 16, TabSheetLayers), "GridLayers");
    GridLayers->setFixedWidth(22 + 170 + 20);
    CreatePopupLayers();

    PanelDadosLayer = Panel("PanelDadosLayer", TabSheetLayers);
    PanelDadosLayer->setFrameShape(QFrame::StyledPanel);
    LabQtObj = Named(new QLabel(PanelDadosLayer), "LabQtObj");
    LabSelec = Named(new QLabel(PanelDadosLayer), "LabSelec");
    CbTitVis = Named(new QCheckBox(QStringLiteral("Títulos visíveis"), PanelDadosLayer), "CbTitVis");
    auto* data = new QVBoxLayout(PanelDadosLayer);
    data->setContentsMargins(4, 1, 4, 1);
    data->setSpacing(0);
    for (QWidget* w : std::initializer_list<QWidget*> { LabQtObj, LabSelec, CbTitVis })
        data->addWidget(w);

    GridObjetos = Named(new TStringGrid({ 100, 100 }, 16, TabSheetLayers), "GridObjetos");
    GridObjetos->setFixedWidth(100 + 100 + 20);

    const auto image = [this](const char* name, BrumexIcons::TWasteBin picture) {
        auto* label = Named(new QLabel(TabSheetLayers), name);
        label->setPixmap(BrumexIcons::WasteBin(picture));
        label->setFixedSize(label->pixmap().size());
        return label;
    };
    ImageLataLixoV = image("ImageLataLixoV", BrumexIcons::TWasteBin::Closed);
    ImageLataLixoV->setToolTip(QStringLiteral("Arraste um objeto até aqui para excluí-lo"));
    ImageLataLixoA = image("ImageLataLixoA", BrumexIcons::TWasteBin::Open);
    ImageLataLixoF = image("ImageLataLixoF", BrumexIcons::TWasteBin::Full);
    ImageLataLixoA->hide();
    ImageLataLixoF->hide();

    auto* layout = new QHBoxLayout(TabSheetLayers);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(4);
    layout->addWidget(GridLayers);
    layout->addWidget(PanelDadosLayer);
    layout->addWidget(GridObjetos);
    layout->addWidget(ImageLataLixoV, 0, Qt::AlignVCenter);
    layout->addStretch();
    return TabSheetLayers;
}

void TFormBrumex::CreatePopupLayers()
{
    PopupLayers = Named(new QMenu(GridLayers), "PopupLayers");
    PopupLayers->addAction(AbrirLayer);
    Novo1 = Named(PopupLayers->addMenu(QStringLiteral("Novo")), "Novo1");
    NovoLayer1 = Named(Novo1->addAction(QStringLiteral("Novo Layer")), "NovoLayer1");
    NovoObjeto2 = Named(Novo1->addAction(QStringLiteral("Novo Objeto")), "NovoObjeto2");
    Novopolgono1 = Named(Novo1->addAction(QStringLiteral("Novo Polígono")), "Novopolgono1");
    Salvar1 = Named(PopupLayers->addAction(QStringLiteral("Salvar")), "Salvar1");
    Fechar1 = Named(PopupLayers->addAction(QStringLiteral("Fechar")), "Fechar1");
    Visvel1 = Named(PopupLayers->addAction(QStringLiteral("Visível")), "Visvel1");
    Visvel1->setCheckable(true);
    Zoom1 = Named(PopupLayers->addAction(QStringLiteral("Zoom")), "Zoom1");
    Presenters1 = Named(PopupLayers->addAction(QStringLiteral("Presenters")), "Presenters1");
    Mover1 = Named(PopupLayers->addMenu(QStringLiteral("Mover")), "Mover1");
    ParaFrente1 = Named(Mover1->addAction(QStringLiteral("Para Frente")), "ParaFrente1");
    ParaTrs1 = Named(Mover1->addAction(QStringLiteral("Para Trás")), "ParaTrs1");
    GridLayers->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TFormBrumex::WireLayerTools()
{
    m_layerTools = std::make_unique<TLayerTools>(*this);
    TLayerTools* tools = m_layerTools.get();
    connect(AbrirLayer, &QAction::triggered, tools, &TLayerTools::AbrirLayerExecute);
    connect(NovoLayer1, &QAction::triggered, tools, &TLayerTools::NovoLayer1Click);
    connect(Salvar1, &QAction::triggered, tools, &TLayerTools::Salvar1Click);
    connect(Fechar1, &QAction::triggered, tools, &TLayerTools::Fechar1Click);
    connect(Visvel1, &QAction::triggered, tools, &TLayerTools::Visvel1Click);
    connect(Zoom1, &QAction::triggered, tools, &TLayerTools::Zoom1Click);
    connect(Presenters1, &QAction::triggered, tools, &TLayerTools::Presenters1Click);
    connect(ParaFrente1, &QAction::triggered, tools, &TLayerTools::ParaFrente1Click);
    connect(ParaTrs1, &QAction::triggered, tools, &TLayerTools::ParaTrs1Click);
    connect(PopupLayers, &QMenu::aboutToShow, tools, &TLayerTools::PopupLayersPopup);
    connect(CbTitVis, &QCheckBox::clicked, tools, &TLayerTools::CbTitVisClick);
    connect(GridLayers, &QWidget::customContextMenuRequested, this, [this, tools](const QPoint& at) {
        // The menu works on the row it was opened on.
        if (const int row = GridLayers->RowAt(at); row >= 0 && row != GridLayers->Row()) {
            GridLayers->SetRow(row);
            tools->GridLayersClick();
        }
        PopupLayers->popup(GridLayers->viewport()->mapToGlobal(at));
    });
    GridLayers->OnClick = [tools] { tools->GridLayersClick(); };
    GridLayers->OnDblClick = [tools] { tools->GridLayersDblClick(); };
    GridLayers->OnDrawCell = [tools](QPainter& p, int col, int row, const QRect& rect, bool) {
        tools->GridLayersDrawCell(p, col, row, rect);
    };
    GridObjetos->OnClick = [this] { GridObjetosClick(); };
    GridObjetos->OnDrawCell = [tools](QPainter& p, int col, int row, const QRect& rect, bool) {
        tools->GridObjetosDrawCell(p, col, row, rect);
    };
    Globo->OnLayerCreate = [tools](TGlobe4*, TGlobeLayer* layer) { tools->GloboLayerCreate(layer); };
    Globo->OnObjectSelectChange = [tools](TGlobe4*, TGlobeObject* object) { tools->GloboObjectSelectChange(object); };
}

QWidget* TFormBrumex::CreateTabSheetCartas()
{
    TabSheetCartas = Named(new QWidget, "TabSheetCartas");
    GridCartas = Named(new QTableWidget(0, 1, TabSheetCartas), "GridCartas");
    GridCartas->horizontalHeader()->hide();
    GridCartas->verticalHeader()->hide();
    GridCartas->setColumnWidth(0, 169);
    GridCartas->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridCartas->verticalHeader()->setMinimumSectionSize(1);
    GridCartas->verticalHeader()->setDefaultSectionSize(16);
    GridCartas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridCartas->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridCartas->setSelectionMode(QAbstractItemView::SingleSelection);
    GridCartas->setFixedWidth(
        169 + 2 * GridCartas->frameWidth() + GridCartas->verticalScrollBar()->sizeHint().width());
    auto* layout = new QHBoxLayout(TabSheetCartas);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(GridCartas);
    layout->addStretch(1);
    return TabSheetCartas;
}

QWidget* TFormBrumex::CreatePanelGlobo()
{
    PanelGlobo = Named(new QWidget, "PanelGlobo");
    Globo = Named(new TGlobe4(PanelGlobo), "Globo");
    ConfigureGlobe(*Globo);
    WatchFreedObjects(*Globo);
    // The chart editor and list follow whatever frees a chart.
    Globo->OnObjectFree = [this, forget = Globo->OnObjectFree](TGlobe4* sender, TGlobeObject* object) {
        if (ChartTool)
            ChartTool->ObjectFreed(*object);
        forget(sender, object);
    };
    Globo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* layout = new QHBoxLayout(PanelGlobo);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CreatePanelAbreFecha());
    layout->addWidget(Globo, 1);
    return PanelGlobo;
}

QFrame* TFormBrumex::CreatePanelAbreFecha()
{
    PanelAbreFecha = Panel("PanelAbreFecha", PanelGlobo);
    PanelAbreFecha->setFixedWidth(SidePanelOpenWidth);

    PageControlGPS = Named(new QTabWidget(PanelAbreFecha), "PageControlGPS");
    PageControlGPS->setTabPosition(QTabWidget::South);
    // Narrow tabs, so that all three fit the open panel.
    PageControlGPS->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));
    // The page control narrows with the sliding panel instead of holding it open.
    PageControlGPS->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    PageControlGPS->setMinimumWidth(1);
    CreateTabSheetGPS();
    TabSheetEdObjetos = Named(new QWidget, "TabSheetEdObjetos");
    PanelEdObjetos = new TPanelEdObjetos(TabSheetEdObjetos);
    auto* objectEditor = new QVBoxLayout(TabSheetEdObjetos);
    objectEditor->setContentsMargins(0, 0, 0, 0);
    objectEditor->addWidget(PanelEdObjetos);
    TabSheetEdBitMap = Named(new QWidget, "TabSheetEdBitMap");
    PageControlGPS->addTab(TabSheetGPS, QStringLiteral("Navegação"));
    PageControlGPS->addTab(TabSheetEdObjetos, QStringLiteral("Ed. Objetos"));
    PageControlGPS->addTab(TabSheetEdBitMap, QStringLiteral("Ed. Cartas"));
    PanelBasicosBMP = new TPanelBasicosBMP(TabSheetEdBitMap);
    auto* chartEditor = new QVBoxLayout(TabSheetEdBitMap);
    chartEditor->setContentsMargins(0, 0, 0, 0);
    chartEditor->addWidget(PanelBasicosBMP);

    // Laid over the lower part of the object editor, not in its layout.
    PanelEdWaypt = Panel("PanelEdWaypt", TabSheetEdObjetos);
    PanelEdWaypt->setFrameShape(QFrame::StyledPanel);
    PanelEdWaypt->hide();
    CreateIconsGrid();
    TabSheetEdObjetos->installEventFilter(this);
    // The page control changes height only when the window does.
    PageControlGPS->installEventFilter(this);

    PanelComAF = Named(new QToolButton(PanelAbreFecha), "PanelComAF");
    PanelComAF->setText(QStringLiteral("<"));
    PanelComAF->setFixedWidth(17);
    PanelComAF->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    PanelComAF->setToolTip(QStringLiteral("Abrir ou fechar o painel"));
    connect(PanelComAF, &QToolButton::clicked, this, &TFormBrumex::PanelComAFClick);

    auto* layout = new QHBoxLayout(PanelAbreFecha);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PageControlGPS, 1);
    layout->addWidget(PanelComAF);
    return PanelAbreFecha;
}

void TFormBrumex::CreateTabSheetGPS()
{
    TabSheetGPS = Named(new QWidget, "TabSheetGPS");
    Bussola = Named(new TCompass(TabSheetGPS), "Bussola");
    Bussola->setFixedSize(210, 210);
    UseMainWindowLook(*Bussola);

    SwGPS = Named(new QCheckBox(QStringLiteral("Conectar GPS"), TabSheetGPS), "SwGPS");
    CbTrilha = Named(new QCheckBox(QStringLiteral("Marcar trilha"), TabSheetGPS), "CbTrilha");
    CbTrilha->setChecked(true);
    LabelValidos = Named(new QLabel(TabSheetGPS), "LabelValidos");
    LabelValidos->setWordWrap(true);
    const QFont readoutFont(QStringLiteral("Arial"), 11, QFont::Normal, true);
    auto readout = [this, &readoutFont](const char* name) {
        auto* edit = Named(new QLineEdit(TabSheetGPS), name);
        edit->setReadOnly(true);
        edit->setFont(readoutFont);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, Qt::red);
        edit->setPalette(palette);
        return edit;
    };
    EdLat = readout("EdLat");
    EdLon = readout("EdLon");
    EdVeloc = readout("EdVeloc");
    EdHoraGPS = readout("EdHoraGPS");
    PanelHeading = Named(new QLabel(TabSheetGPS), "PanelHeading");
    PanelHeading->setAlignment(Qt::AlignCenter);
    PanelHeading->setAutoFillBackground(true);
    PanelHeading->setFont(QFont(QStringLiteral("Arial"), 20, QFont::Bold));
    QPalette heading = PanelHeading->palette();
    heading.setColor(QPalette::Window, QColor(128, 128, 0));
    heading.setColor(QPalette::WindowText, QColor(0, 255, 0));
    PanelHeading->setPalette(heading);
    PanelHeading->setFixedHeight(36);

    auto* layout = new QVBoxLayout(TabSheetGPS);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    auto* switches = new QHBoxLayout;
    switches->addWidget(SwGPS);
    switches->addWidget(CbTrilha);
    layout->addLayout(switches);
    layout->addWidget(LabelValidos);
    for (QLineEdit* edit : { EdLat, EdLon, EdVeloc, EdHoraGPS })
        layout->addWidget(edit);
    layout->addWidget(PanelHeading);
    layout->addWidget(Bussola, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void TFormBrumex::CreateOverlays()
{
    PanelMedida = Panel("PanelMedida", PanelGlobo);
    PanelMedida->setFrameShape(QFrame::Box);
    PanelMedida->setAutoFillBackground(true);
    LabMedida = Named(new QLabel(PanelMedida), "LabMedida");
    auto* measure = new QHBoxLayout(PanelMedida);
    measure->setContentsMargins(3, 1, 3, 1);
    measure->addWidget(LabMedida);
    PanelMedida->hide();

    PanelAvisoOper = Panel("PanelAvisoOper", PanelGlobo);
    PanelAvisoOper->setFrameShape(QFrame::Box);
    PanelAvisoOper->setAutoFillBackground(true);
    QPalette palette = PanelAvisoOper->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 225));
    palette.setColor(QPalette::WindowText, Qt::red);
    PanelAvisoOper->setPalette(palette);
    LabelAvisoOper = Named(new QLabel(PanelAvisoOper), "LabelAvisoOper");
    LabelAvisoOper->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    LabelAvisoOper->setText(QStringLiteral("Posicione o cursor e clique para marcar. Shift+Click = Cancela"));
    auto* hint = new QHBoxLayout(PanelAvisoOper);
    hint->setContentsMargins(6, 3, 6, 3);
    hint->addWidget(LabelAvisoOper);
    PanelAvisoOper->hide();
    PanelGlobo->installEventFilter(this);
}

void TFormBrumex::CreateIconsGrid()
{
    IconsGrid = Named(new QTableWidget(0, 2, PanelEdWaypt), "IconsGrid");
    IconsGrid->horizontalHeader()->hide();
    IconsGrid->verticalHeader()->hide();
    IconsGrid->verticalHeader()->setDefaultSectionSize(32);
    IconsGrid->horizontalHeader()->setMinimumSectionSize(0);
    IconsGrid->setColumnWidth(0, 20);
    IconsGrid->setColumnWidth(1, 34);
    IconsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IconsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    IconsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    IconsGrid->setItemDelegate(new TIconsGridDelegate(*this));
    auto* layout = new QVBoxLayout(PanelEdWaypt);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(IconsGrid);
}

void TFormBrumex::ConnectWaypointsAndRoutes()
{
    connect(IconsGrid, &QTableWidget::cellDoubleClicked, this, [this] { WaypointTool->IconsGridDblClick(); });
    connect(TBEscWaypt, &QSlider::valueChanged, this, [this] { WaypointTool->TBEscWayptChange(); });
    m_windows.FormRotas->OnActivate = [this] { RouteTool->RouteWindowActivate(); };
    m_windows.FormRotas->OnClose = [this] { RouteTool->RouteWindowClose(); };
}

void TFormBrumex::CreateTools()
{
    MapTool = std::make_unique<TMapTool>(*this);
    ClickDispatcher = std::make_unique<TClickDispatcher>(*this);
    ChartTool = std::make_unique<TChartTool>(*this);
    ObjectEditor = std::make_unique<TObjectEditor>(*this);
    ObjectEditor->Connect();
    WaypointTool = std::make_unique<TWaypointTool>(*this);
    RouteTool = std::make_unique<TRouteTool>(*this);
    Navigation = std::make_unique<TGpsNavigation>(*this);
    Navigation->OnRouteStep = [this] { RouteTool->TrataRota(); };
    connect(SwGPS, &QCheckBox::clicked, this, [this] { Navigation->SwGPSClick(); });
    // The receiver as the window defines it.
    GPS.SetPortBaud(4800);
    GPS.SetPortDatabits(8);
    GPS.SetPortParity(TCommParity::cpNone);
    GPS.SetPortStopBits(1);
    GPS.SetTimeout(5);
    GPS.SetClearDataOnNoComm(true);
    GPS.SetSpeedUnit(TSpeedUnit::suKm);
    GPS.SetDistanceUnit(TDistanceUnit::duKm);
    GPS.OnMinGPSData = [this](TGPS* sender, bool warning, TDateTime time, double lat, double lon, double speed,
                           double course, double mag) {
        Navigation->GPSMinGPSData(sender, warning, time, lat, lon, speed, course, mag);
    };
}

void TFormBrumex::ConnectMapTab()
{
    TMapTool* map = MapTool.get();
    connect(ZoomMais, &QAction::triggered, this, [map] { map->ZoomMaisExecute(); });
    connect(ZoomMenos, &QAction::triggered, this, [map] { map->ZoomMenosExecute(); });
    connect(ZoomMaisP, &QAction::triggered, this, [map] { map->ZoomMaisPExecute(); });
    connect(ZoomMenosP, &QAction::triggered, this, [map] { map->ZoomMenosPExecute(); });
    connect(SpeedButtonZoomPP, &QToolButton::clicked, ZoomMais, &QAction::trigger);
    connect(SpeedButtonP, &QToolButton::clicked, ZoomMaisP, &QAction::trigger);
    connect(SpeedButtonL, &QToolButton::clicked, ZoomMenosP, &QAction::trigger);
    connect(SpeedButtonLL, &QToolButton::clicked, ZoomMenos, &QAction::trigger);
    connect(SpeedButtonEsferica, &QToolButton::clicked, this, [map] { map->SpeedButtonEsfericaClick(); });
    connect(SpeedButtonMercator, &QToolButton::clicked, this, [map] { map->SpeedButtonMercatorClick(); });
    connect(SpeedButtonCartesiana, &QToolButton::clicked, this, [map] { map->SpeedButtonCartesianaClick(); });
    connect(EditLon, &QLineEdit::textChanged, this, [map] { map->EditLonChange(); });
    connect(EditLat, &QLineEdit::textChanged, this, [map] { map->EditLatChange(); });
    connect(CheckBoxSobreporLinhas, &QCheckBox::clicked, this, [map] { map->CheckBoxSobreporLinhasClick(); });
    connect(SpeedButtonComSombra, &QToolButton::clicked, this, [map] { map->SpeedButtonComSombraClick(); });
    connect(SpeedButtonSemSombra, &QToolButton::clicked, this, [map] { map->SpeedButtonSemSombraClick(); });
    connect(GiraNS, &TUpDown::Click, this, [map](bool next) { map->GiraNSClick(next); });
    connect(GiraEW, &TUpDown::Click, this, [map](bool next) { map->GiraEWClick(next); });
    connect(GiraZ, &TUpDown::Click, this, [map](bool next) { map->GiraZClick(next); });
    connect(BtMedindo, &QToolButton::clicked, this, [map] { map->BtMedindoClick(); });
}

void TFormBrumex::ConnectGlobe()
{
    TMapTool* map = MapTool.get();
    Globo->OnMouseMove = [map](TGlobe4*, Qt::KeyboardModifiers, int x, int y) { map->GloboMouseMove(x, y); };
    Globo->OnMouseLeave = [map](TGlobe4*) { map->GloboMouseLeave(); };
    Globo->OnMouseUp
        = [map](TGlobe4*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { map->GloboMouseUp(); };
    Globo->OnPaint = [map](TGlobe4*) { map->GloboPaint(); };
    Globo->OnClick = [this](TGlobe4*) { ClickDispatcher->GloboClick(m_clickModifiers, m_clickAt); };
}

void TFormBrumex::ConnectCharts()
{
    TChartTool* charts = ChartTool.get();
    connect(AbrirCartaBMP, &QAction::triggered, this, [charts] { charts->AbrirCartaBMPExecute(); });
    connect(GridCartas, &QTableWidget::cellClicked, this, [charts] { charts->GridCartasClick(); });
    connect(GridCartas, &QTableWidget::cellDoubleClicked, this,
        [charts](int row) { charts->GridCartasDblClick(row); });
    const TPanelBasicosBMP* panel = PanelBasicosBMP;
    connect(panel->EdNomeBMP, &QLineEdit::editingFinished, this, [charts] { charts->EdNomeBMPExit(); });
    connect(panel->BtArqBMP, &QToolButton::clicked, this, [charts] { charts->BtArqBMPClick(); });
    connect(panel->BtCentrBMPOK, &QPushButton::clicked, this, [charts] { charts->BtCentrBMPOKClick(); });
    connect(panel->BtInserBMP, &QToolButton::clicked, this, [charts] { charts->BtInserBMPClick(); });
    connect(panel->CarCentrDirEsq, &TUpDown::Click, this,
        [charts](bool next) { charts->CarCentrDirEsqClick(next); });
    connect(panel->CarCentrSobDes, &TUpDown::Click, this,
        [charts](bool next) { charts->CarCentrSobDesClick(next); });
    connect(panel->BtDistBMPOK, &QPushButton::clicked, this, [charts] { charts->BtDistBMPOKClick(); });
    connect(panel->BtDistBMP, &QToolButton::clicked, this, [charts] { charts->BtDistBMPClick(); });
    connect(panel->BtSalvaBMP, &QPushButton::clicked, this, [charts] { charts->BtSalvaBMPClick(); });
    charts->FillChartEditor();
}

void TFormBrumex::FormCreate()
{
    Globo->Projection().SetProjectionClass("TSphericalPrj");
    Globo->ZoomToRect(0, 0, 0, 0); // the whole world
    Vars.FirstActivation = true;
    LabelDist->clear();
    LabelDir->clear();
    LabelPosic->clear();
    LabelPosicInf->clear();
}

void TFormBrumex::FormActivate()
{
    if (Vars.FirstActivation && !RunFirstActivation())
        return;
    // Coming back to the window (from the point editor, a dialog) refreshes
    // the layer grids but keeps what is being edited.
    m_activating = true;
    GridLayersClick();
    m_activating = false;
}

bool TFormBrumex::RunFirstActivation()
{
    // Before the settings are loaded (which stores their defaults), a store
    // without them means that this user starts the program for the first time.
    const bool firstStart = !OpenSettings()->contains(QStringLiteral("ArqEnv"));
    if (!LoadSettingsOrEnd())
        return false;
    // The first start finds the shipped world layer in its layer folder.
    TAppPaths::ProvideShippedFile(QStringLiteral("TGWorld.lyr"), TAppPaths::Resolve(Vars.DirLayers));
    // A new user finds the sample chart in the chart folder; once removed it stays away.
    if (firstStart)
        for (const QString& name : { QStringLiteral("Sudeste.Carta"), QStringLiteral("Sudeste.bmp") })
            TAppPaths::ProvideShippedFile(name, TAppPaths::Resolve(Vars.DirCartasBMP));
    ApplyReceiverPort();
    ApplyNetworkAddress();
    FreeSurveySlots();
    Vars.FirstActivation = false;
    Vars.ClearClickModes();
    LastDataSource.clear();
    Vars.ChainClipboard = std::make_unique<TPointStore>();
    Vars.SavedLayerFiles.clear();
    PanelAvisoOper->hide();
    LabelAvisoOper->clear();
    SizeIconsGrid();
    GlobeSetup(firstStart);
    return true;
}

bool TFormBrumex::LoadSettingsOrEnd()
{
    try {
        LoadSettings(*m_windows.FormConfig, *this);
        m_settingsLoaded = true;
        return true;
    } catch (const ESettingsError& e) {
        QMessageBox::critical(this, QStringLiteral("Brumex"),
            QString::fromUtf8(e.what()) + QStringLiteral("\n\nO Brumex será encerrado."));
        close();
        return false;
    }
}

bool TFormBrumex::FormClose()
{
    StopPositionInputs();
    // Before the settings are loaded nothing of this run is worth keeping, and
    // writing the window's designed values would lose the stored ones.
    if (!m_settingsLoaded)
        return true;
    if (TFormEdPonto* pointEditor = m_windows.FormEdPonto; pointEditor && pointEditor->PointEditActive) {
        pointEditor->raise();
        pointEditor->activateWindow();
        return false;
    }
    if (!CloseLayers())
        return false;
    const QStringList problems = SaveSettings(*m_windows.FormConfig, *this);
    if (!problems.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Brumex"), problems.join(QLatin1Char('\n')));
    ReplaceSavedLayers();
    return true;
}

void TFormBrumex::PanelComAFClick()
{
    // The slide lets other events run between its steps; a second click
    // meanwhile would start a slide inside the slide.
    if (m_sliding)
        return;
    m_sliding = true;
    int width = PanelAbreFecha->width();
    const auto step = [&](int delta) {
        width += delta;
        SetSidePanelWidth(width);
    };
    if (width <= 50) {
        while (width < 200)
            step(3);
        while (width < 250)
            step(2);
        while (width < 260)
            step(1);
        while (width <= 276)
            step(1);
        PanelComAF->setText(QStringLiteral("<"));
    } else {
        while (width > 70)
            step(-3);
        while (width > 50)
            step(-2);
        while (width > 30)
            step(-1);
        while (width >= 20)
            step(-1);
        PanelComAF->setText(QStringLiteral(">"));
    }
    m_sliding = false;
}

void TFormBrumex::SetSidePanelWidth(int width)
{
    PanelAbreFecha->setFixedWidth(width);
    QCoreApplication::processEvents();
    RedrawGlobe();
}

void TFormBrumex::FormResize()
{
    PanelEdWaypt->setFixedHeight(std::max(0, PageControlGPS->height() - EdWayptTopSpace));
    PlaceOverlays();
}

void TFormBrumex::PlaceOverlays()
{
    // PanelEdWaypt sits at the bottom of its tab; the hint panel at the top of
    // the globe.
    PanelEdWaypt->setGeometry(0, TabSheetEdObjetos->height() - PanelEdWaypt->height(),
        TabSheetEdObjetos->width(), PanelEdWaypt->height());
    PanelAvisoOper->adjustSize();
    PanelAvisoOper->move(Globo->x() + 8, Globo->y() + 8);
    PanelAvisoOper->raise();
    PanelMedida->raise();
}

void TFormBrumex::BtConfigClick()
{
    m_windows.FormConfig->exec();
}

void TFormBrumex::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QMainWindow::changeEvent(event);
}

void TFormBrumex::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

bool TFormBrumex::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && IsFirstReceiverOfKey(watched))
        FormKeyDown(*static_cast<QKeyEvent*>(event));
    else if (watched == Globo->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_clickModifiers = mouse->modifiers();
        m_clickAt = mouse->position().toPoint();
    } else if (watched == Globo->viewport() && event->type() == QEvent::Wheel) {
        // The wheel zooms instead of scrolling the view.
        MapTool->GloboWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    } else if (event->type() == QEvent::Resize && watched == PageControlGPS)
        FormResize();
    else if (event->type() == QEvent::Resize && (watched == TabSheetEdObjetos || watched == PanelGlobo))
        PlaceOverlays();
    return QMainWindow::eventFilter(watched, event);
}

bool TFormBrumex::IsFirstReceiverOfKey(QObject* watched) const
{
    // A key that no control takes travels up to the window; the application
    // filter sees it at every step, and only the first one counts.
    QWidget* first = focusWidget();
    return watched == (first ? first : this);
}

void TFormBrumex::FormKeyDown(const QKeyEvent& key)
{
    if (!(key.modifiers() & Qt::KeypadModifier))
        return;
    const bool shift = key.modifiers() & Qt::ShiftModifier;
    if (key.key() == Qt::Key_Plus)
        (shift ? ZoomMais : ZoomMaisP)->trigger();
    else if (key.key() == Qt::Key_Minus)
        (shift ? ZoomMenos : ZoomMenosP)->trigger();
}

void TFormBrumex::ApplyReceiverPort()
{
    m_windows.FormConfig->ApplySerialPort();
}

void TFormBrumex::ApplyNetworkAddress()
{
    m_windows.FormConfig->ApplyNetworkAddress();
}

// The steps below are where the components of later work join the window.

void TFormBrumex::FreeSurveySlots()
{
    SurveySlots().FreeAll();
}

void TFormBrumex::SizeIconsGrid()
{
    IconsGrid->setRowCount(static_cast<int>(WaypointTool->ImageListWaypt().size()) + 1);
}

bool TFormBrumex::OpenWorldLayer()
{
    try {
        return OpenLayerFile(
                   *Globo, toCp1252(TAppPaths::Resolve(Vars.DirLayers) + QStringLiteral("/TGWorld.lyr")))
            >= 0;
    } catch (const std::exception&) {
        // A damaged world layer only costs the animation and the first view.
        return false;
    }
}

void TFormBrumex::GlobeSetup(bool firstStart)
{
    TGlobeLayerStore& store = *Globo->LayerStore();
    const std::string world = "TGWorld.lyr";
    if (Vars.AnimarGlobo) {
        if (!store.LayerByName(world))
            OpenWorldLayer();
        if (store.LayerByName(world)) {
            StartupAnimation(*Globo);
            // Events ran during the animation: look the layer up again.
            if (TGlobeLayer* layer = store.LayerByName(world))
                store.DeleteLayer(*layer);
        }
    }
    // A missing or unreadable environment leaves the globe as it is.
    const QFileInfo environment(TAppPaths::Resolve(Vars.ArqEnv));
    if (!Vars.ArqEnv.isEmpty() && environment.isFile()) {
        try {
            Globo->SetEnvironmentFile(toCp1252(environment.filePath()));
        } catch (const std::exception&) {
            Globo->ClearGlobe();
        }
    } else if (firstStart) {
        // A new user sees the world rather than an empty sea; from then on
        // the environment of the last run decides.
        OpenWorldLayer();
    }
    CreateSpecialLayers(*Globo);
    const std::string projection = Globo->Projection().ProjectionClass();
    QToolButton* pressed = projection == "TCartesianPrj" ? SpeedButtonCartesiana
        : projection == "TMercatorPrj"                   ? SpeedButtonMercator
                                                         : SpeedButtonEsferica;
    pressed->setChecked(true);
    Globo->OnRender = [this](TGlobe4*) { MapTool->GloboRender(); };
    Globo->Redraw();
    QCoreApplication::processEvents();
    const TGlobeMarkers markers = CreateMarkers(*Globo);
    Vars.LapisObject = markers.Lapis;
    Vars.PrMovelID = markers.PrMovelID;
    Vars.PrTrilhaID = markers.PrTrilhaID;
    Vars.PrRotaID = markers.PrRotaID;
}

void TFormBrumex::GridLayersClick()
{
    m_layerTools->GridLayersClick();
}

void TFormBrumex::GridObjetosClick()
{
    if (!m_activating)
        ObjectEditor->GridObjetosClick();
}

void TFormBrumex::ClearObjectEditor()
{
    ObjectEditor->ClearObjectEditor();
    ChartTool->FillChartEditor();
}

void TFormBrumex::StopPositionInputs()
{
    if (GPS.Active())
        GPS.SetActive(false);
    if (Navigation->Feed.GPSTelnet.Connected())
        Navigation->Feed.GPSTelnet.Disconnect();
}

bool TFormBrumex::CloseLayers()
{
    TGlobeLayerStore& store = *Globo->LayerStore();
    for (int i = 0; i < store.Count(); ++i) {
        TGlobeLayer& layer = store.Layers(i);
        const bool waypoints = layer.Name() == "LayWaypt";
        if ((IsSpecialLayer(layer) && !waypoints) || !layer.Modified())
            continue;
        if (!AskToSaveLayer(layer))
            return false;
    }
    for (const std::string& name : SPECIAL_LAYERS)
        while (TGlobeLayer* layer = store.LayerByName(name))
            store.DeleteLayer(*layer);
    Vars.LapisObject = nullptr;
    RouteTool->RouteLineFreed();
    const QString environment = TAppPaths::Resolve(Vars.ArqEnv);
    if (Vars.ArqEnv.isEmpty() || QFileInfo(environment).isDir()) {
        // No environment file is configured.
    } else if (MemorizarLayers->isChecked()) {
        try {
            Globo->SaveEnvironmentToFile(toCp1252(environment));
        } catch (const std::exception& e) {
            QMessageBox::warning(this, QStringLiteral("Erro!"), QString::fromUtf8(e.what()));
        }
    } else if (QFile::exists(environment)) {
        QFile::remove(environment);
    }
    store.Clear();
    return true;
}

bool TFormBrumex::AskToSaveLayer(TGlobeLayer& layer)
{
    const QString name = fromCp1252(layer.Name());
    const auto answer = QMessageBox::question(this, QStringLiteral("Layer não salvo!"),
        QStringLiteral("Deseja salvar o Layer ") + name + QStringLiteral(" antes de fecha-lo ?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    if (layer.Name() == "LayWaypt") {
        SaveWaypointLayer();
        return true;
    }
    try {
        SaveLayerToBackup(layer);
        return true;
    } catch (const std::exception& e) {
        // Unsaved changes would be lost: the window stays open.
        QMessageBox::warning(this, QStringLiteral("Erro!"), QString::fromUtf8(e.what()));
        return false;
    }
}

void TFormBrumex::SaveWaypointLayer()
{
    // Cancelling the file dialog does not cancel the close.
    WaypointTool->Salvar2Click();
}

void TFormBrumex::ReplaceSavedLayers()
{
    for (const QString& file : Vars.SavedLayerFiles) {
        const QString problem = ReplaceLayerFromBackup(file);
        if (!problem.isEmpty())
            QMessageBox::critical(this, QStringLiteral("Erro!"), problem, QMessageBox::Ok);
    }
}

void TFormBrumex::RedrawGlobe()
{
    Globo->Redraw();
}
