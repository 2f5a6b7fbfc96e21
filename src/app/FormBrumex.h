// The main window: the globe with the navigation and editing tools around it.
// Its first activation loads the settings and sets up the globe; closing it
// ends the program after the close sequence has stored what the user keeps.
#pragma once

#include "app/AppWindows.h"
#include "gps/GPS.h"
#include "view/Globe4.h"

#include <QMainWindow>
#include <QPoint>
#include <memory>

class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSlider;
class QTableWidget;
class QTabWidget;
class QToolBar;
class QToolButton;
class TChartTool;
class TClickDispatcher;
class TGpsNavigation;
class TCompass;
class TMapTool;
class TObjectEditor;
class TRouteTool;
class TWaypointTool;
class TGlobeLayer;
class TLayerTools;
class TStringGrid;
class TPanelBasicosBMP;
class TPanelEdObjetos;
class TUpDown;

class TFormBrumex : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormBrumex(QWidget* parent = nullptr);
    ~TFormBrumex() override;

    void SetWindows(const TAppWindows& windows);
    const TAppWindows& Windows() const { return m_windows; }

    // The serial NMEA receiver; the settings dialog chooses its port.
    TGPS GPS;

    // Runs on every activation; the first one also loads the settings and
    // sets up the globe.
    void FormActivate();
    // The close sequence; false when the close is cancelled.
    bool FormClose();
    // Slides the side panel open or closed.
    void PanelComAFClick();
    // Keeps the waypoint icon panel in step with the window's height.
    void FormResize();

    // The tools behind the controls, each in a file pair of its own; the
    // click dispatcher hands them the clicks on the globe that their modes
    // wait for.
    std::unique_ptr<TMapTool> MapTool;
    std::unique_ptr<TClickDispatcher> ClickDispatcher;
    std::unique_ptr<TChartTool> ChartTool;
    std::unique_ptr<TObjectEditor> ObjectEditor;
    std::unique_ptr<TWaypointTool> WaypointTool;
    std::unique_ptr<TRouteTool> RouteTool;
    std::unique_ptr<TGpsNavigation> Navigation;

    // The object selection of the object editor, run when an object row or a
    // layer row is chosen, and the editor left with no object and no chart.
    void GridObjetosClick();
    void ClearObjectEditor();

    TLayerTools& LayerTools() const { return *m_layerTools; }

    // Empty until a GPS fix has been shown, then "GPSMinData".
    QString LastDataSource;

    // Top panel.
    QFrame* PanelSup;
    QToolBar* ToolBar1;
    QToolButton* BtZoomMais;
    QToolButton* BtZoomMenos;
    QToolButton* BtConfig;
    QToolButton* BtMedindo;
    QFrame* PanelPosic;
    QLabel* LabelPosic;
    QLabel* LabelPosicInf;
    QLabel* LabelDist;
    QLabel* LabelDir;
    QSlider* TBEscWaypt;

    // Bottom panel.
    QFrame* PanelBaixo;
    QTabWidget* PageControlBrumex;
    QWidget* TabSheetMapa;
    QWidget* TabSheetCartas;
    QTableWidget* GridCartas;
    QWidget* TabSheetLayers;
    QToolButton* SpeedButtonEsferica;
    QToolButton* SpeedButtonMercator;
    QToolButton* SpeedButtonCartesiana;
    QToolButton* SpeedButtonZoomPP;
    QToolButton* SpeedButtonP;
    QToolButton* SpeedButtonL;
    QToolButton* SpeedButtonLL;
    QLineEdit* EditLon;
    TUpDown* UpDownStepLon;
    QLineEdit* EditLat;
    TUpDown* UpDownStepLat;
    QCheckBox* CheckBoxSobreporLinhas;
    QToolButton* SpeedButtonComSombra;
    QToolButton* SpeedButtonSemSombra;
    TUpDown* GiraNS;
    TUpDown* GiraEW;
    TUpDown* GiraZ;

    // "Layers" tab and its pop-up menu.
    TStringGrid* GridLayers;
    QFrame* PanelDadosLayer;
    QLabel* LabQtObj;
    QLabel* LabSelec;
    QCheckBox* CbTitVis;
    TStringGrid* GridObjetos;
    QLabel* ImageLataLixoV;
    QLabel* ImageLataLixoA; // hidden: the open lid
    QLabel* ImageLataLixoF; // hidden: the full bin
    QMenu* PopupLayers;
    QMenu* Novo1;
    QAction* NovoLayer1;
    QAction* NovoObjeto2;
    QAction* Novopolgono1;
    QAction* Salvar1;
    QAction* Fechar1;
    QAction* Visvel1;
    QAction* Zoom1;
    QAction* Presenters1;
    QMenu* Mover1;
    QAction* ParaFrente1;
    QAction* ParaTrs1;

    // Globe area.
    QWidget* PanelGlobo;
    QFrame* PanelAbreFecha;
    QTabWidget* PageControlGPS;
    QWidget* TabSheetGPS;
    TCompass* Bussola;
    QCheckBox* SwGPS; // "Conectar GPS"
    QCheckBox* CbTrilha; // "Marcar trilha"
    QLabel* LabelValidos;
    QLineEdit* EdLat;
    QLineEdit* EdLon;
    QLineEdit* EdVeloc;
    QLineEdit* EdHoraGPS;
    QLabel* PanelHeading;
    QWidget* TabSheetEdObjetos;
    TPanelEdObjetos* PanelEdObjetos;
    QFrame* PanelEdWaypt;
    QTableWidget* IconsGrid;
    QWidget* TabSheetEdBitMap;
    TPanelBasicosBMP* PanelBasicosBMP;
    QToolButton* PanelComAF;
    TGlobe4* Globo;
    QFrame* PanelMedida;
    QLabel* LabMedida;
    QFrame* PanelAvisoOper;
    QLabel* LabelAvisoOper;

    // Main menu and actions.
    QMenuBar* MenuBrumex;
    QAction* MemorizarLayers; // "Memorizar Layers abertos ao sair"
    QAction* AtivarRota; // "Rotas" -> "Ativar"
    QAction* ZoomMais;
    QAction* ZoomMenos;
    QAction* ZoomMenosP;
    QAction* ZoomMaisP;
    QAction* AbrirCartaBMP;
    QAction* AbrirLayer;

    // The file dialogs of the waypoint, route and chart commands.
    QFileDialog* ODBrumex;
    QFileDialog* SDBrumex;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenu();
    QFrame* CreatePanelSup();
    QFrame* CreatePanelPosic();
    QFrame* CreatePanelBaixo();
    QWidget* CreateTabSheetMapa();
    QWidget* CreateTabSheetLayers();
    void CreatePopupLayers();
    void WireLayerTools();
    QWidget* CreateTabSheetCartas();
    QWidget* CreatePanelGlobo();
    QFrame* CreatePanelAbreFecha();
    void CreateTabSheetGPS();
    void CreateOverlays();
    void CreateTools();
    void CreateIconsGrid();
    void ConnectWaypointsAndRoutes();
    void ConnectMapTab();
    void ConnectGlobe();
    void ConnectCharts();
    void FormCreate();

    void FormKeyDown(const QKeyEvent& key);
    bool IsFirstReceiverOfKey(QObject* watched) const;
    void SetSidePanelWidth(int width);
    void BtConfigClick();
    void PlaceOverlays();

    bool RunFirstActivation();
    bool LoadSettingsOrEnd();

    // Steps of the first activation and of the close that belong to the
    // receiver, the network client, the survey window, the layer tools and
    // the globe; each one is empty until its component joins the window.
    void ConnectReceiverToSettings();
    void ApplyReceiverPort();
    void ApplyNetworkAddress();
    void FreeSurveySlots();
    void SizeIconsGrid();
    // The first start of a user without an environment file opens the world
    // layer as a layer of the user's.
    void GlobeSetup(bool firstStart);
    bool OpenWorldLayer();
    void GridLayersClick();
    void StopPositionInputs();
    bool CloseLayers();
    // Answers whether the close may go on.
    bool AskToSaveLayer(TGlobeLayer& layer);
    void SaveWaypointLayer();
    void ReplaceSavedLayers();
    void RedrawGlobe();

    TAppWindows m_windows;
    std::unique_ptr<TLayerTools> m_layerTools;
    bool m_settingsLoaded = false;
    bool m_sliding = false;
    bool m_activating = false;
    // Keys held and place of the last button release on the globe, for the
    // click that follows it.
    Qt::KeyboardModifiers m_clickModifiers;
    QPoint m_clickAt;
};
