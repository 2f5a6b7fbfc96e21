// A globe without a window for the command-line tools: a canvas drawing into
// its off-screen image, a projection, a layer store and the object cache.
// Metadata files are not written, so reading a file leaves its folder as it
// was.
#pragma once

#include "view/LayeredGlobe.h"

#include <memory>
#include <string>

class TGlobeCanvas;
class TGlobeLayerStore;
class TGlobeProjection;
class TTextureData;

class TToolGlobe : public TLayeredGlobe {
public:
    // A view of the whole world in the projection model, fitted to the image.
    TToolGlobe(int32_t width = 720, int32_t height = 360, const std::string& model = "TCartesianPrj");
    ~TToolGlobe() override;

    // The data directory; files named relatively are searched there.
    std::string Directory;

    void Redraw() override { }
    void UpdateScrollBars() override { }
    void CenterOn(int32_t, int32_t) override { }
    void ZoomToRect(int32_t, int32_t, int32_t, int32_t) override { }
    void FireZoomed(TGlobeRoot*) override { }
    void FirePanned(TGlobeRoot*) override { }
    bool IsLoading() const override { return false; }
    TRect ViewExtent() const override { return m_viewExtent; }
    void SetViewExtent(const TRect& extent) override { m_viewExtent = extent; }
    TGlobeOptionsSet GlobeOptions() const override { return { TGlobeOption::goDoubleBuffered }; }
    int32_t GraticuleLongitudeStep() const override { return 15; }
    int32_t GraticuleLatitudeStep() const override { return 15; }
    TTextureData* SurfaceTexture() override { return m_texture.get(); }
    TGlobeProjection& Projection() const override { return *m_projection; }
    std::string FindDataFile(const std::string& name) override;
    void RenderLine(const TGeoPoint&, const TGeoPoint&, int32_t) override { }

    TGlobeCanvas& Canvas() const override { return *m_canvas; }
    QPen SelectedPen() const override { return QPen(Qt::red, 0); }
    QBrush SelectedBrush() const override { return QBrush(Qt::yellow); }
    QPen TransparentPen() const override { return QPen(Qt::gray, 0); }
    QBrush TransparentBrush() const override { return QBrush(Qt::lightGray); }
    int32_t MinTextHeight() const override { return 5; }
    int32_t MaxTextHeight() const override { return 0; }
    TGlobePresenterStore* GlobalPresenters() const override;
    std::string DataDirectory() const override { return Directory; }

    TGlobeLayerStore* LayerStore() const override { return m_store.get(); }
    void Notify(TGlobeNotification, TGlobeRoot*) override { }
    void Invalidate() override { }
    bool Interrupted() const override { return false; }
    int32_t PeriodicUpdateTime() const override { return 0; }
    void ShowPictureSoFar() override { }
    bool FireObjectRender(TGlobeObject&, TGlobeObjectStateSet) override { return false; }
    void FireObjectCreate(TGlobeObject&) override { }
    bool Progress(TProgressMessage, const std::string&) override { return false; }
    TSaveMetaDataLocation SaveMetaDataLocation() const override { return TSaveMetaDataLocation::smdDiscard; }

    TGlobeLayerStore& Store() const { return *m_store; }

private:
    TRect m_viewExtent {};
    std::unique_ptr<TTextureData> m_texture;
    // In creation order: the projection reads the canvas size.
    std::unique_ptr<TGlobeCanvas> m_canvas;
    std::unique_ptr<TGlobeProjection> m_projection;
    std::unique_ptr<TGlobeLayerStore> m_store;
};
