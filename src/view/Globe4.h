// TGlobe4: the control that shows the Earth. It owns the projection, the
// canvas and the surface texture, keeps the last picture in the canvas's
// off-screen image (redrawn only when stale), and turns mouse and scroll-bar
// input into zooming, panning, rotating and selecting. Besides its view it
// offers drawing services in geographic coordinates for the OnRender and
// OnPaint handlers, and renders itself onto any other device.
#pragma once

#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"
#include "view/GlobeAttribute.h"
#include "view/LayeredGlobe.h"

#include <QAbstractScrollArea>
#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPen>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

class QPainter;
class TGlobe4;
class TGlobeCanvas;
class TGlobeLayer;
class TGlobeLayerStore;
class TGlobeObject;
class TGlobeObjectSource;
class TGlobeProjection;
class TGXML_Document;
class TTextureData;

// mzbNone matches no button; the others equal the button codes 0, 1, 2.
enum class TGlobeMouseButton : uint8_t { mzbLeft = 0, mzbRight = 1, mzbMiddle = 2, mzbNone = 3 };
enum class TGraticuleDraw : uint8_t { gdNone, gdBehind, gdInFront };
enum class TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// A snapshot of the view; rotations in GlobeUnits.
struct TGlobeViewState {
    long double ScaleFactor = 0;
    int32_t XOrigin = 0;
    int32_t YOrigin = 0;
    int32_t XRotation = 0;
    int32_t YRotation = 0;
    int32_t ZRotation = 0;
};

using TGlobeNotifyEvent = std::function<void(TGlobe4* sender)>;
// Sender is the projection when it fired the event itself, null when the
// globe did.
using TGlobeChangeEvent = std::function<void(TGlobe4* globe, TGlobeRoot* sender)>;
using TGlobeMouseEvent
    = std::function<void(TGlobe4* sender, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)>;
using TGlobeMouseMoveEvent = std::function<void(TGlobe4* sender, Qt::KeyboardModifiers, int x, int y)>;
using TGlobeProgressEvent
    = std::function<void(TGlobe4* sender, TProgressMessage type, const std::string& text, bool& abort)>;
using TGlobeLayerNotifyEvent = std::function<void(TGlobe4* sender, TGlobeLayer* layer)>;
using TGlobeSourceNotifyEvent = std::function<void(TGlobe4* sender, TGlobeObjectSource* source)>;
using TGlobeObjectNotifyEvent = std::function<void(TGlobe4* sender, TGlobeObject* object)>;
using TGlobeObjectRenderEvent
    = std::function<void(TGlobe4* sender, TGlobeObject& object, TGlobeObjectStateSet state)>;
using TGlobeEnvironmentEvent = std::function<void(TGlobe4* sender, TGXML_Document& document)>;
using TGlobeDirectoryNotFound = std::function<void(TGlobe4* sender, std::string& directory)>;
using TGlobeFileNotFound = std::function<void(TGlobe4* sender, std::string& fileName, bool& tryFileName)>;

class TGlobe4 : public QAbstractScrollArea, public TLayeredGlobe {
public:
    explicit TGlobe4(QWidget* parent = nullptr);
    ~TGlobe4() override;
    TGlobe4(const TGlobe4&) = delete;
    TGlobe4& operator=(const TGlobe4&) = delete;

    // --- Properties --------------------------------------------------------
    QColor Color() const { return m_color; }
    void SetColor(const QColor& color);
    const QImage& BackgroundImage() const { return m_backgroundImage; }
    void SetBackgroundImage(const QImage& image);
    TColor SurfaceColor() const { return m_surfaceColor; }
    void SetSurfaceColor(TColor color);
    const std::string& SurfaceTextureName() const { return m_surfaceTextureName; }
    // Loads a 256-colour bitmap; the name becomes empty when none loads.
    void SetSurfaceTextureName(const std::string& name);
    void SetGlobeOptions(TGlobeOptionsSet options);
    // Kilobytes of loaded objects; 0 or less means no limit.
    int32_t CacheCapacity() const { return ObjectCache().CacheCapacity; }
    void SetCacheCapacity(int32_t kilobytes) { ObjectCache().CacheCapacity = kilobytes; }
    // Values outside 0 <= v < 90 (latitude) or 0 <= v < 180 are ignored.
    void SetGraticuleLatitudeStep(int32_t degrees);
    void SetGraticuleLongitudeStep(int32_t degrees);
    TGraticuleDraw GraticuleDrawMode() const { return m_graticuleDrawMode; }
    void SetGraticuleDrawMode(TGraticuleDraw mode);
    QPen GraticulePen;
    TGlobeMouseButton MouseZoomButton = TGlobeMouseButton::mzbRight;
    TGlobeMouseButton MouseSelectButton = TGlobeMouseButton::mzbLeft;
    TGlobeMouseButton MouseRotateButton = TGlobeMouseButton::mzbLeft;
    QPen SelectedPenValue;
    QBrush SelectedBrushValue;
    QPen TransparentPenValue;
    QBrush TransparentBrushValue;
    void SetMinTextHeight(int32_t pixels);
    void SetMaxTextHeight(int32_t pixels);
    void SetPeriodicUpdateTime(int32_t ms) { m_periodicUpdateTime = ms; }
    void SetSaveMetaDataLocation(TSaveMetaDataLocation location) { m_saveMetaDataLocation = location; }
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle style);
    // Trimmed, with a "/" appended; a missing folder fires OnDirectoryNotFound.
    void SetDataDirectory(const std::string& directory);
    const std::string& EnvironmentFile() const { return m_environmentFile; }
    // Clears the globe and loads the document; a missing file leaves the
    // globe cleared and the name empty.
    void SetEnvironmentFile(const std::string& fileName);

    // --- Events ------------------------------------------------------------
    TGlobeNotifyEvent OnRender;
    TGlobeNotifyEvent OnPaint;
    TGlobeNotifyEvent OnPaintGraticule;
    TGlobeChangeEvent OnZoomed;
    TGlobeChangeEvent OnPanned;
    TGlobeNotifyEvent OnReduceCacheMemory;
    TGlobeLayerNotifyEvent OnLayerCreate;
    TGlobeLayerNotifyEvent OnLayerFree;
    TGlobeSourceNotifyEvent OnObjectSourceCreate;
    TGlobeSourceNotifyEvent OnObjectSourceActiveChange;
    TGlobeSourceNotifyEvent OnObjectSourceFree;
    TGlobeObjectNotifyEvent OnObjectCreate;
    TGlobeObjectNotifyEvent OnObjectFree;
    TGlobeObjectNotifyEvent OnObjectSelectChange;
    TGlobeObjectNotifyEvent OnObjectClick;
    TGlobeObjectRenderEvent OnObjectRender;
    TGlobeProgressEvent OnProgress;
    TGlobeEnvironmentEvent OnLoadEnvironment;
    TGlobeEnvironmentEvent OnSaveEnvironment;
    TGlobeDirectoryNotFound OnDirectoryNotFound;
    TGlobeFileNotFound OnFileNotFound;
    TGlobeNotifyEvent OnMouseEnter;
    TGlobeNotifyEvent OnMouseLeave;
    TGlobeNotifyEvent OnClick;
    TGlobeNotifyEvent OnDblClick;
    TGlobeMouseEvent OnMouseDown;
    TGlobeMouseEvent OnMouseUp;
    TGlobeMouseMoveEvent OnMouseMove;

    // --- View ----------------------------------------------------------------
    void Redraw() override;
    bool PictureIsStale() const { return m_stale; }
    void UpdateScrollBars() override;
    void CenterOn(int32_t longitude, int32_t lat) override;
    void ZoomToRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    // Moves the view by GlobeUnits of the projected plane.
    void Pan(int32_t dx, int32_t dy);
    // Draws the globe on another device at its resolution; the window's view
    // is left as it was.
    // Raises EGlobeException when a buffered picture does not fit in memory.
    void RenderToCanvas(QPainter& target, const QRect& rect, bool buffered);
    void RenderBackground();
    void RenderGraticule();
    void RenderForeground();
    // The layers of one pass (animated or not), bottom up.
    void RenderLayers(bool animated);
    // Centres the view on the middle of the object's rectangle.
    void CenterOnObject(TGlobeObject* object);
    TGlobeViewState GetViewState() const;
    void SetViewState(const TGlobeViewState& state);
    void SaveEnvironmentToFile(const std::string& fileName);
    // Empties EnvironmentFile and frees every layer.
    void ClearGlobe();

    // --- Drawing services (current platform pen, brush and font) ---------------
    void RenderPolygon(std::span<const TGeoPoint> points);
    void RenderPolyline(std::span<const TGeoPoint> points);
    void RenderTextOut(int32_t longitude, int32_t lat, TGlobeUnitTypes unit, const std::string& text);
    void RenderCircle(const TGeoPoint& centre, int32_t radius, int32_t segments);
    void RenderLine(const TGeoPoint& from, const TGeoPoint& to, int32_t steps) override;
    // Mode 0 the short arc, 1 the long arc, any other the whole circle.
    void RenderGreatCircle(const TGeoPoint& from, const TGeoPoint& to, uint8_t mode);
    // Shades the night side for a UTC time in days; answers the subsolar point.
    TGeoPoint RenderDayNight(TColor night, TColor twilight, int32_t step, double utcDays);
    long double GUToValue(int32_t distance, TGlobeUnitTypes unit) const;

    // --- TCustomGlobe4 / TDrawingGlobe --------------------------------------
    void FireZoomed(TGlobeRoot* sender) override;
    void FirePanned(TGlobeRoot* sender) override;
    // The control has no loading phase of its own.
    bool IsLoading() const override { return false; }
    TRect ViewExtent() const override { return m_viewExtent; }
    void SetViewExtent(const TRect& extent) override { m_viewExtent = extent; }
    TGlobeOptionsSet GlobeOptions() const override { return m_options; }
    int32_t GraticuleLongitudeStep() const override { return m_graticuleLongitudeStep; }
    int32_t GraticuleLatitudeStep() const override { return m_graticuleLatitudeStep; }
    TTextureData* SurfaceTexture() override { return m_texture.get(); }
    TGlobeProjection& Projection() const override { return *m_projection; }
    // The name when it exists, else looked up in DataDirectory (or the
    // program's folder) with and without its folders; OnFileNotFound may
    // offer other names. Empty when nothing is found.
    std::string FindDataFile(const std::string& name) override;
    TGlobeCanvas& Canvas() const override { return *m_canvas; }
    QPen SelectedPen() const override { return SelectedPenValue; }
    QBrush SelectedBrush() const override { return SelectedBrushValue; }
    QPen TransparentPen() const override { return TransparentPenValue; }
    QBrush TransparentBrush() const override { return TransparentBrushValue; }
    // Scaled by the canvas's OutputPPI / ScreenPPI.
    int32_t MinTextHeight() const override;
    int32_t MaxTextHeight() const override;
    TGlobePresenterStore* GlobalPresenters() const override;
    std::string DataDirectory() const override { return m_dataDirectory; }
    TGlobeLayerStore* LayerStore() const override { return m_layerStore.get(); }
    void Notify(TGlobeNotification kind, TGlobeRoot* item) override;
    void Invalidate() override;
    bool Interrupted() const override { return m_interrupted; }
    int32_t PeriodicUpdateTime() const override { return m_periodicUpdateTime; }
    // Shows the picture drawn so far while a long redraw runs outside a paint.
    void ShowPictureSoFar() override;
    bool FireObjectRender(TGlobeObject& object, TGlobeObjectStateSet state) override;
    void FireObjectCreate(TGlobeObject& object) override;
    // Fires OnProgress and answers whether its handler asked to abort.
    bool Progress(TProgressMessage type, const std::string& text) override;
    TSaveMetaDataLocation SaveMetaDataLocation() const override { return m_saveMetaDataLocation; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Paint(QPainter& window);
    void FinishPaint(QPainter& window);
    void RenderPicture();
    void RenderProgressively();
    void DrawZoomRectangle(QPainter& window) const;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, bool doubleClick, QPoint at);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void EndZoomRectangle();
    void SelectAt(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void ScrollAction(Qt::Orientation orientation, int action);
    void UpdateVerticalScrollBar();
    void UpdateHorizontalScrollBar();
    void SetScrollBar(Qt::Orientation orientation, int32_t min, int32_t max, int32_t page, int32_t position);
    std::string SearchDataFile(const std::string& name) const;
    void LoadEnvironment(const TGXML_Element* element);
    int32_t ScaledTextHeight(int32_t pixels) const;
    // Stores a changed value and asks for a new picture.
    template <typename T> void ChangeAndRedraw(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        Redraw();
    }

    // Declared in creation order: the projection reads the canvas size.
    std::unique_ptr<TGlobeCanvas> m_canvas;
    std::unique_ptr<TGlobeLayerStore> m_layerStore;
    std::unique_ptr<TGlobeProjection> m_projection;
    std::unique_ptr<TTextureData> m_texture;
    TGlobeFont m_textFont;

    TGlobeOptionsSet m_options { TGlobeOption::goCache3DPoints, TGlobeOption::goDoubleBuffered };
    QColor m_color = Qt::black;
    QImage m_backgroundImage;
    TColor m_surfaceColor = 0xFFFF00;
    std::string m_surfaceTextureName;
    int32_t m_minTextHeight = 5;
    int32_t m_maxTextHeight = 0;
    TRect m_viewExtent;
    TScrollStyle m_scrollBars = TScrollStyle::ssBoth;
    int32_t m_graticuleLatitudeStep = 15;
    int32_t m_graticuleLongitudeStep = 15;
    TGraticuleDraw m_graticuleDrawMode = TGraticuleDraw::gdBehind;
    std::string m_dataDirectory;
    std::string m_environmentFile;
    int32_t m_periodicUpdateTime = 0;
    TSaveMetaDataLocation m_saveMetaDataLocation = TSaveMetaDataLocation::smdInDataDirectory;

    bool m_stale = true;
    bool m_painting = false;
    bool m_interrupted = false;
    bool m_renderingToCanvas = false;
    bool m_progressivePending = false;
    bool m_progressiveRendering = false;

    bool m_rotating = false;
    TGeoPoint m_rotateAnchor;
    bool m_zoomRectangleActive = false;
    QRect m_zoomRectangle;
    // The scroll positions set last, for thumb tracking.
    int32_t m_horizontalPosition = 0;
    int32_t m_verticalPosition = 0;
};
