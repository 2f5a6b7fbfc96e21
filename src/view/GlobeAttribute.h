// Device-independent drawing attributes: TGlobePen, TGlobeBrush and
// TGlobeFont. Each realises itself as a platform pen, brush or font for one
// canvas when selected, sized in any measurement unit, and keeps what it made
// until a property, the canvas, the canvas's colour adjustment or (for
// unit-sized pens and fonts) the zoom changes.
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"

#include <QBrush>
#include <QFont>
#include <QPen>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TGlobeCanvas;
class TGlobeStreamReader;
class TGlobeStreamWriter;

enum class TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// The font style set: fsBold 1, fsItalic 2, fsUnderline 4, fsStrikeOut 8.
inline constexpr uint8_t fsBold = 1;
inline constexpr uint8_t fsItalic = 2;
inline constexpr uint8_t fsUnderline = 4;
inline constexpr uint8_t fsStrikeOut = 8;

// What ReleaseHandle puts into the canvas in place of a released object:
// everything (pen, brush and font) or one stock object.
inline constexpr int STOCK_ALL = 0;
inline constexpr int STOCK_BLACK_PEN = 7;
inline constexpr int STOCK_SYSTEM_FONT = 13;

class TGlobeAttribute : public TGlobeENVPersistent {
public:
    ~TGlobeAttribute() override = default;

    // Makes the platform object for the remembered canvas.
    virtual void CreateHandle() = 0;
    // Puts stock objects into the canvas, then forgets the platform object.
    virtual void ReleaseHandle(int stockObject);
    virtual bool Equals(const TGlobeAttribute& other) const = 0;
    // Realises the attribute for the canvas when needed and selects it.
    virtual void Select(TGlobeCanvas& canvas, bool selected);
    virtual std::unique_ptr<TGlobeAttribute> Clone() const = 0;
    virtual void WriteToStream(TGlobeStreamWriter& writer) const = 0;
    virtual void ReadFromStream(TGlobeStreamReader& reader) = 0;

    virtual bool HasHandle() const = 0;

protected:
    TGlobeAttribute() = default;
    // The canvas the handle belongs to, or null when there is none (also when
    // that canvas has been destroyed since).
    TGlobeCanvas* Canvas() const;
    virtual void DropHandle() = 0;
    // Recreates an existing platform object after a property change.
    void Refresh();

private:
    std::weak_ptr<TGlobeCanvas*> m_canvas;
    TGlobeCanvas* m_canvasAddress = nullptr;
    int32_t m_changeCount = 0;
};

class TGlobePen : public TGlobeAttribute {
public:
    TGlobePen() = default;
    TGlobePen(const TGlobePen& other);
    std::string ClassName() const override { return "TGlobePen"; }

    TColor PenColor() const { return m_color; }
    TPenStyle PenStyle() const { return m_style; }
    int32_t PenWidth() const { return m_width; }
    TGlobeUnitTypes PenUnit() const { return m_unit; }
    void SetPenColor(TColor c);
    void SetPenStyle(TPenStyle s);
    void SetPenWidth(int32_t w);
    void SetPenUnit(TGlobeUnitTypes u);
    void SetPenAttributes(TColor color, TPenStyle style, int32_t width, TGlobeUnitTypes unit);

    void CreateHandle() override;
    bool Equals(const TGlobeAttribute& other) const override;
    void Select(TGlobeCanvas& canvas, bool selected) override;
    std::unique_ptr<TGlobeAttribute> Clone() const override;
    void WriteToStream(TGlobeStreamWriter& writer) const override;
    void ReadFromStream(TGlobeStreamReader& reader) override;
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;
    bool HasHandle() const override { return m_handle.has_value(); }
    // The realised platform pen (for tests and the globe's own drawing).
    const std::optional<QPen>& Handle() const { return m_handle; }

protected:
    void DropHandle() override { m_handle.reset(); }

private:
    int32_t m_altitude = 0;
    TColor m_color = 0;
    TPenStyle m_style = TPenStyle::psSolid;
    int32_t m_width = 0;
    TGlobeUnitTypes m_unit = TGlobeUnitTypes::Pixel;
    std::optional<QPen> m_handle;
};

class TGlobeBrush : public TGlobeAttribute {
public:
    TGlobeBrush() = default;
    TGlobeBrush(const TGlobeBrush& other);
    std::string ClassName() const override { return "TGlobeBrush"; }

    TColor BrushColor() const { return m_color; }
    TGlobeBrushStyle BrushStyle() const { return m_style; }
    TColor BrushBkColor() const { return m_bkColor; }
    void SetBrushColor(TColor c);
    void SetBrushStyle(TGlobeBrushStyle s);
    void SetBrushBkColor(TColor c);
    // The colour is also the background colour.
    void SetBrushAttributes(TColor color, TGlobeBrushStyle style);

    void CreateHandle() override;
    bool Equals(const TGlobeAttribute& other) const override;
    void Select(TGlobeCanvas& canvas, bool selected) override;
    std::unique_ptr<TGlobeAttribute> Clone() const override;
    void WriteToStream(TGlobeStreamWriter& writer) const override;
    void ReadFromStream(TGlobeStreamReader& reader) override;
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;
    bool HasHandle() const override { return m_handle.has_value(); }

protected:
    void DropHandle() override { m_handle.reset(); }

private:
    bool IsPattern() const
    {
        return static_cast<int>(m_style) >= static_cast<int>(TGlobeBrushStyle::bsPattern1);
    }

    TColor m_color = 0;
    TGlobeBrushStyle m_style = TGlobeBrushStyle::bsSolid;
    TColor m_bkColor = 0;
    // Pattern styles keep their 8 rows; the platform brush is made when
    // selected, from the canvas's colours of that moment.
    std::optional<QBrush> m_handle;
};

class TGlobeFont : public TGlobeAttribute {
public:
    TGlobeFont() = default;
    TGlobeFont(const TGlobeFont& other);
    std::string ClassName() const override { return "TGlobeFont"; }

    TGlobeUnitTypes FontUnit() const { return m_unit; }
    TColor FontColor() const { return m_color; }
    int32_t FontSize() const { return m_size; }
    int32_t FontAngle() const { return m_angle; }
    uint8_t FontStyle() const { return m_style; }
    const std::string& FontName() const { return m_name; }
    void SetFontUnit(TGlobeUnitTypes u);
    void SetFontColor(TColor c);
    void SetFontSize(int32_t s);
    void SetFontAngle(int32_t a);
    void SetFontStyle(uint8_t s);
    void SetFontName(const std::string& n);
    void SetFontAttributes(const std::string& name, TColor color, uint8_t style, int32_t angle,
        TGlobeUnitTypes unit, int32_t size);

    void CreateHandle() override;
    bool Equals(const TGlobeAttribute& other) const override;
    void Select(TGlobeCanvas& canvas, bool selected) override;
    std::unique_ptr<TGlobeAttribute> Clone() const override;
    void WriteToStream(TGlobeStreamWriter& writer) const override;
    void ReadFromStream(TGlobeStreamReader& reader) override;
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;
    bool HasHandle() const override { return m_handle.has_value(); }
    const std::optional<QFont>& Handle() const { return m_handle; }

protected:
    void DropHandle() override { m_handle.reset(); }

private:
    int32_t m_altitude = 0;
    TGlobeUnitTypes m_unit = TGlobeUnitTypes::Degree;
    TColor m_color = 0;
    int32_t m_size = 0;
    int32_t m_angle = 0;
    uint8_t m_style = 0;
    std::string m_name;
    std::optional<QFont> m_handle;
};

// The 8 rows (top first, leftmost pixel in the top bit) of a pattern brush
// style bsPattern1 ... bsPattern50; 0 bits take the brush colour, 1 bits the
// background colour.
const std::array<uint8_t, 8>& BrushPatternRows(TGlobeBrushStyle style);
