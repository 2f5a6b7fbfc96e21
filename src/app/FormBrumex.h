// The main window: the globe with the navigation and editing tools around it.
// Its first activation loads the settings and sets up the globe; closing it
// ends the program after the close sequence has stored what the user keeps.
#pragma once

#include "app/AppWindows.h"
#include "gps/GPS.h"
#include "view/Globe4.h"

#include <QMainWindow>
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
class TChartTools;
class TGlobeLayer;
class TPanelBasicosBMP;
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

    // Map tab handlers that the settings drive.
    void EditLonChange();
    void EditLatChange();
    void CheckBoxSobreporLinhasClick();
    void SpeedButtonComSombraClick();
    void SpeedButtonSemSombraClick();

    // The tools of the window.
    TChartTools& ChartTools() { return *m_chartTools; }

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

    // Globe area.
    QWidget* PanelGlobo;
    QFrame* PanelAbreFecha;
    QTabWidget* PageControlGPS;
    QWidget* TabSheetGPS;
    QWidget* TabSheetEdObjetos;
    QFrame* PanelEdWaypt;
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

    // The open dialog the file commands share.
    QFileDialog* ODBrumex;

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
    QWidget* CreateTabSheetCartas();
    void WireChartTools();
    QWidget* CreatePanelGlobo();
    QFrame* CreatePanelAbreFecha();
    void CreateOverlays();
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
    void GlobeSetup();
    void GridLayersClick();
    void StopPositionInputs();
    bool CloseLayers();
    // Answers whether the close may go on.
    bool AskToSaveLayer(TGlobeLayer& layer);
    void SaveWaypointLayer();
    void ReplaceSavedLayers();
    void RedrawGlobe();
    void GloboRender();

    TAppWindows m_windows;
    std::unique_ptr<TChartTools> m_chartTools;
    bool m_settingsLoaded = false;
    bool m_sliding = false;
};
