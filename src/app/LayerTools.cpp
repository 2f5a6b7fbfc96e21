#include "app/LayerTools.h"

#include "app/AppPaths.h"
#include "app/FormBrumex.h"
#include "app/FormPresenters.h"
#include "app/GlobeSetup.h"
#include "app/LayerBackup.h"
#include "app/StringGrid.h"
#include "app/Vars.h"
#include "formats/GlobeLYRWriter.h"
#include "platform/Cp1252.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobeUtils.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int DragThreshold = 5;

void ShowError(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QStringLiteral("Erro!"), text);
}

QString ErrorText(const std::exception& e)
{
    return fromCp1252(e.what());
}

// The chosen name of a new layer file ends in ".Lyr" unless it already ends
// in that extension (any letter case).
QString WithLayerExtension(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("lyr"), Qt::CaseInsensitive) == 0
        ? path
        : path + QStringLiteral(".Lyr");
}

TColor PresenterFill(const TGlobePresenter* presenter)
{
    if (const auto* poly = dynamic_cast<const TPolyPresenter*>(presenter))
        return poly->PolyBrush.BrushColor();
    if (const auto* point = dynamic_cast<const TPointPresenter*>(presenter))
        return point->PointBrush.BrushColor();
    return clYellow;
}

} // namespace

TLayerTools::TLayerTools(TFormBrumex& form)
    : Beep([] { QApplication::beep(); })
    , RunFileDialog([](QFileDialog& dialog) {
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
            ? dialog.selectedFiles().constFirst()
            : QString();
    })
    , m_form(form)
    , m_closedBin(form.ImageLataLixoV->pixmap())
{
    m_form.GridObjetos->viewport()->installEventFilter(this);
}

TGlobe4& TLayerTools::Globe() const
{
    return *m_form.Globo;
}

TGlobeLayer* TLayerTools::CurrentLayer() const
{
    const int row = m_form.GridLayers->Row();
    const TGlobeLayerStore& store = *Globe().LayerStore();
    return row >= 0 && row < store.Count() ? &store.Layers(row) : nullptr;
}

TGlobeObject* TLayerTools::CurrentObject() const
{
    TGlobeLayer* layer = CurrentLayer();
    const int row = m_form.GridObjetos->Row();
    if (!layer || row < 0 || row >= layer->ObjectSource().Count())
        return nullptr;
    return &layer->ObjectSource().GetObject(row);
}

// --- Open, create, save, close ------------------------------------------------

void TLayerTools::AbrirLayerExecute()
{
    QFileDialog& dialog = *m_form.ODBrumex;
    dialog.setWindowTitle(QStringLiteral("Selecione o layer desejado"));
    dialog.setDirectory(TAppPaths::Resolve(Vars.DirLayers));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Shapefiles and MIF files open as layers too.
    dialog.setNameFilters({ QStringLiteral("Layers (*.Lyr)"), QStringLiteral("Shapefiles (*.shp)"),
        QStringLiteral("MapInfo (*.mif)"), QStringLiteral("Todos os mapas (*.Lyr *.shp *.mif)") });
    dialog.selectFile(QString());
    const QString file = RunFileDialog(dialog);
    if (file.isEmpty())
        return;
    TGlobeLayerStore& store = *Globe().LayerStore();
    if (store.LayerByName(toCp1252(QFileInfo(file).fileName())))
        return;
    const int before = store.Count();
    int index = -1;
    try {
        index = OpenLayerFile(Globe(), toCp1252(file));
    } catch (const std::exception& e) {
        // A file that cannot be read leaves no half-opened layer behind.
        while (store.Count() > before)
            store.DeleteLayer(store.Layers(store.Count() - 1));
        ShowLayers();
        ShowError(&m_form, QStringLiteral("Não foi possível abrir ") + file + QStringLiteral(":\n") + ErrorText(e));
        return;
    }
    if (index < 0) {
        ShowError(&m_form, QStringLiteral("Arquivo ") + file + QStringLiteral(" não encontrado!"));
        return;
    }
    TGlobeLayer& layer = store.Layers(index);
    MoveBelowSpecialLayers(layer);
    ZoomToLayer(layer);
    ShowLayers();
}

void TLayerTools::MoveBelowSpecialLayers(TGlobeLayer& layer)
{
    const TGlobeLayerStore& store = *Globe().LayerStore();
    while (layer.Index() > 0 && IsSpecialLayer(store.Layers(layer.Index() - 1)))
        layer.SetIndex(layer.Index() - 1);
}

void TLayerTools::NovoLayer1Click()
{
    QFileDialog& dialog = *m_form.SDBrumex;
    dialog.setWindowTitle(QStringLiteral("Nome do Layer"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({ QStringLiteral("Layers (*.Lyr)") });
    dialog.setDirectory(m_form.ODBrumex->directory());
    dialog.selectFile(QStringLiteral("NovoLayer.Lyr"));
    const QString chosen = RunFileDialog(dialog);
    if (chosen.isEmpty())
        return;
    const QString file = WithLayerExtension(chosen);
    const std::string name = toCp1252(QFileInfo(file).fileName());
    TGlobeLayerStore& store = *Globe().LayerStore();
    // Objects find their layer by its name: two layers may not share one.
    if (store.LayerByName(name)) {
        ShowError(&m_form, QStringLiteral("Já existe um layer aberto com o nome ") + fromCp1252(name) + '.');
        return;
    }
    // The dialog asked about replacing the file it was given, not about the
    // one the extension leads to.
    if (file != chosen && QFileInfo::exists(file)
        && QMessageBox::question(&m_form, QStringLiteral("Arquivo já existente"),
               QStringLiteral("O arquivo ") + file + QStringLiteral(" já existe. Deseja substituí-lo?"))
            != QMessageBox::Yes)
        return;
    TGlobeLayer& layer = store.CreateLayer("TGlobeLayer");
    layer.SetName(name);
    layer.ObjectSource().Name = name;
    try {
        SaveLayerAsLYR(layer, toCp1252(file));
    } catch (const std::exception& e) {
        store.DeleteLayer(layer);
        ShowLayers();
        ShowError(&m_form, ErrorText(e));
        return;
    }
    layer.ObjectSource().Name = name;
    layer.SetModified(false);
    MoveBelowSpecialLayers(layer);
    Vars.EditedObject = nullptr;
    Vars.EditedChart = nullptr;
    m_form.ClearObjectEditor();
    ShowLayers();
    SelectLayerRow(layer.Index());
    GridLayersClick();
}

void TLayerTools::SelectLayerRow(int row)
{
    m_form.GridLayers->SetRow(row);
    m_form.GridLayers->SetCol(1);
    m_form.GridLayers->Repaint();
}

bool TLayerTools::SaveLayer(TGlobeLayer& layer)
{
    try {
        SaveLayerToBackup(layer);
    } catch (const std::exception& e) {
        ShowError(&m_form, ErrorText(e));
        return false;
    }
    layer.SetModified(false);
    m_form.GridLayers->Repaint();
    return true;
}

void TLayerTools::Salvar1Click()
{
    if (TGlobeLayer* layer = CurrentLayer())
        SaveLayer(*layer);
}

void TLayerTools::Fechar1Click()
{
    TGlobeLayer* layer = CurrentLayer();
    if (!layer)
        return;
    if (layer->Modified()) {
        const auto answer = QMessageBox::question(&m_form, QStringLiteral("Layer não salvo!"),
            QStringLiteral("Deseja salvar o Layer ") + fromCp1252(layer->Name())
                + QStringLiteral(" antes de fecha-lo ?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !SaveLayer(*layer)))
            return;
    }
    Globe().LayerStore()->DeleteLayer(*layer);
    ShowLayers();
    GridLayersClick();
}

// --- Show, titles, reorder ------------------------------------------------------

void TLayerTools::Visvel1Click()
{
    TGlobeLayer* layer = CurrentLayer();
    if (!layer)
        return;
    // Showing or hiding is no change to be saved.
    const bool modified = layer->Modified();
    layer->SetVisible(!layer->Visible());
    layer->SetModified(modified);
    m_form.GridLayers->Repaint();
    m_form.Visvel1->setChecked(layer->Visible());
    Globe().Redraw();
}

void TLayerTools::GridLayersDblClick()
{
    Visvel1Click();
}

void TLayerTools::CbTitVisClick()
{
    if (TGlobeLayer* layer = CurrentLayer()) {
        layer->SetShowTitles(m_form.CbTitVis->isChecked());
        Globe().Redraw();
    }
}

void TLayerTools::MoveLayer(int step)
{
    TGlobeLayer* layer = CurrentLayer();
    const int index = layer ? layer->Index() : -1;
    const int to = index + step;
    if (!layer || to < 0 || to >= Globe().LayerStore()->Count()) {
        Beep();
        return;
    }
    layer->SetIndex(to);
    m_form.GridLayers->SetRow(to);
    m_form.GridLayers->Repaint();
    Globe().Redraw();
}

void TLayerTools::ParaFrente1Click()
{
    MoveLayer(+1);
}

void TLayerTools::ParaTrs1Click()
{
    MoveLayer(-1);
}

void TLayerTools::Presenters1Click()
{
    if (!CurrentLayer())
        return;
    m_form.Windows().FormPresenters->exec();
    // The object rows show presenter names, which the editors may have changed.
    m_form.GridObjetos->Repaint();
    ShowLayers();
}

void TLayerTools::Zoom1Click()
{
    if (TGlobeLayer* layer = CurrentLayer())
        ZoomToLayer(*layer);
}

void TLayerTools::PopupLayersPopup()
{
    const TGlobeLayer* layer = CurrentLayer();
    m_form.Visvel1->setChecked(layer && layer->Visible());
    m_form.Salvar1->setEnabled(true);
}

// --- The grids --------------------------------------------------------------------

void TLayerTools::ShowLayers()
{
    m_form.GridLayers->SetRowCount(Globe().LayerStore()->Count());
}

void TLayerTools::ShowObjects()
{
    TGlobeLayer* layer = CurrentLayer();
    m_form.GridObjetos->SetRowCount(layer ? layer->ObjectSource().Count() : 0);
}

void TLayerTools::ObjectsChanged()
{
    ShowObjects();
    if (TGlobeLayer* layer = CurrentLayer())
        ShowLayerData(*layer);
}

void TLayerTools::ShowLayerData(TGlobeLayer& layer)
{
    m_form.LabQtObj->setText(QString::number(layer.ObjectSource().Count()) + QStringLiteral(" Objetos"));
    m_form.LabSelec->setText(QString::number(layer.SelectedCount()) + QStringLiteral(" Selecionados"));
    m_form.CbTitVis->setChecked(layer.ShowTitles());
}

void TLayerTools::ShowWaypointPanel(const TGlobeLayer* layer)
{
    m_form.PanelEdWaypt->setVisible(layer && layer->Name() == "LayWaypt");
}

void TLayerTools::GridLayersClick()
{
    ShowLayers();
    TGlobeLayer* layer = CurrentLayer();
    ShowWaypointPanel(layer);
    if (layer)
        ShowLayerData(*layer);
    else {
        m_form.LabQtObj->clear();
        m_form.LabSelec->clear();
    }
    ShowObjects();
    m_form.GridObjetosClick();
    if (TFormPresenters* presenters = m_form.Windows().FormPresenters)
        presenters->ShowPresenters();
}

void TLayerTools::GridLayersDrawCell(QPainter& painter, int col, int row, const QRect& rect)
{
    const TGlobeLayerStore& store = *Globe().LayerStore();
    if (row >= store.Count())
        return;
    const TGlobeLayer& layer = store.Layers(row);
    if (col == 0) {
        painter.fillRect(rect, layer.Visible() ? QColor(255, 255, 0) : QColor(128, 128, 128));
        return;
    }
    QFont font = painter.font();
    if (IsSpecialLayer(layer)) {
        painter.setPen(QColor(0, 128, 0));
    } else if (layer.Modified()) {
        painter.setPen(QColor(255, 0, 0));
        font.setBold(true);
    } else {
        painter.setPen(Qt::black);
    }
    painter.setFont(font);
    TStringGrid::DrawCellText(painter, rect, fromCp1252(layer.Name()));
}

void TLayerTools::GridObjetosDrawCell(QPainter& painter, int col, int row, const QRect& rect)
{
    TGlobeLayer* layer = CurrentLayer();
    if (!layer || row >= layer->ObjectSource().Count())
        return;
    QString text;
    try {
        const TGlobeObject& object = layer->ObjectSource().GetObject(row);
        if (col == 0) {
            text = fromCp1252(object.Title);
        } else {
            const TGlobePresenter* presenter = layer->FindPresenter(object.PresenterID());
            text = presenter ? fromCp1252(presenter->Name) : QStringLiteral("-X-");
        }
    } catch (const std::exception&) {
        // An object its file cannot give shows as an empty row.
        return;
    }
    TStringGrid::DrawCellText(painter, rect, text);
}

// --- Dragging an object row ---------------------------------------------------------

bool TLayerTools::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_form.GridObjetos->viewport())
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        // The grid itself makes the row under the mouse its current row.
        if (mouse->button() == Qt::LeftButton)
            GridObjetosMouseDown(mouse->position().toPoint());
        return false;
    case QEvent::MouseMove:
        if (!m_pressed || !(mouse->buttons() & Qt::LeftButton))
            return false;
        // The row held stays the current row however the mouse moves.
        DragMove(mouse->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        if (!m_dragging)
            return false;
        DragEnd(mouse->globalPosition().toPoint());
        return true;
    default:
        return false;
    }
}

void TLayerTools::GridObjetosMouseDown(const QPoint& at)
{
    m_pressed = true;
    m_dragging = false;
    m_pressAt = at;
}

void TLayerTools::DragMove(const QPoint& globalAt)
{
    QWidget* grid = m_form.GridObjetos->viewport();
    if (!m_dragging) {
        const QPoint moved = grid->mapFromGlobal(globalAt) - m_pressAt;
        if ((std::abs(moved.x()) < DragThreshold && std::abs(moved.y()) < DragThreshold) || !CurrentObject())
            return;
        m_dragging = true;
    }
    QWidget* layers = m_form.GridLayers->viewport();
    const bool overLayers = layers->rect().contains(layers->mapFromGlobal(globalAt));
    const bool overBin = m_form.ImageLataLixoV->rect().contains(m_form.ImageLataLixoV->mapFromGlobal(globalAt));
    const bool accepted = (overLayers && GridLayersDragOver(m_form.GridObjetos, layers->mapFromGlobal(globalAt)))
        || (overBin && ImageLataLixoVDragOver(m_form.GridObjetos));
    if (!overBin)
        ShowBin(false);
    grid->setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TLayerTools::DragEnd(const QPoint& globalAt)
{
    m_dragging = false;
    m_form.GridObjetos->viewport()->unsetCursor();
    QWidget* layers = m_form.GridLayers->viewport();
    const QPoint atLayers = layers->mapFromGlobal(globalAt);
    QLabel* bin = m_form.ImageLataLixoV;
    if (layers->rect().contains(atLayers) && GridLayersDragOver(m_form.GridObjetos, atLayers))
        GridLayersDragDrop(m_form.GridObjetos, atLayers);
    else if (bin->rect().contains(bin->mapFromGlobal(globalAt)) && ImageLataLixoVDragOver(m_form.GridObjetos))
        ImageLataLixoVDragDrop(m_form.GridObjetos);
    else
        ShowBin(false);
}

bool TLayerTools::GridLayersDragOver(const QObject* source, const QPoint& at) const
{
    return source && qobject_cast<const TStringGrid*>(source) && source->objectName() == "GridObjetos"
        && m_form.GridLayers->RowAt(at) >= 0;
}

void TLayerTools::GridLayersDragDrop(const QObject* source, const QPoint& at)
{
    TGlobeLayer* from = CurrentLayer();
    TGlobeObject* object = CurrentObject();
    const int row = m_form.GridLayers->RowAt(at);
    if (!GridLayersDragOver(source, at) || !from || !object)
        return;
    TGlobeLayer& to = Globe().LayerStore()->Layers(row);
    TGlobeObjectSource& target = to.ObjectSource();
    // Within its own source the object keeps its place.
    if (&target != object->ObjectSource()) {
        if (object->Selected())
            Globe().LayerStore()->SelectObject(nullptr);
        // Leaving a source resets the object's state; drawing keeps needing it.
        TGlobeObjectStateSet kept = object->State;
        kept.exclude(TGlobeObjectState::osDiscardable);
        object->SetObjectSource(&target);
        target.Name = to.Name();
        object->State = kept;
        object->Changed();
    }
    from->SetModified(true);
    to.SetModified(true);
    ShowObjects();
    ShowLayerData(*from);
    m_form.GridLayers->Repaint();
    Globe().Redraw();
}

bool TLayerTools::ImageLataLixoVDragOver(const QObject* source)
{
    const bool accepted
        = source && qobject_cast<const TStringGrid*>(source) && source->objectName() == "GridObjetos";
    ShowBin(accepted);
    return accepted;
}

void TLayerTools::ImageLataLixoVDragDrop(const QObject* source)
{
    TGlobeLayer* layer = CurrentLayer();
    TGlobeObject* object = CurrentObject();
    if (!ImageLataLixoVDragOver(source) || !layer || !object) {
        ShowBin(false);
        return;
    }
    Vars.EditedObject = nullptr;
    m_form.ClearObjectEditor();
    // Every reference to the object is let go while it is destroyed.
    delete object;
    layer->SetModified(true);
    ShowObjects();
    ShowLayerData(*layer);
    m_form.GridLayers->Repaint();
    Globe().Redraw();
    m_binFull = true;
    ShowBin(false);
}

void TLayerTools::ShowBin(bool over)
{
    const QLabel* picture = over ? m_form.ImageLataLixoA : m_binFull ? m_form.ImageLataLixoF : nullptr;
    m_form.ImageLataLixoV->setPixmap(picture ? picture->pixmap() : m_closedBin);
}

// --- Events of the globe --------------------------------------------------------------

void TLayerTools::GloboLayerCreate(TGlobeLayer*)
{
    ShowLayers();
}

void TLayerTools::GloboObjectSelectChange(TGlobeObject* object)
{
    // Deselections need no answer: the grids follow what is selected.
    if (!object || !object->Selected())
        return;
    TGlobeLayer* layer = LayerOfObject(Globe(), *object);
    if (layer) {
        ShowLayers();
        m_form.GridLayers->SetRow(layer->Index());
        m_form.GridLayers->SetCol(1);
        ShowObjects();
        m_form.GridObjetos->SetRow(object->ObjectIndex);
    }
    const bool world = layer && fromCp1252(layer->Name()).toUpper().contains(QLatin1String("WORLD"));
    Globe().SelectedBrushValue
        = QBrush(world ? ToQColor(PresenterFill(layer->FindPresenter(object->PresenterID()))) : QColor(255, 255, 0));
    ShowWaypointPanel(layer);
    if (object->Title == "Lapis")
        Globe().LayerStore()->SelectObject(nullptr);
}
