// Presenters: named, numbered drawing styles. A globe object carries a
// PresenterID; the layer that draws it finds the presenter by that number and
// lets it draw the object on the globe's canvas, and its title.
//
//   TGlobePresenter -> TPointPresenter
//                   -> TPolyPresenter -> TPolygonPresenter, TPolylinePresenter
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"
#include "view/GlobeAttribute.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

class TDrawingGlobe;
class TGeoDataObject;
class TGlobeObject;
class TGlobeStreamReader;
class TGlobeStreamWriter;

enum class TTitleAlignment : uint8_t {
    taNone,
    taCenter,
    taLeft,
    taRight,
    taTopLeft,
    taTop,
    taTopRight,
    taBottomLeft,
    taBottom,
    taBottomRight,
};
inline constexpr int TITLE_ALIGNMENT_COUNT = 10;

enum class TPointPresenterType : uint8_t {
    ppNone,
    ppFontSymbol,
    ppImage,
    ppDot,
    ppCircle,
    ppSquare,
    ppDiamond,
    ppTriangleUp,
    ppTriangleDown,
    ppTriangleLeft,
    ppTriangleRight,
};
inline constexpr int POINT_PRESENTER_TYPE_COUNT = 11;

// Registers the presenter classes by name (idempotent).
void RegisterPresenters();

class TGlobePresenter : public TGlobeENVPersistent {
public:
    // A null globe raises "TGlobePresenter.Create passed nil Globe".
    TGlobePresenter(TDrawingGlobe* globe, int32_t presenterID);
    std::string ClassName() const override { return "TGlobePresenter"; }

    TDrawingGlobe& Globe() const { return *m_globe; }
    TGlobeFont TitleFont;
    TTitleAlignment TitleAlignment = TTitleAlignment::taNone;
    // In the title font's unit.
    int32_t TitleOffset = 0;
    int32_t PresenterID = 0;
    std::string Name;
    bool Hidden = false;

    // From another presenter: ID, title alignment, offset and font, name,
    // hidden flag.
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;
    virtual void WriteToStream(TGlobeStreamWriter& writer) const;
    virtual void ReadFromStream(TGlobeStreamReader& reader);
    virtual void RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state) = 0;
    // A subclass may set skip to draw no title for the object.
    virtual void BeforeRenderTitle(TDrawingGlobe& globe, TGlobeObject& object, bool& skip);
    // A new presenter of the same class and ID, assigned from this one.
    std::unique_ptr<TGlobePresenter> Clone(TDrawingGlobe& globe) const;
    // The object's own hit test.
    virtual bool HitTest(
        TDrawingGlobe& globe, const TGeoPoint& location, int32_t tolerance, TGlobeObject& object);
    // Draws the object's title by the title alignment, offset and font.
    void RenderTitle(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state);

private:
    TDrawingGlobe* m_globe;
};

class TPointPresenter : public TGlobePresenter {
public:
    TPointPresenter(TDrawingGlobe* globe, int32_t presenterID);
    std::string ClassName() const override { return "TPointPresenter"; }
    std::string Description() const override { return "TPointPresenter"; }

    TGlobePen PointPen;
    TGlobeBrush PointBrush;
    TGlobeFont PointFont;
    int16_t SymbolIndex = 0;
    TPointPresenterType PointType = TPointPresenterType::ppCircle;

    TGlobeUnitTypes PointUnit() const { return m_unit; }
    int32_t PointSize() const { return m_size; }
    int32_t MaxPointSize() const { return m_maxSize; }
    // With ppFontSymbol the point font follows the size and unit.
    void SetPointUnit(TGlobeUnitTypes unit);
    void SetPointSize(int32_t size);
    // Screen pixels; 0 means no limit. Negative sizes count as 0.
    void SetMaxPointSize(int32_t size);
    const QImage& Image() const { return m_image; }
    const std::string& ImageName() const { return m_imageName; }
    // Uses the picture as it is and forgets the image name.
    void SetImage(const QImage& image);
    // Finds the file through the globe's data files and loads it; a name
    // that cannot be found clears name and picture. A file that is no
    // readable picture raises EGlobeException.
    void SetImageName(const std::string& name);

    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;
    void WriteToStream(TGlobeStreamWriter& writer) const override;
    void ReadFromStream(TGlobeStreamReader& reader) override;
    void RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state) override;
    bool HitTest(
        TDrawingGlobe& globe, const TGeoPoint& location, int32_t tolerance, TGlobeObject& object) override;

private:
    void RenderSymbol(TDrawingGlobe& globe, const TGeoPoint& point, bool selected);
    void RenderFontSymbol(TDrawingGlobe& globe, const TPoint& at, bool selected);

    TGlobeUnitTypes m_unit = TGlobeUnitTypes::Pixel;
    int32_t m_size = 6;
    int32_t m_maxSize = 0;
    QImage m_image;
    std::string m_imageName;
};

class TPolyPresenter : public TGlobePresenter {
public:
    TPolyPresenter(TDrawingGlobe* globe, int32_t presenterID);
    std::string ClassName() const override { return "TPolyPresenter"; }
    std::string Description() const override { return "TPolyPresenter"; }

    TGlobePen PolyPen;
    TGlobeBrush PolyBrush;

    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;
    void WriteToStream(TGlobeStreamWriter& writer) const override;
    void ReadFromStream(TGlobeStreamReader& reader) override;
    void RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state) override;

protected:
    // Polyline presenters keep no brush in their records.
    virtual bool StoresBrush() const { return true; }
};

class TPolygonPresenter : public TPolyPresenter {
public:
    TPolygonPresenter(TDrawingGlobe* globe, int32_t presenterID);
    std::string ClassName() const override { return "TPolygonPresenter"; }
    std::string Description() const override { return "TPolygonPresenter"; }
    // Closes the object, then draws it as a poly presenter.
    void RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state) override;
};

class TPolylinePresenter : public TPolyPresenter {
public:
    TPolylinePresenter(TDrawingGlobe* globe, int32_t presenterID);
    std::string ClassName() const override { return "TPolylinePresenter"; }
    std::string Description() const override { return "TPolylinePresenter"; }
    // Opens the object, then draws it as a poly presenter.
    void RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state) override;

protected:
    bool StoresBrush() const override { return false; }
};
