// The MapInfo interchange pair (".MIF" geometry and styles, ".MID" one
// attribute line per object) parsed into plain records. The MIF object source
// keeps the index this parser builds and turns its records into globe objects
// and shared presenters; nothing here knows about either.
#pragma once

#include "formats/GlobeTextReader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TMIFHeader {
    std::int32_t Version = 0;
    std::string Charset; //   as written, without quotes
    std::string Delimiter = "\t";
    std::string CoordSys; //  the whole CoordSys line; empty when the file has none
    std::vector<std::string> ColumnNames; // "name=type" per MID column
};

enum class TMIFObjectKind { Point, Region, Line, Pline, Text };

// A coordinate pair in decimal degrees.
struct TMIFPoint {
    long double Long = 0.0L;
    long double Lat = 0.0L;
};

// The style clauses as written in the file. Colours are MIF's 0xRRGGBB.
struct TMIFPen {
    std::int32_t Width = 1;
    std::int32_t Pattern = 2;
    std::int32_t Color = 0;
};

struct TMIFBrush {
    std::int32_t Pattern = 2;
    std::int32_t ForeColor = 0;
    std::optional<std::int32_t> BackColor;
};

struct TMIFFont {
    std::string Name;
    std::int32_t Style = 0;
    std::int32_t Size = 0;
    std::int32_t ForeColor = 0;
    std::optional<std::int32_t> BackColor;
};

// Symbol clauses come in several shapes (MapInfo 3.0, TrueType, bitmap); the
// values are kept as written, quotes removed.
struct TMIFSymbol {
    std::vector<std::string> Values;
};

// The option lines that follow an object; each is set when the object has it.
struct TMIFStyle {
    std::optional<TMIFPen> Pen;
    std::optional<TMIFBrush> Brush;
    std::optional<TMIFSymbol> Symbol;
    std::optional<TMIFFont> Font;
    std::optional<double> Angle; // text angle in degrees
    bool Smooth = false;
};

struct TMIFObject {
    TMIFObjectKind Kind = TMIFObjectKind::Point;
    // Region rings, polyline sections, or the two points of a line.
    std::vector<std::vector<TMIFPoint>> Chains;
    TMIFPoint Position; // the point of a Point; the first box corner of a Text
    TMIFPoint Corner2; //  the second box corner of a Text
    std::string Text; //   a Text's text: trimmed, quotes removed, "\n" as a space
    std::optional<std::string> MIDRecord; // the object's whole MID line
    TMIFStyle Style; //    read only when asked for
};

// Where an object starts in both files.
struct TMIFIndexEntry {
    std::size_t MIDPosition = 0; // 0 without a MID file
    std::size_t MIFPosition = 0;
};

class TMIFParser {
public:
    // Maps `mifFileName` and the ".mid" beside it, when there is one.
    explicit TMIFParser(const std::string& mifFileName);
    // Parses the given readers; `mid` may be null.
    TMIFParser(std::unique_ptr<TGlobeTextReader> mif, std::unique_ptr<TGlobeTextReader> mid);
    ~TMIFParser();

    bool HasMID() const { return FMID != nullptr; }

    // Reads the header from the start of the file up to its "Data" line.
    // Raises EGlobeException "MIF Import only supports Lat/Long tables." when
    // the CoordSys line names anything but longitude/latitude; a file without
    // one is longitude/latitude, as the format defines.
    TMIFHeader ReadHeader();
    // Finds the next object after the current line. For a point, region,
    // line, pline or text, stores where it starts, steps over its MID record
    // and answers true; false at the end of the file. Other objects (arcs,
    // rectangles, ellipses, multipoints, collections, none) are stepped over
    // together with their MID records, so later titles stay in line.
    bool IndexNextObject(TMIFIndexEntry& entry);
    // Reads the object at `entry`, with its style lines when `readStyle`.
    // Raises EGlobeException naming the file and line for a count that is not
    // a number, fewer points than announced or a bad coordinate
    // ("StrToExtended: Conversion failed for <text>"). Leaves the MIF reader
    // after the object, so IndexNextObject can go on from there.
    TMIFObject LoadObject(const TMIFIndexEntry& entry, bool readStyle);

private:
    bool NextLine();
    bool NextMIDRecord(std::string* record);
    std::string_view Word(std::size_t n) const;
    [[noreturn]] void Fail(const std::string& message) const;
    std::int32_t CountOf(std::string_view word, std::string_view what) const;
    long double NumberOf(std::string_view word) const;
    TMIFPoint PointOf(std::size_t firstWord) const;
    std::vector<TMIFPoint> ReadPoints(std::int32_t count, std::string_view what);
    std::vector<std::vector<TMIFPoint>> ReadRegionChains();
    std::vector<std::vector<TMIFPoint>> ReadPlineChains();
    void SkipObject();
    void ReadHeaderLine(TMIFHeader& header, bool& inColumns);
    void ReadPointObject(TMIFObject& object, bool readStyle);
    void ReadRegionObject(TMIFObject& object, bool readStyle);
    void ReadLineObject(TMIFObject& object, bool readStyle);
    void ReadPlineObject(TMIFObject& object, bool readStyle);
    void ReadTextObject(TMIFObject& object, bool readStyle);
    bool ParsePen(TMIFStyle& style);
    bool ParseBrush(TMIFStyle& style);
    void ParseFont(TMIFStyle& style);
    std::vector<std::string> ClauseValues() const;
    std::int32_t ClauseInteger(
        const std::vector<std::string>& values, std::size_t i, std::string_view what) const;

    std::unique_ptr<TGlobeTextReader> FMIF;
    std::unique_ptr<TGlobeTextReader> FMID;
    std::string FLine; // the current MIF line
    bool FHasLine = false;
};

// Whether the object line (the first line of an object) announces an object
// without points: "Region 0", "Pline 0" or "Pline Multiple 0".
bool IsEmptyMIFObject(std::string_view line);
// A MIF colour 0xRRGGBB as the platform colour $00BBGGRR.
std::uint32_t MIFColor(std::int32_t color);
// A MIF pen pattern as the ordinal of the pen style, in the order psSolid,
// psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame.
int PenStyleOfPattern(std::int32_t pattern);
// A MIF fill pattern as the ordinal of the globe brush style (bsSolid 0,
// bsClear 1, bsHorizontal 2, ..., bsPattern1 ... bsPattern50 as 8 ... 57).
int BrushStyleOfPattern(std::int32_t pattern);
