#include "TestGlobe.h"

#include "geo/GXml.h"
#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "view/Colors.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

const QColor WHITE(255, 255, 255);

std::vector<uint8_t> Record(const TGlobeAttribute& attribute)
{
    TGlobeStreamWriter writer;
    attribute.WriteToStream(writer);
    return writer.Bytes();
}

template <typename T> T ReadRecord(const std::vector<uint8_t>& bytes, uint16_t version)
{
    SetGlobeFileVersion(version);
    TBoundedReader bounded(bytes, "test");
    TGlobeStreamReader reader(bounded);
    T attribute;
    attribute.ReadFromStream(reader);
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
    EXPECT_TRUE(bounded.AtEnd());
    return attribute;
}

// Fills the square (10, 10)-(42, 42) with the brush.
QImage FillSquare(const TGlobeBrush& brush)
{
    TestGlobe globe(60, 60);
    globe.BeginDraw();
    TGlobeCanvas& canvas = globe.Canvas();
    TGlobePen pen;
    pen.SetPenAttributes(clBlack, TPenStyle::psClear, 1, TGlobeUnitTypes::Pixel);
    pen.Select(canvas, false);
    TGlobeBrush copy(brush);
    copy.Select(canvas, false);
    const TPoint square[] = { { 10, 10 }, { 42, 10 }, { 42, 42 }, { 10, 42 } };
    canvas.Polygon(square);
    return globe.Picture();
}

} // namespace

TEST(GlobeAttribute, PenRecordAtTheCurrentVersion)
{
    TGlobePen pen;
    pen.SetPenAttributes(clRed, TPenStyle::psDash, 3, TGlobeUnitTypes::Kilometer);
    const std::vector<uint8_t> expected { 0xFF, 0, 0, 0, 1, 3, 0, 0, 0, 3 };
    EXPECT_EQ(Record(pen), expected);
    EXPECT_TRUE(ReadRecord<TGlobePen>(expected, 1029).Equals(pen));
    EXPECT_TRUE(ReadRecord<TGlobePen>(expected, 1024).Equals(pen));
}

TEST(GlobeAttribute, OldPenRecordsHaveByteWidthsInPixels)
{
    for (uint16_t version : { 768, 1023 }) {
        const TGlobePen pen = ReadRecord<TGlobePen>({ 0xFF, 0, 0, 0, 2, 7 }, version);
        EXPECT_EQ(pen.PenColor(), clRed);
        EXPECT_EQ(pen.PenStyle(), TPenStyle::psDot);
        EXPECT_EQ(pen.PenWidth(), 7);
        EXPECT_EQ(pen.PenUnit(), TGlobeUnitTypes::Pixel);
    }
}

TEST(GlobeAttribute, BrushRecordAndItsOldForm)
{
    TGlobeBrush brush;
    brush.SetBrushAttributes(0x00FF00, TGlobeBrushStyle::bsPattern1);
    brush.SetBrushBkColor(clWhite);
    const std::vector<uint8_t> expected { 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 8 };
    EXPECT_EQ(Record(brush), expected);
    EXPECT_TRUE(ReadRecord<TGlobeBrush>(expected, 1029).Equals(brush));
    for (uint16_t version : { 768, 1023, 1024 }) {
        const TGlobeBrush old = ReadRecord<TGlobeBrush>({ 0, 0xFF, 0, 0, 6 }, version);
        EXPECT_EQ(old.BrushColor(), 0x00FF00);
        EXPECT_EQ(old.BrushBkColor(), 0x00FF00);
        EXPECT_EQ(old.BrushStyle(), TGlobeBrushStyle::bsCross);
    }
}

TEST(GlobeAttribute, FontRecord)
{
    TGlobeFont font;
    font.SetFontAttributes("Arial", clBlack, fsBold | fsItalic, 450, TGlobeUnitTypes::Pixel, 9);
    const std::vector<uint8_t> expected { 0, 0, 0, 0, 16, 9, 0, 0xC2, 0x01, 3, 5, 'A', 'r', 'i', 'a', 'l' };
    EXPECT_EQ(Record(font), expected);
    EXPECT_TRUE(ReadRecord<TGlobeFont>(expected, 768).Equals(font));
}

TEST(GlobeAttribute, CorruptRecordsRaise)
{
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
    const std::vector<std::vector<uint8_t>> bad { { 0xFF, 0, 0 }, { 0, 0, 0, 0, 9, 1, 0, 0, 0, 0 },
        { 0, 0, 0, 0, 0, 1, 0, 0, 0, 99 } };
    for (const auto& bytes : bad) {
        TBoundedReader bounded(bytes, "bad.lyr");
        TGlobeStreamReader reader(bounded);
        TGlobePen pen;
        EXPECT_THROW(pen.ReadFromStream(reader), EGlobeException);
    }
}

TEST(GlobeAttribute, EqualsComparesTheDescription)
{
    TGlobeFont a, b;
    a.SetFontAttributes("Arial", clRed, 0, 0, TGlobeUnitTypes::Pixel, 9);
    b.SetFontAttributes("ARIAL", clRed, 0, 0, TGlobeUnitTypes::Pixel, 9);
    EXPECT_TRUE(a.Equals(b));
    b.SetFontSize(10);
    EXPECT_FALSE(a.Equals(b));
    TGlobePen pen;
    TGlobeBrush brush;
    EXPECT_FALSE(pen.Equals(brush));
    EXPECT_TRUE(pen.Clone()->Equals(pen));
    brush.SetBrushBkColor(clWhite);
    TGlobeBrush other(brush);
    EXPECT_TRUE(other.Equals(brush));
    other.SetBrushBkColor(clRed);
    EXPECT_FALSE(other.Equals(brush));
}

TEST(GlobeAttribute, EnvironmentRoundTrip)
{
    TGlobePen pen;
    pen.SetPenAttributes(0x123456, TPenStyle::psDashDot, 4, TGlobeUnitTypes::Meter);
    auto e = pen.SaveEnvironment();
    EXPECT_EQ(e->StringAttr("Color"), "$00123456");
    EXPECT_EQ(e->StringAttr("Unit"), UnitsToStr(TGlobeUnitTypes::Meter));
    TGlobePen loaded;
    loaded.LoadEnvironment(e.get());
    EXPECT_TRUE(loaded.Equals(pen));

    TGlobeBrush brush;
    brush.SetBrushAttributes(clRed, TGlobeBrushStyle::bsPattern50);
    brush.SetBrushBkColor(clYellow);
    auto be = brush.SaveEnvironment();
    EXPECT_EQ(be->StringAttr("Color"), "clRed");
    EXPECT_EQ(be->StringAttr("BkColor"), "clYellow");
    TGlobeBrush loadedBrush;
    loadedBrush.LoadEnvironment(be.get());
    EXPECT_TRUE(loadedBrush.Equals(brush));

    TGlobeFont font;
    font.SetFontAttributes("Arial", clWhite, fsUnderline, 900, TGlobeUnitTypes::Kilometer, 2);
    TGlobeFont loadedFont;
    loadedFont.LoadEnvironment(font.SaveEnvironment().get());
    EXPECT_TRUE(loadedFont.Equals(font));

    // Missing attributes keep what is there.
    TGXML_Element empty;
    loadedFont.LoadEnvironment(&empty);
    EXPECT_TRUE(loadedFont.Equals(font));
}

// Values a layer file could not hold keep what is there.
TEST(GlobeAttribute, EnvironmentValuesOutOfRangeAreIgnored)
{
    TGlobeFont font;
    font.SetFontAttributes("Arial", clWhite, fsBold, 45, TGlobeUnitTypes::Pixel, 12);
    TGXML_Document doc;
    doc.Parse("<Font Size=\"70000\" Angle=\"-40000\" /><Pen Width=\"4294967297\" Style=\"9\" />");
    font.LoadEnvironment(doc.Root().ChildElement("Font"));
    EXPECT_EQ(font.FontSize(), 12);
    EXPECT_EQ(font.FontAngle(), 45);
    TGlobePen pen;
    pen.SetPenAttributes(clRed, TPenStyle::psDash, 3, TGlobeUnitTypes::Pixel);
    pen.LoadEnvironment(doc.Root().ChildElement("Pen"));
    EXPECT_EQ(pen.PenWidth(), 3);
    EXPECT_EQ(pen.PenStyle(), TPenStyle::psDash);
}

TEST(GlobeAttribute, ColourTexts)
{
    EXPECT_EQ(ColorToString(clBlack), "clBlack");
    EXPECT_EQ(ColorToString(0x00010203), "$00010203");
    EXPECT_EQ(StringToColor("clsilver"), clSilver);
    EXPECT_EQ(StringToColor("$00FF0000"), 0xFF0000);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("reddish"), EGlobeException);
    EXPECT_EQ(StringToColor(ColorToString(static_cast<TColor>(0xFF00000F))), static_cast<TColor>(0xFF00000F));
}

TEST(GlobeBrush, PatternPaintsItsOneBitsInTheBackgroundColour)
{
    TGlobeBrush brush;
    brush.SetBrushAttributes(clRed, static_cast<TGlobeBrushStyle>(13)); // rows 00 FF 00 FF ...
    brush.SetBrushBkColor(0xFF0000);
    const QImage opaque = FillSquare(brush);
    EXPECT_EQ(opaque.pixelColor(20, 20), QColor(255, 0, 0));
    EXPECT_EQ(opaque.pixelColor(20, 21), QColor(0, 0, 255));
    EXPECT_EQ(opaque.pixelColor(5, 5), WHITE);

    brush.SetBrushBkColor(clRed);
    const QImage transparent = FillSquare(brush);
    EXPECT_EQ(transparent.pixelColor(20, 20), QColor(255, 0, 0));
    EXPECT_EQ(transparent.pixelColor(20, 21), WHITE);
}

TEST(GlobeBrush, HatchesLeaveTheirGapsUntouched)
{
    for (int style = 2; style <= 7; ++style) {
        SCOPED_TRACE(style);
        TGlobeBrush brush;
        brush.SetBrushAttributes(clRed, static_cast<TGlobeBrushStyle>(style));
        brush.SetBrushBkColor(0xFF0000);
        const QImage picture = FillSquare(brush);
        int red = 0, white = 0, other = 0;
        for (int y = 12; y < 40; ++y)
            for (int x = 12; x < 40; ++x) {
                const QColor c = picture.pixelColor(x, y);
                (c == QColor(255, 0, 0) ? red : c == WHITE ? white : other)++;
            }
        EXPECT_GT(red, 0);
        EXPECT_GT(white, 0);
        EXPECT_EQ(other, 0);
    }
}

TEST(GlobeBrush, PatternTable)
{
    EXPECT_EQ(BrushPatternRows(TGlobeBrushStyle::bsPattern1)[0], 0x7F);
    EXPECT_EQ(BrushPatternRows(static_cast<TGlobeBrushStyle>(38))[0], 0x4E);
    EXPECT_EQ(BrushPatternRows(TGlobeBrushStyle::bsPattern50)[7], 0x07);
}

TEST(GlobePen, UnitSizedPensFollowTheZoom)
{
    TestGlobe globe(360, 180);
    TGlobeCanvas& canvas = globe.Canvas();
    TGlobePen pen;
    pen.SetPenAttributes(clBlack, TPenStyle::psSolid, 200, TGlobeUnitTypes::Kilometer);
    pen.Select(canvas, false);
    const int narrow = pen.Handle()->width();
    pen.Select(canvas, false);
    EXPECT_EQ(pen.Handle()->width(), narrow);
    globe.Projection().SetScaleFactor(globe.Projection().ScaleFactor() * 8);
    pen.Select(canvas, false);
    EXPECT_GT(pen.Handle()->width(), narrow);
    // A selected object is drawn with the globe's selected pen.
    pen.Select(canvas, true);
    EXPECT_EQ(canvas.PlatformPen().color(), QColor(Qt::red));
}

TEST(GlobeFont, TextHeightLimits)
{
    TestGlobe globe(360, 180);
    TGlobeCanvas& canvas = globe.Canvas();
    TGlobeFont font;
    font.SetFontAttributes("Arial", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 4);
    font.Select(canvas, false);
    EXPECT_FALSE(font.HasHandle());
    font.SetFontSize(200);
    globe.maxTextHeight = 20;
    font.Select(canvas, false);
    ASSERT_TRUE(font.HasHandle());
    EXPECT_EQ(font.Handle()->pixelSize(), 20);
}

TEST(GlobeAttribute, CanvasGoneMeansNoHandle)
{
    TGlobePen pen;
    {
        TestGlobe globe(60, 60);
        pen.Select(globe.Canvas(), false);
        EXPECT_TRUE(pen.HasHandle());
    }
    pen.SetPenColor(clRed); // would recreate on the dead canvas
    EXPECT_FALSE(pen.HasHandle());
    TestGlobe other(60, 60);
    pen.Select(other.Canvas(), false);
    EXPECT_EQ(pen.Handle()->color(), QColor(255, 0, 0));
}

// Every brush style in blue over a grey ground, first without a background
// colour (rows 0-5), then with a yellow one (rows 6-11).
TEST(GlobeBrush, EveryStyleWithAndWithoutBackground)
{
    constexpr int cell = 26;
    TestGlobe globe(10 * cell, 12 * cell);
    globe.BeginDraw();
    TGlobeCanvas& canvas = globe.Canvas();
    canvas.SelectPen(QPen(Qt::NoPen));
    canvas.SelectBrush(QBrush(QColor(200, 200, 200)));
    canvas.Rectangle({ 0, 0, 10 * cell, 12 * cell });
    for (int withBackground = 0; withBackground < 2; ++withBackground)
        for (int style = 0; style < GLOBE_BRUSH_STYLE_COUNT; ++style) {
            TGlobeBrush brush;
            brush.SetBrushAttributes(0xFF0000, static_cast<TGlobeBrushStyle>(style));
            if (withBackground)
                brush.SetBrushBkColor(clYellow);
            brush.Select(canvas, false);
            const int x = style % 10 * cell, y = (style / 10 + 6 * withBackground) * cell;
            const TPoint square[] = { { x + 1, y + 1 }, { x + cell - 2, y + 1 },
                { x + cell - 2, y + cell - 2 }, { x + 1, y + cell - 2 } };
            canvas.Polygon(square);
        }
    globe.SavePicture("brushes");
    const QImage picture = globe.canvas->Image();
    auto colours = [&](int style, int withBackground) {
        std::set<QRgb> seen;
        const int x = style % 10 * cell, y = (style / 10 + 6 * withBackground) * cell;
        for (int dy = 4; dy < cell - 4; ++dy)
            for (int dx = 4; dx < cell - 4; ++dx)
                seen.insert(picture.pixel(x + dx, y + dy));
        return seen;
    };
    const QRgb grey = qRgb(200, 200, 200), blue = qRgb(0, 0, 255), yellow = qRgb(255, 255, 0);
    EXPECT_EQ(colours(0, 0), std::set<QRgb> { blue });
    EXPECT_EQ(colours(1, 1), std::set<QRgb> { grey });
    EXPECT_EQ(colours(6, 1), (std::set<QRgb> { grey, blue })); // hatches ignore the background
    EXPECT_EQ(colours(13, 0), (std::set<QRgb> { grey, blue }));
    EXPECT_EQ(colours(13, 1), (std::set<QRgb> { yellow, blue }));
}
