// The small records and enumerations the whole globe library shares: integer
// GlobeUnit points, rectangles, 3-D points, vectors and matrices, and the
// state bits of globe objects.
#pragma once

#include <cstdint>
#include <initializer_list>

// --- GlobeUnits -------------------------------------------------------------
// Angles and heights are int32 GlobeUnits: 1 degree = 5,400,000.
inline constexpr int32_t GU_SECOND = 1500;
inline constexpr int32_t GU_MINUTE = 90000;
inline constexpr int32_t GU_DEGREE = 5400000;
inline constexpr int32_t GU_90_DEGREE = 486000000;
inline constexpr int32_t GU_180_DEGREE = 972000000;
inline constexpr int32_t GU_360_DEGREE = 1944000000;
inline constexpr long double GU_PER_RADIAN = 309397209.37064453276L; // 1,944,000,000 / 2 pi
inline constexpr long double GU_TO_RADIANS = 3.2320912073969064e-9L;
// A separate constant, about 20.6 GlobeUnits above GU_PER_RADIAN: the radius
// of the globe that 3-D points live on.
inline constexpr int32_t GU_GLOBE_RADIUS = 309397230;

inline constexpr long double PI_L = 3.141592653589793238462643383279502884L;

// Platform colour: $00BBGGRR; negative values are system colours.
using TColor = int32_t;

// --- Records ----------------------------------------------------------------
struct TGeoPoint {
    int32_t Long = 0;
    int32_t Lat = 0;
    int32_t Height = 0;
    friend bool operator==(const TGeoPoint&, const TGeoPoint&) = default;
};

// Integer point in globe space (see GeoTo3D).
struct TPoint3D {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;
    friend bool operator==(const TPoint3D&, const TPoint3D&) = default;
};

// Minimum enclosing rectangle. Width runs eastwards and may carry the
// rectangle across the 180 degree meridian; Width = Height = 0 is empty.
struct TMER {
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const TMER&, const TMER&) = default;
};

// Integer device point, the element of the shared device-point buffers. The
// projection's ScreenToGeo also answers through it as (Long, Lat).
struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Integer rectangle given by its edges (device pixels or GlobeUnits).
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

struct TVector3 {
    long double X = 0;
    long double Y = 0;
    long double Z = 0;
};

struct TQuaternion {
    long double X = 0;
    long double Y = 0;
    long double Z = 0;
    long double W = 0;
};

// Nine entries, row-major: m0 m1 m2 / m3 m4 m5 / m6 m7 m8.
struct TMatrix3 {
    long double m[9] = {};
};

// --- Enumerations -----------------------------------------------------------
enum class TGlobeObjectState : uint8_t {
    osNew = 0,
    osClosed = 1,
    osHidden = 2,
    osDiscardable = 3,
    osBackFace = 4,
    osFace = 5,
    osSelected = 6,
    osValidMER = 7,
    osRedraw = 8,
    osDeleted = 9,
    osClipLeft = 10,
    osClipTop = 11,
    osClipRight = 12,
    osClipBottom = 13,
    osTiny = 14,
    osVisible = 15,
};

// A set of enumeration values held as bits (bit number = ordinal), the way
// files and the environment store them.
template <typename E, typename Bits> class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values)
    {
        for (E v : values)
            include(v);
    }
    static constexpr TEnumSet fromBits(Bits bits)
    {
        TEnumSet set;
        set.m_bits = bits;
        return set;
    }
    constexpr Bits bits() const { return m_bits; }
    constexpr bool contains(E v) const { return (m_bits & mask(v)) != 0; }
    constexpr void include(E v) { m_bits = static_cast<Bits>(m_bits | mask(v)); }
    constexpr void exclude(E v) { m_bits = static_cast<Bits>(m_bits & ~mask(v)); }
    constexpr TEnumSet operator+(TEnumSet o) const { return fromBits(static_cast<Bits>(m_bits | o.m_bits)); }
    constexpr TEnumSet operator-(TEnumSet o) const { return fromBits(static_cast<Bits>(m_bits & ~o.m_bits)); }
    friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

private:
    static constexpr Bits mask(E v) { return static_cast<Bits>(1u << static_cast<unsigned>(v)); }
    Bits m_bits = 0;
};

// The 16-bit set of object states.
using TGlobeObjectStateSet = TEnumSet<TGlobeObjectState, uint16_t>;

// osClipLeft + osClipTop + osClipRight + osClipBottom ($3C00).
inline constexpr TGlobeObjectStateSet ALL_CLIP_STATES = TGlobeObjectStateSet::fromBits(0x3C00);

// Kind of a progress notification sent to the globe while a file is read.
enum class TProgressMessage : uint8_t { pmMessage = 0, pmStart = 1, pmEnd = 2, pmPercent = 3, pmError = 4 };

// bsSolid ... bsDiagCross, then bsPattern1 ... bsPattern50 (ordinals 8..57).
enum class TGlobeBrushStyle : uint8_t {
    bsSolid = 0,
    bsClear = 1,
    bsHorizontal = 2,
    bsVertical = 3,
    bsFDiagonal = 4,
    bsBDiagonal = 5,
    bsCross = 6,
    bsDiagCross = 7,
    bsPattern1 = 8,
    bsPattern50 = 57,
};
inline constexpr int GLOBE_BRUSH_STYLE_COUNT = 58;

// Options of the globe control; the projection reads goCache3DPoints.
enum class TGlobeOption : uint8_t {
    goCache3DPoints = 0,
    goDoubleBuffered = 1,
    goInterruptable = 2,
    goMultiSelect = 3,
    goTransparentGlobe = 4,
    goTransparentBackground = 5,
    goConstantScaleOnResize = 6,
    goFixedCenterXYOnResize = 7,
};

using TGlobeOptionsSet = TEnumSet<TGlobeOption, uint8_t>;
