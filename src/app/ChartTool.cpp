#include "app/ChartTool.h"

#include "app/AppPaths.h"
#include "app/AppWindows.h"
#include "app/ChartFile.h"
#include "app/ClickDispatcher.h"
#include "app/EditMask.h"
#include "app/FormBrumex.h"
#include "app/FormDirSelect.h"
#include "app/Formatting.h"
#include "app/PanelBasicosBMP.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "geo/BitmapObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobeUtils.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr const char* CHART_LAYER = "Cartas";
constexpr TColor WHITE = 0xFFFFFF;
// A nudge moves the chart by this fraction of a screen inch.
constexpr long double NUDGE_STEPS_PER_INCH = 120;
// The nudges' own position restarts from 0 beyond this.
constexpr int NUDGE_POSITION_LIMIT = 1000;

const QString HINT_MOVE_START = QStringLiteral("Indique o ponto no bitmap a reposicionar. Shift+Click = Cancela");
const QString HINT_MOVE_TARGET = QStringLiteral("Clique na nova posição. Shift+Click = Cancela");
const QString HINT_STRETCH_START
    = QStringLiteral("Posicione o cursor no ponto do bitmap a reposicionar. Shift+Click = Cancela");
const QString HINT_STRETCH_TARGET
    = QStringLiteral("Posicione o cursor na nova posição desejada. Shift+Click = Cancela");
const QString HINT_STRETCH_ON_AXIS = QStringLiteral(
    "O ponto não pode estar no meridiano nem no paralelo do ponto de inserção. Shift+Click = Cancela");
const QString HINT_STRETCH_INVERTS = QStringLiteral(
    "A nova posição deve ficar do mesmo lado do ponto de inserção. Shift+Click = Cancela");

// Restores the normal cursor however the opening ends.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The file's name without folder, up to its first ".".
QString TitleOfFile(const QString& fileName)
{
    return QFileInfo(fileName).fileName().section(QLatin1Char('.'), 0, 0);
}

// Off the globe the projection answers 180 degrees of latitude.
bool OnTheGlobe(const TGeoPoint& point)
{
    return point.Lat > -GU_180_DEGREE && point.Lat < GU_180_DEGREE;
}

int32_t ClampedLatitude(int64_t lat)
{
    return static_cast<int32_t>(std::clamp<int64_t>(lat, -GU_90_DEGREE, GU_90_DEGREE));
}

// A pixel scale that keeps the chart the right way round and within one
// turn of the globe; 0 when the factor gives none.
int32_t StretchedScale(int32_t scale, long double factor, int32_t pixels, int64_t maxExtent)
{
    const long double stretched = std::nearbyint(scale * factor);
    if (!(stretched >= 1) || stretched * std::max(pixels, 1) > maxExtent)
        return 0;
    return static_cast<int32_t>(stretched);
}

} // namespace

TChartTool::TChartTool(TFormBrumex& form)
    : m_form(form)
{
}

TGlobeLayer* TChartTool::ChartLayer() const
{
    return m_form.Globo->LayerStore()->LayerByName(CHART_LAYER);
}

QString TChartTool::ChartFolder() const
{
    return TAppPaths::Resolve(Vars.DirCartasBMP);
}

// --- Opening charts ------------------------------------------------------------------

void TChartTool::AbrirCartaBMPExecute()
{
    QFileDialog& dialog = *m_form.ODBrumex;
    dialog.setWindowTitle(QStringLiteral("Selecione a Carta (BitMap) desejada"));
    dialog.setDirectory(ChartFolder());
    dialog.setNameFilter(QStringLiteral("Cartas em Formato BitMap (*.Carta)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.selectFile(QString());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        MostraCarta(dialog.selectedFiles().constFirst());
    KeepChartsUnderImoLayers();
}

void TChartTool::KeepChartsUnderImoLayers()
{
    TGlobeLayerStore& store = *m_form.Globo->LayerStore();
    TGlobeLayer* charts = ChartLayer();
    if (!charts)
        return;
    std::vector<TGlobeLayer*> imoLayers;
    for (int i = 0; i < store.Count(); ++i)
        if (fromCp1252(store.Layers(i).Name()).toUpper().contains(QStringLiteral("IMO")))
            imoLayers.push_back(&store.Layers(i));
    for (TGlobeLayer* layer : imoLayers)
        while (layer->Index() < charts->Index())
            charts->SetIndex(charts->Index() - 1);
}

TBitmapObject* TChartTool::MostraCarta(const QString& fileName)
{
    TGlobeLayer* layer = ChartLayer();
    if (!layer)
        return nullptr;
    const QString title = TitleOfFile(fileName);
    // Only charts count: a country of the same name is no open chart.
    if (TGlobeObject* open = layer->FindObjectByTitle(toCp1252(title), nullptr))
        return dynamic_cast<TBitmapObject*>(open);
    TBitmapObject* chart = nullptr;
    {
        const TWaitCursor wait;
        chart = CreateChart(fileName, toCp1252(title));
    }
    if (!chart)
        return nullptr;
    GridCartasDrawCell();
    RedrawChart();
    if (chart->TextureData().HasImage())
        ZoomToBitmap(*m_form.Globo, *chart);
    return chart;
}

TBitmapObject* TChartTool::CreateChart(const QString& fileName, const std::string& title)
{
    TChartFile file;
    try {
        if (!QFileInfo(fileName).isFile())
            throw EGlobeException("File not found");
        file = ReadChartFile(toCp1252(fileName));
    } catch (const std::exception& e) {
        QMessageBox::warning(&m_form, QStringLiteral("Erro!"),
            QStringLiteral("A carta não pôde ser lida:\n") + fileName + QLatin1Char('\n') + QString::fromUtf8(e.what()));
        return nullptr;
    }
    TGlobeLayer& layer = *ChartLayer();
    TGlobeObjectSource& source = layer.ObjectSource();
    source.Name = layer.Name();
    auto* chart = new TBitmapObject(&source);
    chart->Title = title;
    chart->SetCentroid(MakeGeoPoint(file.Lon, file.Lat));
    chart->SetGlobeUnitsPerPixel(1, file.PropX);
    chart->SetGlobeUnitsPerPixel(2, file.PropY);
    LoadChartBitmap(*chart, fromCp1252(file.BitMap));
    chart->SetTransparentColor(WHITE);
    return chart;
}

void TChartTool::LoadChartBitmap(TBitmapObject& chart, const QString& bitmap)
{
    const QString path = ChartFolder() + QLatin1Char('/') + bitmap;
    QString problem;
    if (bitmap.isEmpty())
        problem = QStringLiteral("A carta não indica a sua imagem.");
    else if (!QFileInfo(path).isFile())
        problem = QStringLiteral("A imagem da carta não foi encontrada:\n") + path;
    else {
        try {
            chart.SetBMPFilename(toCp1252(path));
        } catch (const std::exception& e) {
            problem = QStringLiteral("A imagem da carta não pôde ser carregada:\n") + path + QLatin1Char('\n')
                + QString::fromUtf8(e.what());
        }
    }
    // The chart opens all the same; it draws nothing until it has an image.
    if (!problem.isEmpty())
        QMessageBox::warning(&m_form, QStringLiteral("Erro!"), problem);
}

// --- The chart list ---------------------------------------------------------------------

void TChartTool::GridCartasDrawCell()
{
    QTableWidget& grid = *m_form.GridCartas;
    TGlobeLayer* layer = ChartLayer();
    const int count = layer ? layer->ObjectSource().Count() : 0;
    grid.setRowCount(count);
    for (int row = 0; row < count; ++row) {
        auto* item = new QTableWidgetItem(fromCp1252(layer->ObjectSource().GetObject(row).Title));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid.setItem(row, 0, item);
    }
}

void TChartTool::GridCartasDblClick(int row)
{
    TGlobeLayer* layer = ChartLayer();
    if (!layer || row < 0 || row >= layer->ObjectSource().Count())
        return;
    delete &layer->ObjectSource().GetObject(row);
    GridCartasDrawCell();
    m_form.Globo->Redraw();
}

void TChartTool::GridCartasClick()
{
    m_form.PanelEdWaypt->hide();
}

void TChartTool::ObjectFreed(const TGlobeObject& object)
{
    if (&object == Vars.EditedChart) {
        Vars.EditedChart = nullptr;
        FillChartEditor();
    }
    // The object is still in its source now; many may go at once.
    if (!m_listRefreshPending) {
        m_listRefreshPending = true;
        QTimer::singleShot(0, &m_form, [this] {
            m_listRefreshPending = false;
            GridCartasDrawCell();
        });
    }
}

// --- The chart editor -------------------------------------------------------------------

bool TChartTool::SelectChart(TGlobeObject* object)
{
    Vars.EditedChart = dynamic_cast<TBitmapObject*>(object);
    if (Vars.EditedChart) {
        QTabWidget& pages = *m_form.PageControlGPS;
        pages.setTabEnabled(pages.indexOf(m_form.TabSheetEdBitMap), true);
        pages.setTabEnabled(pages.indexOf(m_form.TabSheetEdObjetos), false);
        pages.setCurrentWidget(m_form.TabSheetEdBitMap);
    }
    FillChartEditor();
    return Vars.EditedChart != nullptr;
}

void TChartTool::FillChartEditor()
{
    TPanelBasicosBMP& panel = *m_form.PanelBasicosBMP;
    const TCoordPatterns patterns = EditPatterns();
    TBitmapObject* chart = Vars.EditedChart;
    if (chart) {
        const TGeoPoint insertion = chart->GetCentroid();
        ShowCoordEditText(*panel.EdBtCentrLon, CoordEditText(insertion.Long, patterns.Lon, 3));
        ShowCoordEditText(*panel.EdBtCentrLat, CoordEditText(insertion.Lat, patterns.Lat, 2));
        panel.EdNomeBMP->setText(fromCp1252(chart->Title));
        panel.EdArqBMP->setText(fromCp1252(chart->BMPFilename()));
        panel.EdDistBMPLon->setText(QString::number(chart->GlobeUnitsPerXPixel()));
        panel.EdDistBMPLat->setText(QString::number(chart->GlobeUnitsPerYPixel()));
    } else {
        for (QLineEdit* edit : { panel.EdBtCentrLon, panel.EdBtCentrLat }) {
            edit->setInputMask(QString());
            edit->clear();
        }
        panel.EdNomeBMP->clear();
        panel.EdArqBMP->clear();
        panel.EdDistBMPLon->setText(QStringLiteral("0"));
        panel.EdDistBMPLat->setText(QStringLiteral("0"));
    }
    for (QLineEdit* edit : panel.ChartFields())
        edit->setEnabled(chart);
    // Without a chart the buttons would act on nothing.
    for (QWidget* button : std::initializer_list<QWidget*> { panel.BtArqBMP, panel.BtCentrBMPOK, panel.BtInserBMP,
             panel.CarCentrDirEsq, panel.CarCentrSobDes, panel.BtDistBMPOK, panel.BtDistBMP, panel.BtSalvaBMP })
        button->setEnabled(chart);
}

void TChartTool::RedrawChart()
{
    if (TBitmapObject* chart = Vars.EditedChart)
        chart->Changed();
    m_form.Globo->Redraw();
}

void TChartTool::EdNomeBMPExit()
{
    TBitmapObject* chart = Vars.EditedChart;
    if (!chart)
        return;
    const std::string title = toCp1252(m_form.PanelBasicosBMP->EdNomeBMP->text());
    if (title == chart->Title)
        return;
    chart->Title = title;
    if (const auto* source = dynamic_cast<const TGlobeObjectSource*>(chart->ObjectSource()))
        if (TGlobeLayer* layer = m_form.Globo->LayerStore()->LayerByName(source->Name))
            layer->SetModified(true);
    GridCartasDrawCell();
    RedrawChart();
}

void TChartTool::BtArqBMPClick()
{
    TFormDirSelect& dirSelect = *m_form.Windows().FormDirSelect;
    QLineEdit& field = *m_form.PanelBasicosBMP->EdArqBMP;
    dirSelect.DirSelFolder = field.text();
    if (dirSelect.exec() != QDialog::Accepted)
        return;
    const QString selected = dirSelect.DirSelFile.isEmpty() ? dirSelect.DirSelFolder : dirSelect.DirSelFile;
    if (!selected.isEmpty())
        field.setText(selected);
}

void TChartTool::MoveChart(int64_t longitude, int64_t lat)
{
    TBitmapObject* chart = Vars.EditedChart;
    if (!chart)
        return;
    chart->SetCentroid(MakeGeoPoint(longitude, ClampedLatitude(lat)));
    // A move of less than a pixel keeps the old rectangle otherwise, and the
    // image would stay where it was.
    chart->State.exclude(TGlobeObjectState::osValidMER);
    RedrawChart();
}

void TChartTool::BtCentrBMPOKClick()
{
    const TPanelBasicosBMP& panel = *m_form.PanelBasicosBMP;
    const int32_t lat = ReadCoord(panel.EdBtCentrLat->text(), Vars.LatPattern);
    const int32_t longitude = ReadCoord(panel.EdBtCentrLon->text(), Vars.LonPattern);
    MoveChart(longitude, lat);
}

void TChartTool::Nudge(TUpDown& nudge, bool next, bool eastWest)
{
    if (std::abs(nudge.Position()) > NUDGE_POSITION_LIMIT)
        nudge.SetPosition(0);
    TBitmapObject* chart = Vars.EditedChart;
    if (!chart)
        return;
    const long double g = m_form.Globo->Projection().GlobeUnitsPerInch();
    const auto step = static_cast<int64_t>(std::trunc(g / NUDGE_STEPS_PER_INCH * (next ? 1 : -1)));
    const TGeoPoint insertion = chart->GetCentroid();
    MoveChart(insertion.Long + (eastWest ? step : 0), insertion.Lat + (eastWest ? 0 : step));
}

void TChartTool::CarCentrDirEsqClick(bool next)
{
    Nudge(*m_form.PanelBasicosBMP->CarCentrDirEsq, next, true);
}

void TChartTool::CarCentrSobDesClick(bool next)
{
    Nudge(*m_form.PanelBasicosBMP->CarCentrSobDes, next, false);
}

void TChartTool::BtDistBMPOKClick()
{
    TBitmapObject* chart = Vars.EditedChart;
    if (!chart)
        return;
    const TPanelBasicosBMP& panel = *m_form.PanelBasicosBMP;
    int32_t scales[2] = {};
    int axis = 0;
    for (const QLineEdit* edit : { panel.EdDistBMPLon, panel.EdDistBMPLat }) {
        bool ok = false;
        scales[axis++] = edit->text().trimmed().toInt(&ok);
        if (!ok || scales[axis - 1] <= 0) {
            QMessageBox::warning(&m_form, QStringLiteral("Erro!"),
                QLatin1Char('"') + edit->text()
                    + QStringLiteral("\" não é uma proporção válida: use um número inteiro maior que zero."));
            return;
        }
    }
    chart->SetGlobeUnitsPerPixel(1, scales[0]);
    chart->SetGlobeUnitsPerPixel(2, scales[1]);
    RedrawChart();
}

void TChartTool::BtSalvaBMPClick()
{
    TBitmapObject* chart = Vars.EditedChart;
    if (!chart)
        return;
    const QString title = fromCp1252(chart->Title);
    if (title.isEmpty() || title.contains(QLatin1Char('/')) || title.contains(QLatin1Char('\\')) || title == "..") {
        QMessageBox::warning(&m_form, QStringLiteral("Erro!"),
            QStringLiteral("O título \"") + title + QStringLiteral("\" não serve de nome de arquivo."));
        return;
    }
    const QString folder = ChartFolder();
    const QString file = folder + QLatin1Char('/') + title + QStringLiteral(".Carta");
    if (QFileInfo::exists(file)
        && QMessageBox::question(&m_form, QStringLiteral("Arquivo já existente"),
               QStringLiteral("Deseja substituir o arquivo existente?"),
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            != QMessageBox::Yes)
        return;
    const TGeoPoint insertion = chart->GetCentroid();
    const TChartFile data { toCp1252(QFileInfo(fromCp1252(chart->BMPFilename())).fileName()), insertion.Long,
        insertion.Lat, chart->GlobeUnitsPerXPixel(), chart->GlobeUnitsPerYPixel() };
    try {
        QDir().mkpath(folder);
        WriteChartFile(toCp1252(file), data);
    } catch (const std::exception& e) {
        QMessageBox::warning(&m_form, QStringLiteral("Erro!"), QString::fromUtf8(e.what()));
    }
}

// --- Two clicks on the globe -----------------------------------------------------------

TClickDispatcher& TChartTool::Dispatcher() const
{
    return *m_form.ClickDispatcher;
}

void TChartTool::StartClickMode(bool& mode, const QString& hint)
{
    if (!Vars.EditedChart)
        return;
    Vars.ClearClickModes();
    Dispatcher().SetCursor(Qt::SizeAllCursor);
    m_form.Globo->MouseSelectButton = TGlobeMouseButton::mzbNone;
    mode = true;
    // Shown, so that the user learns what the clicks will do.
    Dispatcher().ShowHint(hint);
}

void TChartTool::BtInserBMPClick()
{
    StartClickMode(Vars.ChartMoveMode, HINT_MOVE_START);
}

void TChartTool::BtDistBMPClick()
{
    StartClickMode(Vars.ChartStretchMode, HINT_STRETCH_START);
}

bool TChartTool::ClickApplies(bool& mode, const TGeoPoint& mouse)
{
    // The chart may have been closed since the mode began: the mode ends.
    if (!Vars.EditedChart) {
        Dispatcher().EndMode(mode);
        Dispatcher().ClearHint();
        return false;
    }
    return OnTheGlobe(mouse);
}

void TChartTool::ChartMoveClick()
{
    TBitmapObject* chart = Vars.EditedChart;
    const TGeoPoint mouse = Vars.MousePosition;
    if (!ClickApplies(Vars.ChartMoveMode, mouse))
        return;
    const Qt::CursorShape step = Dispatcher().Cursor();
    if (step == Qt::SizeAllCursor) {
        Vars.ClickAnchor = mouse;
        Dispatcher().SetCursor(Qt::CrossCursor);
        Dispatcher().ShowHint(HINT_MOVE_TARGET);
    } else if (step == Qt::CrossCursor) {
        const TGeoPoint insertion = chart->GetCentroid();
        MoveChart(int64_t { insertion.Long } + (int64_t { mouse.Long } - Vars.ClickAnchor.Long),
            int64_t { insertion.Lat } + (int64_t { mouse.Lat } - Vars.ClickAnchor.Lat));
        QCoreApplication::processEvents();
        Dispatcher().EndMode(Vars.ChartMoveMode);
        FillChartEditor();
        Dispatcher().ClearHint();
    }
}

bool TChartTool::StretchAnchorUsable(const TGeoPoint& anchor)
{
    const TGeoPoint insertion = Vars.EditedChart->GetCentroid();
    if (anchor.Long != insertion.Long && anchor.Lat != insertion.Lat)
        return true;
    Dispatcher().ShowHint(HINT_STRETCH_ON_AXIS);
    return false;
}

bool TChartTool::Stretch(const TGeoPoint& mouse)
{
    TBitmapObject& chart = *Vars.EditedChart;
    const TGeoPoint c = chart.GetCentroid();
    const TGeoPoint& a = Vars.ClickAnchor;
    const long double kx
        = static_cast<long double>(int64_t { c.Long } - mouse.Long) / (int64_t { c.Long } - a.Long);
    const long double ky = static_cast<long double>(int64_t { c.Lat } - mouse.Lat) / (int64_t { c.Lat } - a.Lat);
    TTextureData& texture = chart.TextureData();
    const int32_t x
        = StretchedScale(chart.GlobeUnitsPerXPixel(), kx, texture.RowWidth(), 2 * int64_t { GU_180_DEGREE });
    const int32_t y = StretchedScale(chart.GlobeUnitsPerYPixel(), ky, texture.ImageHeight(), GU_180_DEGREE);
    if (x == 0 || y == 0) {
        Dispatcher().ShowHint(HINT_STRETCH_INVERTS);
        return false;
    }
    chart.SetGlobeUnitsPerPixel(1, x);
    chart.SetGlobeUnitsPerPixel(2, y);
    RedrawChart();
    QCoreApplication::processEvents();
    return true;
}

void TChartTool::ChartStretchClick()
{
    const TGeoPoint mouse = Vars.MousePosition;
    if (!ClickApplies(Vars.ChartStretchMode, mouse))
        return;
    const Qt::CursorShape step = Dispatcher().Cursor();
    if (step == Qt::SizeAllCursor) {
        if (!StretchAnchorUsable(mouse))
            return;
        Vars.ClickAnchor = mouse;
        Dispatcher().SetCursor(Qt::CrossCursor);
        Dispatcher().ShowHint(HINT_STRETCH_TARGET);
    } else if (step == Qt::CrossCursor && Stretch(mouse)) {
        Dispatcher().EndMode(Vars.ChartStretchMode);
        Dispatcher().ClearHint();
        FillChartEditor();
    }
}
