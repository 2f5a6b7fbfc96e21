// A drawing globe for the view tests: a real canvas and projection, the
// platform pens of the control's defaults, and a global presenter store. It
// draws into the canvas's off-screen image.
#pragma once

#include "geo/DevicePoints.h"
#include "geo/GlobeProjection.h"
#include "geo/ProjectionModel.h"
#include "geo/TextureData.h"
#include "view/DrawingGlobe.h"
#include "view/GlobeCanvas.h"
#include "view/GlobePresenterStore.h"

#include <QImage>
#include <filesystem>
#include <memory>
#include <string>

// Base is TDrawingGlobe or a globe interface built on it.
template <typename Base> class TestGlobeOf : public Base {
public:
    // A view of the whole world in the given model, the world fitted to the
    // canvas and the image cleared to white.
    explicit TestGlobeOf(
        int32_t width = 360, int32_t height = 180, const std::string& model = "TCartesianPrj")
    {
        canvas = std::make_unique<TGlobeCanvas>(this);
        projection = std::make_unique<TGlobeProjection>(*this);
        projection->SetProjectionClass(model);
        canvas->SetImageSize(width, height, 96);
        projection->SetScaleFactor(0);
        globalPresenters = std::make_unique<TGlobePresenterStore>(this);
    }
    ~TestGlobeOf() override { canvas->EndImageDraw(nullptr); }

    void BeginDraw() { canvas->BeginImageDraw(nullptr); }
    // Ends drawing and answers the picture.
    QImage Picture()
    {
        canvas->EndImageDraw(nullptr);
        return canvas->Image().copy();
    }
    // Writes the picture where the tests keep theirs, for a look.
    void SavePicture(const std::string& name)
    {
        const QImage picture = Picture();
        std::filesystem::create_directories(PictureFolder());
        picture.save(QString::fromStdString(PictureFolder() + "/" + name + ".png"));
    }
    static std::string PictureFolder()
    {
        return std::filesystem::temp_directory_path().string() + "/brumex-view";
    }

    void Redraw() override { }
    void UpdateScrollBars() override { }
    void CenterOn(int32_t, int32_t) override { }
    void ZoomToRect(int32_t, int32_t, int32_t, int32_t) override { }
    void FireZoomed(TGlobeRoot*) override { }
    void FirePanned(TGlobeRoot*) override { }
    bool IsLoading() const override { return false; }
    TRect ViewExtent() const override { return viewExtent; }
    void SetViewExtent(const TRect& e) override { viewExtent = e; }
    TGlobeOptionsSet GlobeOptions() const override { return options; }
    int32_t GraticuleLongitudeStep() const override { return 15; }
    int32_t GraticuleLatitudeStep() const override { return 15; }
    TTextureData* SurfaceTexture() override { return &texture; }
    TGlobeProjection& Projection() const override { return *projection; }
    std::string FindDataFile(const std::string& name) override
    {
        return std::filesystem::exists(name) ? name : std::string();
    }
    void RenderLine(const TGeoPoint&, const TGeoPoint&, int32_t) override { }

    TGlobeCanvas& Canvas() const override { return *canvas; }
    QPen SelectedPen() const override { return QPen(Qt::red, 0); }
    QBrush SelectedBrush() const override { return QBrush(Qt::yellow); }
    QPen TransparentPen() const override { return QPen(Qt::gray, 0); }
    QBrush TransparentBrush() const override { return QBrush(Qt::lightGray); }
    int32_t MinTextHeight() const override { return minTextHeight; }
    int32_t MaxTextHeight() const override { return maxTextHeight; }
    TGlobePresenterStore* GlobalPresenters() const override { return globalPresenters.get(); }
    std::string DataDirectory() const override { return dataDirectory; }

    TRect viewExtent;
    TGlobeOptionsSet options { TGlobeOption::goDoubleBuffered };
    TTextureData texture;
    int32_t minTextHeight = 5;
    int32_t maxTextHeight = 0;
    std::string dataDirectory;
    // Declared in creation order: the projection reads the canvas size.
    std::unique_ptr<TGlobeCanvas> canvas;
    std::unique_ptr<TGlobeProjection> projection;
    std::unique_ptr<TGlobePresenterStore> globalPresenters;
};

using TestGlobe = TestGlobeOf<TDrawingGlobe>;

inline QColor PixelAt(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}
