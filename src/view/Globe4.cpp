#include "view/Globe4.h"

#include "geo/DevicePoints.h"
#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeStream.h"
#include "geo/ProjectionModel.h"
#include "geo/TextureData.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"
#include "view/Colors.h"
#include "view/DayNight.h"
#include "view/GeoDrawing.h"
#include "view/GlobeCanvas.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/ScrollRange.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t INT32_LIMIT = 2147483647;
constexpr int32_t SCROLL_LIMIT = 1073741823;

bool SameButton(Qt::MouseButton button, TGlobeMouseButton configured)
{
    switch (configured) {
    case TGlobeMouseButton::mzbLeft:
        return button == Qt::LeftButton;
    case TGlobeMouseButton::mzbRight:
        return button == Qt::RightButton;
    case TGlobeMouseButton::mzbMiddle:
        return button == Qt::MiddleButton;
    case TGlobeMouseButton::mzbNone:
        break;
    }
    return false;
}

bool HasModifier(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier)) != 0;
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool EndsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// The name without its folders; both separators count, as environment files
// may come from another system.
std::string FilePart(const std::string& name)
{
    const auto slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool FileExists(const std::string& name)
{
    const QFileInfo info(fromCp1252(name));
    return !name.empty() && info.exists() && info.isFile();
}

} // namespace

TGlobe4::TGlobe4(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFrameStyle(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    resize(150, 150);
    m_canvas = std::make_unique<TGlobeCanvas>(this);
    m_layerStore = std::make_unique<TGlobeLayerStore>(*this);
    m_projection = std::make_unique<TGlobeProjection>(*this);
    m_texture = std::make_unique<TTextureData>();
    SelectedPenValue = QPen(ToQColor(clRed), 0);
    SelectedBrushValue = QBrush(ToQColor(clYellow));
    TransparentPenValue = QPen(ToQColor(clGray), 0);
    TransparentBrushValue = QBrush(ToQColor(clSilver));
    GraticulePen = QPen(ToQColor(clSilver), 0);
    setFont(QFont(QStringLiteral("Arial"), 9));
    SetGlobeFileVersion(1029);
    ObjectCache().OnReduceCacheMemory = [this] {
        if (OnReduceCacheMemory)
            OnReduceCacheMemory(this);
    };
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
        [this](int action) { ScrollAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
        [this](int action) { ScrollAction(Qt::Vertical, action); });
    SetScrollBars(TScrollStyle::ssBoth);
}

TGlobe4::~TGlobe4()
{
    ObjectCache().BeginDestruction();
    m_canvas->AttachDC(nullptr);
    m_layerStore.reset();
}

// --- Properties ------------------------------------------------------------------

void TGlobe4::SetColor(const QColor& color)
{
    m_color = color;
    Redraw();
}

void TGlobe4::SetBackgroundImage(const QImage& image)
{
    m_backgroundImage = image.copy();
    Redraw();
}

void TGlobe4::SetSurfaceColor(TColor color)
{
    m_surfaceColor = color;
    Redraw();
}

void TGlobe4::SetSurfaceTextureName(const std::string& name)
{
    m_surfaceTextureName = name;
    m_texture->Clear();
    const std::string found = name.empty() ? std::string() : FindDataFile(name);
    if (!found.empty()) {
        try {
            m_texture->LoadFromFile(found);
        } catch (const std::exception&) {
            m_texture->Clear();
        }
    }
    if (!m_texture->HasImage())
        m_surfaceTextureName.clear();
    Redraw();
}

void TGlobe4::SetGlobeOptions(TGlobeOptionsSet options)
{
    const bool transparentBefore = m_options.contains(TGlobeOption::goTransparentBackground);
    m_options = options;
    if (transparentBefore != options.contains(TGlobeOption::goTransparentBackground)) {
        if (transparentBefore)
            m_backgroundImage = QImage();
        viewport()->setAttribute(Qt::WA_TranslucentBackground, !transparentBefore);
    }
    UpdateScrollBars();
    Redraw();
}

void TGlobe4::SetGraticuleLatitudeStep(int32_t degrees)
{
    if (degrees < 0 || degrees >= 90)
        return;
    m_graticuleLatitudeStep = degrees;
    Redraw();
}

void TGlobe4::SetGraticuleLongitudeStep(int32_t degrees)
{
    if (degrees < 0 || degrees >= 180)
        return;
    m_graticuleLongitudeStep = degrees;
    Redraw();
}

void TGlobe4::SetGraticuleDrawMode(TGraticuleDraw mode)
{
    ChangeAndRedraw(m_graticuleDrawMode, mode);
}

int32_t TGlobe4::ScaledTextHeight(int32_t pixels) const
{
    return MulDiv(pixels, m_canvas->OutputPPI, m_canvas->ScreenPPI());
}

int32_t TGlobe4::MinTextHeight() const
{
    return ScaledTextHeight(m_minTextHeight);
}

int32_t TGlobe4::MaxTextHeight() const
{
    return ScaledTextHeight(m_maxTextHeight);
}

void TGlobe4::SetMinTextHeight(int32_t pixels)
{
    ChangeAndRedraw(m_minTextHeight, pixels);
}

void TGlobe4::SetMaxTextHeight(int32_t pixels)
{
    ChangeAndRedraw(m_maxTextHeight, pixels);
}

void TGlobe4::SetScrollBars(TScrollStyle style)
{
    m_scrollBars = style;
    const bool horizontal = style == TScrollStyle::ssBoth || style == TScrollStyle::ssHorizontal;
    const bool vertical = style == TScrollStyle::ssBoth || style == TScrollStyle::ssVertical;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    UpdateScrollBars();
}

void TGlobe4::SetDataDirectory(const std::string& directory)
{
    m_dataDirectory = Trimmed(directory);
    // An empty folder stays empty: it means the program's folder.
    if (m_dataDirectory.empty())
        return;
    if (!EndsWithSeparator(m_dataDirectory))
        m_dataDirectory += '/';
    if (!DirectoryExists(m_dataDirectory) && OnDirectoryNotFound)
        OnDirectoryNotFound(this, m_dataDirectory);
}

// --- Events of the layers, sources and objects ------------------------------------------

TGlobePresenterStore* TGlobe4::GlobalPresenters() const
{
    return m_layerStore ? &m_layerStore->GlobalPresenters() : nullptr;
}

void TGlobe4::Notify(TGlobeNotification kind, TGlobeRoot* item)
{
    if (!m_layerStore)
        return;
    const bool destroying = ObjectCache().Destroying();
    const auto fire = [this](const auto& event, auto* argument) {
        if (event && argument)
            event(this, argument);
    };
    switch (kind) {
    case TGlobeNotification::gnLayerCreated:
        fire(OnLayerCreate, dynamic_cast<TGlobeLayer*>(item));
        break;
    case TGlobeNotification::gnLayerFreed:
        fire(OnLayerFree, dynamic_cast<TGlobeLayer*>(item));
        break;
    case TGlobeNotification::gnSourceCreated:
        if (!destroying)
            fire(OnObjectSourceCreate, dynamic_cast<TGlobeObjectSource*>(item));
        break;
    case TGlobeNotification::gnSourceActiveChanged:
        if (!destroying)
            fire(OnObjectSourceActiveChange, dynamic_cast<TGlobeObjectSource*>(item));
        break;
    case TGlobeNotification::gnSourceFreed:
        if (!destroying)
            fire(OnObjectSourceFree, dynamic_cast<TGlobeObjectSource*>(item));
        break;
    case TGlobeNotification::gnObjectFreed:
        fire(OnObjectFree, dynamic_cast<TGlobeObject*>(item));
        break;
    case TGlobeNotification::gnObjectSelectChanged:
        fire(OnObjectSelectChange, dynamic_cast<TGlobeObject*>(item));
        break;
    }
    Redraw();
}

void TGlobe4::Invalidate()
{
    viewport()->update();
}

bool TGlobe4::FireObjectRender(TGlobeObject& object, TGlobeObjectStateSet state)
{
    if (!OnObjectRender)
        return false;
    OnObjectRender(this, object, state);
    return true;
}

void TGlobe4::FireObjectCreate(TGlobeObject& object)
{
    if (OnObjectCreate)
        OnObjectCreate(this, &object);
}

void TGlobe4::CenterOnObject(TGlobeObject* object)
{
    if (!object)
        return;
    const TMER mer = object->GetMER();
    CenterOn(mer.Left + mer.Width / 2, mer.Bottom + mer.Height / 2);
}

// --- Events of the projection ---------------------------------------------------------

void TGlobe4::FireZoomed(TGlobeRoot* sender)
{
    if (OnZoomed)
        OnZoomed(this, sender);
}

void TGlobe4::FirePanned(TGlobeRoot* sender)
{
    if (OnPanned)
        OnPanned(this, sender);
}

bool TGlobe4::Progress(TProgressMessage type, const std::string& text)
{
    bool abort = false;
    if (OnProgress)
        OnProgress(this, type, text, abort);
    return abort;
}

// --- View ------------------------------------------------------------------------------

void TGlobe4::Redraw()
{
    m_stale = true;
    viewport()->update();
}

void TGlobe4::CenterOn(int32_t longitude, int32_t lat)
{
    m_projection->SetCenterLongitude(NormalizeLong(longitude) / static_cast<long double>(GU_DEGREE));
    m_projection->SetCenterLatitude(lat / static_cast<long double>(GU_DEGREE));
}

void TGlobe4::ZoomToRect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (width == 0 || height == 0) {
        m_projection->SetScaleFactor(0);
        return;
    }
    try {
        const int32_t w = m_canvas->Width(), h = m_canvas->Height();
        TGlobeProjection& p = *m_projection;
        long double a = std::min(static_cast<long double>(h) / height, static_cast<long double>(w) / width);
        a = std::min<long double>(a, 3);
        if (p.MaxZoom() > p.MinZoom())
            a = Clamp(a, p.MinZoom(), p.MaxZoom());
        const long double s = p.ScaleFactor();
        const int32_t xOrigin
            = SaturatedInt32(Rnd64(a * (p.XOrigin() / s - (int64_t { x } + width / 2))) + w / 2);
        const int32_t yOrigin
            = SaturatedInt32(Rnd64(a * (p.YOrigin() / s - (int64_t { y } + height / 2))) + h / 2);
        const long double longest = std::max(w, h);
        if (longest / a > INT32_LIMIT)
            a = longest / INT32_LIMIT;
        if (a != s) {
            m_viewExtent = { 0, 0, Rnd(w / a), Rnd(h / a) };
            p.SetScaleFactor(a);
            p.SetXOrigin(xOrigin);
            p.SetYOrigin(yOrigin);
            if (!IsLoading())
                FireZoomed(nullptr);
        }
    } catch (const std::exception&) {
        // A zoom that cannot be applied leaves the view as far as it got.
    }
    UpdateScrollBars();
}

void TGlobe4::Pan(int32_t dx, int32_t dy)
{
    if (dx != 0 || dy != 0) {
        TGlobeProjection& p = *m_projection;
        p.SetXOrigin(SaturatedInt32(p.XOrigin() - Rnd64(dx * p.ScaleFactor())));
        p.SetYOrigin(SaturatedInt32(p.YOrigin() - Rnd64(dy * p.ScaleFactor())));
        if (!IsLoading())
            FirePanned(nullptr);
    }
    UpdateScrollBars();
    Redraw();
}

TGlobeViewState TGlobe4::GetViewState() const
{
    const TGlobeProjection& p = *m_projection;
    return { p.ScaleFactor(), p.XOrigin(), p.YOrigin(), Rnd(p.XRotation() * GU_DEGREE),
        Rnd(p.YRotation() * GU_DEGREE), Rnd(p.ZRotation() * GU_DEGREE) };
}

void TGlobe4::SetViewState(const TGlobeViewState& state)
{
    TGlobeProjection& p = *m_projection;
    p.SetScaleFactor(state.ScaleFactor);
    p.SetXRotation(state.XRotation / static_cast<long double>(GU_DEGREE));
    p.SetYRotation(state.YRotation / static_cast<long double>(GU_DEGREE));
    p.SetZRotation(state.ZRotation / static_cast<long double>(GU_DEGREE));
    p.SetOrigin({ state.XOrigin, state.YOrigin });
}

long double TGlobe4::GUToValue(int32_t distance, TGlobeUnitTypes unit) const
{
    if (unit == TGlobeUnitTypes::Pixel)
        return distance * m_projection->ScaleFactor();
    return distance / GlobeUnitsPerUnit(unit);
}

// --- Scroll bars ---------------------------------------------------------------------

void TGlobe4::UpdateScrollBars()
{
    if (m_renderingToCanvas || !m_canvas || !m_projection)
        return;
    UpdateVerticalScrollBar();
    UpdateHorizontalScrollBar();
}

void TGlobe4::UpdateVerticalScrollBar()
{
    TGlobeProjection& p = *m_projection;
    const int32_t h = m_canvas->Height();
    const TScrollRange r = ScrollRange(
        p, true, m_viewExtent.Bottom - m_viewExtent.Top, (p.YOrigin() - int64_t { h / 2 }) / p.ScaleFactor());
    if (FitLimits(p, r, h))
        return;
    if (p.UseMinMaxLimits())
        p.SetYOrigin(SaturatedInt32(h / 2 + Rnd64(r.position * p.ScaleFactor())));
    const auto position = static_cast<int32_t>(Rnd64(r.max + r.min) - Rnd64(r.halfPage + r.position));
    SetScrollBar(Qt::Vertical, static_cast<int32_t>(r.min), static_cast<int32_t>(r.max), r.page, position);
}

void TGlobe4::UpdateHorizontalScrollBar()
{
    TGlobeProjection& p = *m_projection;
    const int32_t w = m_canvas->Width();
    const TScrollRange r = ScrollRange(
        p, false, m_viewExtent.Right - m_viewExtent.Left, (w / 2 - int64_t { p.XOrigin() }) / p.ScaleFactor());
    if (FitLimits(p, r, w))
        return;
    if (p.UseMinMaxLimits())
        p.SetXOrigin(SaturatedInt32(w / 2 - Rnd64(r.position * p.ScaleFactor())));
    const auto position = static_cast<int32_t>(-Rnd64(r.halfPage - r.position));
    SetScrollBar(Qt::Horizontal, static_cast<int32_t>(r.min), static_cast<int32_t>(r.max), r.page, position);
}

void TGlobe4::SetScrollBar(
    Qt::Orientation orientation, int32_t min, int32_t max, int32_t page, int32_t position)
{
    const bool vertical = orientation == Qt::Vertical;
    (vertical ? m_verticalPosition : m_horizontalPosition) = position;
    const bool shown = m_scrollBars == TScrollStyle::ssBoth
        || m_scrollBars == (vertical ? TScrollStyle::ssVertical : TScrollStyle::ssHorizontal);
    if (!shown)
        return;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const QSignalBlocker blocker(bar);
    min = std::clamp(min, -SCROLL_LIMIT, SCROLL_LIMIT);
    // The platform's maximum is the last page start, not the end of the range.
    const int32_t last = std::clamp<int64_t>(int64_t { max } - page, min, SCROLL_LIMIT);
    bar->setRange(min, last);
    bar->setPageStep(std::max(page, 1));
    bar->setSingleStep(std::max(page / 20, 1));
    bar->setValue(position);
    bar->setSliderPosition(position);
    bar->setEnabled(last > min);
}

void TGlobe4::ScrollAction(Qt::Orientation orientation, int action)
{
    const bool vertical = orientation == Qt::Vertical;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int32_t page = bar->pageStep();
    int32_t amount = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        amount = -page / 20;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        amount = page / 20;
        break;
    case QAbstractSlider::SliderPageStepSub:
        amount = -page / 2;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        amount = page / 2;
        break;
    case QAbstractSlider::SliderMove:
        amount = bar->sliderPosition() - (vertical ? m_verticalPosition : m_horizontalPosition);
        break;
    default:
        return;
    }
    if (vertical)
        Pan(0, amount);
    else
        Pan(amount, 0);
    // The bar would otherwise move its thumb by its own step afterwards.
    bar->setSliderPosition(vertical ? m_verticalPosition : m_horizontalPosition);
}

// --- Data files ------------------------------------------------------------------------

std::string TGlobe4::SearchDataFile(const std::string& name) const
{
    if (FileExists(name))
        return name;
    std::string folder = Trimmed(m_dataDirectory);
    if (folder.empty())
        folder = toCp1252(QCoreApplication::applicationDirPath()) + '/';
    else if (!EndsWithSeparator(folder))
        folder += '/';
    for (const std::string& candidate : { folder + name, folder + FilePart(name) })
        if (FileExists(candidate))
            return candidate;
    return {};
}

std::string TGlobe4::FindDataFile(const std::string& name)
{
    std::string fileName = name;
    for (;;) {
        std::string found = SearchDataFile(fileName);
        if (!found.empty() || !OnFileNotFound)
            return found;
        bool tryFileName = false;
        OnFileNotFound(this, fileName, tryFileName);
        if (!tryFileName)
            return {};
    }
}

// --- Environment ---------------------------------------------------------------------

void TGlobe4::ClearGlobe()
{
    m_environmentFile.clear();
    m_layerStore->Clear();
    Redraw();
}

void TGlobe4::SetEnvironmentFile(const std::string& fileName)
{
    ClearGlobe();
    TGXML_Document document;
    if (!document.LoadFromFile(fileName))
        return;
    LoadEnvironment(document.Root().ChildElement("TGlobe"));
    m_environmentFile = fileName;
    if (OnLoadEnvironment)
        OnLoadEnvironment(this, document);
}

void TGlobe4::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    SetDataDirectory(element->StringAttr("DataDirectory", m_dataDirectory));
    SetSurfaceColor(StringToColor(element->StringAttr("SurfaceColor", ColorToString(m_surfaceColor))));
    SetSurfaceTextureName(element->StringAttr("SurfaceTextureName", m_surfaceTextureName));
    SetMaxTextHeight(element->Int32Attr("MaxTextHeight", MaxTextHeight()));
    SetMinTextHeight(element->Int32Attr("MinTextHeight", MinTextHeight()));
    m_projection->LoadEnvironment(element->ChildElement("Projection"));
    m_layerStore->LoadEnvironment(element->ChildElement("LayerStore"));
    UpdateScrollBars();
}

void TGlobe4::SaveEnvironmentToFile(const std::string& fileName)
{
    TGXML_Document document;
    auto globe = std::make_unique<TGXML_Element>();
    globe->AddAttribute("DataDirectory", m_dataDirectory);
    globe->AddAttribute("SurfaceColor", ColorToString(m_surfaceColor));
    globe->AddAttribute("SurfaceTextureName", m_surfaceTextureName);
    globe->AddInteger("MaxTextHeight", MaxTextHeight());
    globe->AddInteger("MinTextHeight", MinTextHeight());
    globe->AddElement("Projection", m_projection->SaveEnvironment());
    globe->AddElement("LayerStore", m_layerStore->SaveEnvironment());
    document.Root().AddElement("TGlobe", std::move(globe));
    if (OnSaveEnvironment)
        OnSaveEnvironment(this, document);
    document.SaveToFile(fileName);
}

// --- Paint pipeline --------------------------------------------------------------------

void TGlobe4::RenderBackground()
{
    QPainter* dc = m_canvas->DC();
    if (dc) {
        const QRect area(0, 0, m_canvas->Width(), m_canvas->Height());
        if (m_backgroundImage.isNull())
            dc->fillRect(area, m_color);
        else
            dc->drawTiledPixmap(area, QPixmap::fromImage(m_backgroundImage));
    }
    if (m_options.contains(TGlobeOption::goTransparentGlobe))
        return;
    const QColor surface = ToQColor(m_surfaceColor);
    m_canvas->SelectPen(QPen(surface, 0));
    m_canvas->SelectBrush(QBrush(surface));
    m_projection->ProjectionModel().PaintSurface();
}

void TGlobe4::RenderGraticule()
{
    m_canvas->SelectPen(m_projection->FarSidePass ? TransparentPenValue : GraticulePen);
    m_canvas->SelectBrush(Qt::NoBrush);
    m_canvas->SetBkTransparent(true);
    if (OnPaintGraticule) {
        m_canvas->ResetDrawState();
        OnPaintGraticule(this);
        m_canvas->ResetDrawState();
        return;
    }
    m_projection->ProjectionModel().PaintGraticule();
}

void TGlobe4::RenderForeground()
{
    // One frame over both passes: the far side's objects serve the near side.
    const TGlobeObjectCache::TFrame frame(ObjectCache());
    if (m_options.contains(TGlobeOption::goTransparentGlobe)) {
        m_projection->FarSidePass = true;
        try {
            RenderLayers(false);
            if (m_graticuleDrawMode != TGraticuleDraw::gdNone)
                RenderGraticule();
        } catch (...) {
            m_projection->FarSidePass = false;
            throw;
        }
        m_projection->FarSidePass = false;
    }
    if (m_graticuleDrawMode == TGraticuleDraw::gdBehind)
        RenderGraticule();
    RenderLayers(false);
    if (m_graticuleDrawMode == TGraticuleDraw::gdInFront)
        RenderGraticule();
}

void TGlobe4::RenderLayers(bool animated)
{
    m_layerStore->RenderLayers(animated);
}

void TGlobe4::RenderPicture()
{
    RenderBackground();
    RenderForeground();
    if (!m_interrupted && OnRender) {
        m_canvas->ResetDrawState();
        OnRender(this);
        m_canvas->ResetDrawState();
    }
}

void TGlobe4::paintEvent(QPaintEvent*)
{
    if (m_painting)
        return;
    QPainter window(viewport());
    const bool buffered = m_options.contains(TGlobeOption::goDoubleBuffered);
    if (m_progressiveRendering || (m_stale && buffered && m_periodicUpdateTime >= 1)) {
        // The picture is being drawn outside the paint so that it can be
        // shown while it grows; meanwhile the window shows the image as is.
        window.drawImage(0, 0, m_canvas->Image());
        if (!m_progressiveRendering && !m_progressivePending) {
            m_progressivePending = true;
            QTimer::singleShot(0, this, [this] { RenderProgressively(); });
        }
        return;
    }
    Paint(window);
}

void TGlobe4::Paint(QPainter& window)
{
    m_painting = true;
    m_interrupted = false;
    const bool buffered = m_options.contains(TGlobeOption::goDoubleBuffered);
    if (buffered)
        m_canvas->BeginImageDraw(nullptr);
    else
        m_canvas->AttachDC(&window);
    m_canvas->ResetDrawState();
    try {
        if (m_stale || !buffered)
            RenderPicture();
    } catch (...) {
        FinishPaint(window);
        throw;
    }
    FinishPaint(window);
}

void TGlobe4::FinishPaint(QPainter& window)
{
    // Runs whatever the drawing raised: the window keeps its painter and the
    // painting flag never sticks.
    struct Done {
        TGlobe4& globe;
        ~Done()
        {
            globe.m_canvas->AttachDC(nullptr);
            globe.m_painting = false;
            if (globe.m_interrupted)
                globe.Redraw();
            else
                globe.ObjectCache().RecalcCacheMemory();
        }
    } done { *this };
    if (m_options.contains(TGlobeOption::goDoubleBuffered)) {
        window.drawImage(0, 0, m_canvas->Image());
        m_canvas->EndImageDraw(&window);
    }
    DrawZoomRectangle(window);
    m_stale = false;
    m_canvas->ResetDrawState();
    RenderLayers(true);
    if (!m_interrupted && OnPaint) {
        m_canvas->ResetDrawState();
        OnPaint(this);
        m_canvas->ResetDrawState();
    }
}

void TGlobe4::RenderProgressively()
{
    m_progressivePending = false;
    if (!m_stale || m_painting)
        return;
    m_progressiveRendering = true;
    m_painting = true;
    m_interrupted = false;
    m_canvas->BeginImageDraw(nullptr);
    m_canvas->ResetDrawState();
    struct Done {
        TGlobe4& globe;
        ~Done()
        {
            globe.m_canvas->EndImageDraw(nullptr);
            globe.m_progressiveRendering = false;
            globe.m_painting = false;
        }
    };
    {
        Done done { *this };
        RenderPicture();
        m_stale = m_interrupted;
    }
    // Shows the finished picture with the animated layers and OnPaint on top.
    viewport()->repaint();
}

void TGlobe4::ShowPictureSoFar()
{
    if (m_progressiveRendering)
        viewport()->repaint();
}

void TGlobe4::DrawZoomRectangle(QPainter& window) const
{
    if (!m_zoomRectangleActive)
        return;
    window.save();
    window.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    window.setPen(QPen(Qt::white, 1, Qt::DotLine));
    window.setBrush(Qt::NoBrush);
    window.drawRect(m_zoomRectangle.normalized());
    window.restore();
}

void TGlobe4::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const QSize size = viewport()->size();
    if (size.width() != m_canvas->Width() || size.height() != m_canvas->Height())
        m_canvas->SetImageSize(size.width(), size.height(), m_canvas->ScreenPPI());
    UpdateScrollBars();
    Redraw();
}

void TGlobe4::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        Redraw();
}

// --- Mouse -------------------------------------------------------------------------

void TGlobe4::mousePressEvent(QMouseEvent* event)
{
    MouseDown(event->button(), event->modifiers(), false, event->position().toPoint());
}

void TGlobe4::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    MouseDown(event->button(), event->modifiers(), true, event->position().toPoint());
}

void TGlobe4::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, bool doubleClick, QPoint at)
{
    if (m_zoomRectangleActive) {
        m_zoomRectangleActive = false;
        viewport()->update();
        return;
    }
    if (OnMouseDown)
        OnMouseDown(this, button, modifiers, at.x(), at.y());
    if (HasModifier(modifiers) || doubleClick)
        return;
    if (SameButton(button, MouseZoomButton)) {
        m_zoomRectangle = QRect(QPoint(at.x(), at.y()), QPoint(at.x() + 1, at.y() + 1));
        m_zoomRectangleActive = true;
    }
    if (SameButton(button, MouseRotateButton)) {
        const TScreenGeoPoint g = m_projection->XYToGeo(at.x(), at.y());
        if (g.onMap) {
            m_rotateAnchor = g.point;
            m_rotating = true;
        }
    }
}

void TGlobe4::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool interruptable = m_options.contains(TGlobeOption::goInterruptable);
    if (m_zoomRectangleActive) {
        m_zoomRectangle.setBottomRight(at);
        viewport()->update();
        if (interruptable)
            m_interrupted = true;
    }
    if (m_rotating) {
        const TScreenGeoPoint g = m_projection->XYToGeo(at.x(), at.y());
        if (g.onMap) {
            TGlobeProjection& p = *m_projection;
            const long double degree = GU_DEGREE;
            p.SetXRotation(p.XRotation() + (int64_t { m_rotateAnchor.Lat } - g.point.Lat) / degree);
            p.SetYRotation(
                p.YRotation() + NormalizeLong(int64_t { m_rotateAnchor.Long } - g.point.Long) / degree);
            if (interruptable)
                m_interrupted = true;
        }
    }
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), at.x(), at.y());
}

void TGlobe4::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && viewport()->rect().contains(at) && OnClick)
        OnClick(this);
    MouseUp(event->button(), event->modifiers(), at);
}

void TGlobe4::EndZoomRectangle()
{
    m_zoomRectangleActive = false;
    const QRect r = m_zoomRectangle;
    const int left = r.left(), top = r.top(), right = r.right(), bottom = r.bottom();
    if (right - left < 10 || bottom - top < 10) {
        viewport()->update();
        return;
    }
    const long double s = m_projection->ScaleFactor();
    const int32_t x = Rnd(left / s), y = Rnd(top / s);
    ZoomToRect(x, y, Rnd(right / s) - x, Rnd(bottom / s) - y);
    Redraw();
}

void TGlobe4::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at)
{
    if (m_zoomRectangleActive)
        EndZoomRectangle();
    m_rotating = false;
    SelectAt(button, modifiers, at);
    if (OnMouseUp)
        OnMouseUp(this, button, modifiers, at.x(), at.y());
}

void TGlobe4::SelectAt(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at)
{
    TGlobeObject* object = m_layerStore->ObjectAtXY(at.x(), at.y());
    const bool selectButton = SameButton(button, MouseSelectButton);
    if (!HasModifier(modifiers) && selectButton)
        m_layerStore->SelectObject(object);
    if (!object)
        return;
    if (m_options.contains(TGlobeOption::goMultiSelect) && (modifiers & Qt::ControlModifier) && selectButton)
        object->SetSelected(!object->Selected());
    if (button == Qt::LeftButton && OnObjectClick)
        OnObjectClick(this, object);
}

void TGlobe4::enterEvent(QEnterEvent* event)
{
    QAbstractScrollArea::enterEvent(event);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TGlobe4::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

// --- Rendering onto another device ----------------------------------------------------

void TGlobe4::RenderToCanvas(QPainter& target, const QRect& rect, bool buffered)
{
    if (m_renderingToCanvas || rect.width() < 1 || rect.height() < 1)
        return;
    m_renderingToCanvas = true;
    std::unique_ptr<TGlobeProjection> projection = m_projection->Clone();
    std::unique_ptr<TGlobeCanvas> canvas = m_canvas->Clone();
    std::swap(projection, m_projection);
    std::swap(canvas, m_canvas);
    const TGlobeOptionsSet options = m_options;
    const TRect viewExtent = m_viewExtent;
    const bool stale = m_stale;
    const int ppi = target.device() ? target.device()->logicalDpiX() : m_canvas->ScreenPPI();
    struct Restore {
        TGlobe4& globe;
        QPainter& target;
        std::unique_ptr<TGlobeProjection>& projection;
        std::unique_ptr<TGlobeCanvas>& canvas;
        TGlobeOptionsSet options;
        TRect viewExtent;
        bool stale;
        ~Restore()
        {
            target.restore();
            globe.m_canvas->AttachDC(nullptr);
            std::swap(projection, globe.m_projection);
            std::swap(canvas, globe.m_canvas);
            globe.m_options = options;
            globe.m_viewExtent = viewExtent;
            globe.m_stale = stale;
            globe.m_renderingToCanvas = false;
        }
    } restore { *this, target, projection, canvas, options, viewExtent, stale };
    // A picture (the render command, benchmarks, tests) of 32 bits a pixel
    // is drawn into as it is: no image of our own, no copy or conversion.
    QImage* picture = buffered && target.device() && target.device()->devType() == QInternal::Image
            && target.worldTransform().isIdentity() && !target.hasClipping()
        ? static_cast<QImage*>(target.device())
        : nullptr;
    if (picture && !TGlobeCanvas::CanDrawInto(*picture, rect))
        picture = nullptr;
    m_options.exclude(TGlobeOption::goInterruptable);
    target.save();
    target.translate(rect.topLeft());
    if (picture) {
        m_options.include(TGlobeOption::goDoubleBuffered);
        m_canvas->SetCanvasSize(rect.width(), rect.height());
        m_canvas->OutputPPI = ppi;
        m_canvas->BeginImageDrawInto(*picture, rect.topLeft());
    } else if (buffered) {
        m_options.include(TGlobeOption::goDoubleBuffered);
        m_canvas->SetImageSize(rect.width(), rect.height(), ppi);
        // A picture that did not fit in memory would come out blank.
        if (m_canvas->Image().isNull())
            throw EGlobeException("Not enough memory for a picture of " + std::to_string(rect.width()) + "x"
                + std::to_string(rect.height()) + " pixels");
        m_canvas->BeginImageDraw(nullptr);
    } else {
        m_options.exclude(TGlobeOption::goDoubleBuffered);
        m_canvas->AttachDC(&target);
        m_canvas->SetCanvasSize(rect.width(), rect.height());
        m_canvas->OutputPPI = ppi;
    }
    m_interrupted = false;
    m_canvas->ResetDrawState();
    RenderBackground();
    RenderForeground();
    if (OnRender)
        OnRender(this);
    RenderLayers(true);
    if (OnPaint)
        OnPaint(this);
    if (buffered) {
        m_canvas->EndImageDraw(nullptr);
        if (!picture)
            target.drawImage(0, 0, m_canvas->Image());
    }
}

// --- Drawing services ------------------------------------------------------------------

void TGlobe4::RenderPolygon(std::span<const TGeoPoint> points)
{
    DrawGeoPolygon(*m_canvas, points);
}

void TGlobe4::RenderPolyline(std::span<const TGeoPoint> points)
{
    DrawGeoPolyline(*m_canvas, points);
}

void TGlobe4::RenderLine(const TGeoPoint& from, const TGeoPoint& to, int32_t steps)
{
    DrawGeoLine(*m_canvas, m_projection->ProjectionModel(), from, to, steps);
}

void TGlobe4::RenderGreatCircle(const TGeoPoint& from, const TGeoPoint& to, uint8_t mode)
{
    DrawGreatCircle(*m_canvas, m_projection->ProjectionModel(), from, to, mode);
}

void TGlobe4::RenderCircle(const TGeoPoint& centre, int32_t radius, int32_t segments)
{
    DrawSmallCircle(*m_canvas, centre, radius, segments);
}

void TGlobe4::RenderTextOut(int32_t longitude, int32_t lat, TGlobeUnitTypes unit, const std::string& text)
{
    if (!m_projection->ProjectionModel().ProjectLongLat(longitude, lat, 0))
        return;
    const TPoint at = DevicePoints().Get(0);
    const QFont& platform = m_canvas->PlatformFont();
    const int32_t size = platform.pointSize() > 0 ? platform.pointSize() : platform.pixelSize();
    m_textFont.SetFontAttributes(
        toCp1252(platform.family()), FromQColor(m_canvas->TextColor()), 0, 0, unit, size);
    m_textFont.Select(*m_canvas, false);
    if (m_canvas->UnitSizeToPixels(size, unit) < MinTextHeight())
        return;
    m_canvas->SetBkTransparent(true);
    m_canvas->SetTextAlign(TA_LEFT | TA_TOP);
    m_canvas->TextOut(at.X, at.Y, fromCp1252(text));
}

TGeoPoint TGlobe4::RenderDayNight(TColor night, TColor twilight, int32_t step, double utcDays)
{
    const TGeoPoint sun = SubsolarPoint(utcDays);
    ShadeDayNight(*m_canvas, m_projection->ProjectionModel(), sun, ToQColor(night), ToQColor(twilight), step);
    return sun;
}
