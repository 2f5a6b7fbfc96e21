#include "formats/MIFParser.h"

#include "geo/GlobeUnits.h"
#include "platform/GlobeException.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

bool SameWord(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool IsAnyOf(std::string_view word, std::initializer_list<std::string_view> keywords)
{
    return std::any_of(
        keywords.begin(), keywords.end(), [word](std::string_view k) { return SameWord(word, k); });
}

bool IsReadObject(std::string_view word)
{
    return IsAnyOf(word, { "point", "region", "line", "pline", "text" });
}

// Objects of the format that are not read but still own a MID record.
bool IsSkippedObject(std::string_view word)
{
    return IsAnyOf(word, { "arc", "rect", "roundrect", "ellipse", "multipoint", "collection", "none" });
}

// Whether a line starting with `word` begins the next object or style clause,
// which tells a short object from a malformed number.
bool StartsClause(std::string_view word)
{
    return IsReadObject(word) || IsSkippedObject(word)
        || IsAnyOf(word,
            { "pen", "brush", "symbol", "font", "center", "smooth", "angle", "spacing", "justify", "label" });
}

// Where word n (0-based) of `line` starts and ends; both at the line's end
// when the line has fewer words.
std::pair<std::size_t, std::size_t> WordBounds(std::string_view line, std::size_t n)
{
    std::size_t at = 0;
    for (std::size_t word = 0;; ++word) {
        while (at < line.size() && IsSpace(line[at]))
            ++at;
        const std::size_t start = at;
        while (at < line.size() && !IsSpace(line[at]))
            ++at;
        if (word == n || start == at)
            return { start, at };
    }
}

std::string_view WordOf(std::string_view line, std::size_t n)
{
    const auto [start, end] = WordBounds(line, n);
    return line.substr(start, end - start);
}

std::string_view RestAfterWord(std::string_view line, std::size_t n)
{
    return Trimmed(line.substr(WordBounds(line, n).second));
}

std::optional<std::int32_t> IntegerOf(std::string_view word)
{
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || word.empty())
        return std::nullopt;
    return value;
}

std::string WithoutQuotes(std::string_view text)
{
    std::string result(text);
    std::erase(result, '"');
    return result;
}

// The comma-separated values of a clause, commas inside quotes kept.
std::vector<std::string> SplitValues(std::string_view inner)
{
    std::vector<std::string> values;
    std::string current;
    bool quoted = false;
    for (char c : inner) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            values.push_back(WithoutQuotes(Trimmed(current)));
            current.clear();
        } else {
            current += c;
        }
    }
    values.push_back(WithoutQuotes(Trimmed(current)));
    return values;
}

// A text object's text: trimmed, quotes removed, each "\n" pair a space.
std::string CleanText(std::string_view raw)
{
    std::string text = WithoutQuotes(Trimmed(raw));
    for (std::size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
        text.replace(at, 2, " ");
    return text;
}

// "CoordSys Earth Projection 1, <datum>" is longitude/latitude.
bool IsLongLat(std::string_view coordSys)
{
    if (!SameWord(WordOf(coordSys, 1), "earth") || !SameWord(WordOf(coordSys, 2), "projection"))
        return false;
    const std::string_view rest = RestAfterWord(coordSys, 2);
    if (rest.empty() || rest.front() != '1')
        return false;
    const std::string_view after = Trimmed(rest.substr(1));
    return after.empty() || after.front() == ',';
}

} // namespace

TMIFParser::TMIFParser(const std::string& mifFileName)
    : FMIF(std::make_unique<TGlobeTextReader>(mifFileName))
{
    const std::string midFileName = CompanionFile(mifFileName, ".mid");
    if (!midFileName.empty())
        FMID = std::make_unique<TGlobeTextReader>(midFileName);
}

TMIFParser::TMIFParser(std::unique_ptr<TGlobeTextReader> mif, std::unique_ptr<TGlobeTextReader> mid)
    : FMIF(std::move(mif))
    , FMID(std::move(mid))
{
}

TMIFParser::~TMIFParser() = default;

bool TMIFParser::NextLine()
{
    while (!FMIF->EndOfData()) {
        FLine = FMIF->ReadLine();
        if (!Trimmed(FLine).empty())
            return FHasLine = true;
    }
    FLine.clear();
    return FHasLine = false;
}

bool TMIFParser::NextMIDRecord(std::string* record)
{
    if (!FMID || FMID->EndOfData())
        return false;
    std::string line = FMID->ReadLine();
    if (record)
        *record = std::move(line);
    return true;
}

std::string_view TMIFParser::Word(std::size_t n) const
{
    return WordOf(FLine, n);
}

void TMIFParser::Fail(const std::string& message) const
{
    throw EGlobeException(FMIF->FileName() + ", line " + std::to_string(FMIF->LineNumberAt(FMIF->LineStart()))
        + ": " + message);
}

std::int32_t TMIFParser::CountOf(std::string_view word, std::string_view what) const
{
    const auto count = IntegerOf(word);
    if (!count)
        Fail("'" + Excerpt(word) + "' is not a valid integer value (" + std::string(what) + ")");
    if (*count < 0)
        Fail(std::string(what) + " " + std::to_string(*count) + " is negative");
    return *count;
}

long double TMIFParser::NumberOf(std::string_view word) const
{
    long double number = 0;
    try {
        number = StrToExtended(word);
    } catch (const EGlobeException& e) {
        Fail(e.what());
    }
    // "nan" and "inf" read as numbers but are no place on Earth.
    if (!std::isfinite(number))
        Fail("StrToExtended: Conversion failed for " + Excerpt(word));
    return number;
}

TMIFPoint TMIFParser::PointOf(std::size_t firstWord) const
{
    return { NumberOf(Word(firstWord)), NumberOf(Word(firstWord + 1)) };
}

std::vector<TMIFPoint> TMIFParser::ReadPoints(std::int32_t count, std::string_view what)
{
    std::vector<TMIFPoint> points;
    // A count cannot promise more points than the rest of the file can hold.
    points.reserve(std::min<std::size_t>(count, (FMIF->Size() - FMIF->Position()) / 4 + 1));
    for (std::int32_t i = 0; i < count; ++i) {
        if (!NextLine() || StartsClause(Word(0)))
            Fail(std::string(what) + " announces " + std::to_string(count) + " points, found "
                + std::to_string(i));
        points.push_back(PointOf(0));
    }
    return points;
}

std::vector<std::vector<TMIFPoint>> TMIFParser::ReadRegionChains()
{
    const std::int32_t rings = CountOf(Word(1), "the polygon count");
    std::vector<std::vector<TMIFPoint>> chains;
    for (std::int32_t k = 0; k < rings; ++k) {
        if (!NextLine() || StartsClause(Word(0)))
            Fail("Region announces " + std::to_string(rings) + " polygons, found " + std::to_string(k));
        const std::int32_t count = CountOf(Word(0), "the point count");
        chains.push_back(ReadPoints(count, "polygon " + std::to_string(k + 1)));
    }
    return chains;
}

// "Pline n", "Pline" with n on the next line, or "Pline Multiple s" with s
// sections, each after its own point count line.
std::vector<std::vector<TMIFPoint>> TMIFParser::ReadPlineChains()
{
    std::vector<std::vector<TMIFPoint>> chains;
    if (SameWord(Word(1), "multiple")) {
        const std::int32_t sections = CountOf(Word(2), "the section count");
        for (std::int32_t k = 0; k < sections; ++k) {
            if (!NextLine() || StartsClause(Word(0)))
                Fail("Pline announces " + std::to_string(sections) + " sections, found " + std::to_string(k));
            chains.push_back(
                ReadPoints(CountOf(Word(0), "the point count"), "section " + std::to_string(k + 1)));
        }
        return chains;
    }
    if (Word(1).empty() && !NextLine())
        Fail("Pline without its point count");
    const std::int32_t count = CountOf(Word(1).empty() ? Word(0) : Word(1), "the point count");
    chains.push_back(ReadPoints(count, "Pline"));
    return chains;
}

// Steps over an object that is not read. Only a collection needs reading:
// its parts start with keywords that would otherwise look like objects.
void TMIFParser::SkipObject()
{
    if (!SameWord(Word(0), "collection"))
        return;
    const std::int32_t parts = CountOf(Word(1), "the part count");
    for (std::int32_t k = 0; k < parts; ++k) {
        if (!NextLine())
            Fail("Collection announces " + std::to_string(parts) + " parts, found " + std::to_string(k));
        if (SameWord(Word(0), "region"))
            ReadRegionChains();
        else if (SameWord(Word(0), "pline"))
            ReadPlineChains();
        else if (SameWord(Word(0), "multipoint"))
            ReadPoints(CountOf(Word(1), "the point count"), "Multipoint");
        else
            Fail("'" + Excerpt(Word(0)) + "' is not a part of a collection");
    }
}

void TMIFParser::ReadHeaderLine(TMIFHeader& header, bool& inColumns)
{
    const std::string_view keyword = Word(0);
    if (inColumns)
        header.ColumnNames.push_back(std::string(keyword) + "=" + std::string(Word(1)));
    else if (SameWord(keyword, "version"))
        header.Version = CountOf(Word(1), "the version");
    else if (SameWord(keyword, "charset"))
        header.Charset = WithoutQuotes(RestAfterWord(FLine, 0));
    else if (SameWord(keyword, "delimiter")) {
        const std::string_view quoted = RestAfterWord(FLine, 0);
        if (quoted.size() >= 2)
            header.Delimiter = std::string(1, quoted[1]);
    } else if (SameWord(keyword, "coordsys"))
        header.CoordSys = FLine;
    else if (SameWord(keyword, "columns"))
        inColumns = true;
}

TMIFHeader TMIFParser::ReadHeader()
{
    FMIF->SeekTo(0);
    TMIFHeader header;
    bool inColumns = false;
    while (NextLine() && !SameWord(Word(0), "data"))
        ReadHeaderLine(header, inColumns);
    if (!header.CoordSys.empty() && !IsLongLat(header.CoordSys))
        throw EGlobeException("MIF Import only supports Lat/Long tables.");
    return header;
}

bool TMIFParser::IndexNextObject(TMIFIndexEntry& entry)
{
    for (; FHasLine; NextLine()) {
        if (IsReadObject(Word(0))) {
            entry.MIFPosition = FMIF->LineStart();
            entry.MIDPosition = FMID ? FMID->Position() : 0;
            NextMIDRecord(nullptr);
            NextLine();
            return true;
        }
        if (IsSkippedObject(Word(0))) {
            SkipObject();
            NextMIDRecord(nullptr);
        }
    }
    return false;
}

TMIFObject TMIFParser::LoadObject(const TMIFIndexEntry& entry, bool readStyle)
{
    FMIF->SeekTo(entry.MIFPosition);
    if (FMID)
        FMID->SeekTo(entry.MIDPosition);
    if (!NextLine())
        Fail("no object at position " + std::to_string(entry.MIFPosition));
    TMIFObject object;
    std::string record;
    if (NextMIDRecord(&record))
        object.MIDRecord = std::move(record);
    const std::string_view keyword = Word(0);
    if (SameWord(keyword, "point"))
        ReadPointObject(object, readStyle);
    else if (SameWord(keyword, "region"))
        ReadRegionObject(object, readStyle);
    else if (SameWord(keyword, "line"))
        ReadLineObject(object, readStyle);
    else if (SameWord(keyword, "pline"))
        ReadPlineObject(object, readStyle);
    else if (SameWord(keyword, "text"))
        ReadTextObject(object, readStyle);
    else
        Fail("'" + Excerpt(keyword) + "' is not an object this reader reads");
    // Style reading stops on the first line after the object; without it,
    // step past the object's last line so that indexing goes on from there.
    if (!readStyle)
        NextLine();
    return object;
}

void TMIFParser::ReadPointObject(TMIFObject& object, bool readStyle)
{
    object.Kind = TMIFObjectKind::Point;
    object.Position = PointOf(1);
    if (readStyle && NextLine() && SameWord(Word(0), "symbol"))
        object.Style.Symbol = TMIFSymbol { ClauseValues() };
}

void TMIFParser::ReadRegionObject(TMIFObject& object, bool readStyle)
{
    object.Kind = TMIFObjectKind::Region;
    object.Chains = ReadRegionChains();
    if (!readStyle || !NextLine())
        return;
    // Pen and Brush in any order; the label position (Center) is not used.
    for (;;) {
        if (ParsePen(object.Style) || ParseBrush(object.Style))
            continue;
        if (!SameWord(Word(0), "center") || !NextLine())
            break;
    }
}

void TMIFParser::ReadLineObject(TMIFObject& object, bool readStyle)
{
    object.Kind = TMIFObjectKind::Line;
    object.Chains = { { PointOf(1), PointOf(3) } };
    if (readStyle && NextLine())
        ParsePen(object.Style);
}

void TMIFParser::ReadPlineObject(TMIFObject& object, bool readStyle)
{
    object.Kind = TMIFObjectKind::Pline;
    object.Chains = ReadPlineChains();
    if (!readStyle || !NextLine())
        return;
    for (;;) {
        if (ParsePen(object.Style))
            continue;
        if (!SameWord(Word(0), "smooth"))
            break;
        object.Style.Smooth = true;
        if (!NextLine())
            break;
    }
}

void TMIFParser::ReadTextObject(TMIFObject& object, bool readStyle)
{
    object.Kind = TMIFObjectKind::Text;
    // The text stands on the keyword's line or on the next one.
    if (!RestAfterWord(FLine, 0).empty())
        object.Text = CleanText(RestAfterWord(FLine, 0));
    else if (NextLine())
        object.Text = CleanText(FLine);
    else
        Fail("Text without its text");
    if (!NextLine())
        Fail("Text without its box");
    object.Position = PointOf(0);
    object.Corner2 = PointOf(2);
    if (readStyle && NextLine())
        ParseFont(object.Style);
}

std::vector<std::string> TMIFParser::ClauseValues() const
{
    std::string_view rest = RestAfterWord(FLine, 0);
    if (!rest.empty() && rest.front() == '(' && rest.back() == ')')
        rest = rest.substr(1, rest.size() - 2);
    return SplitValues(rest);
}

std::int32_t TMIFParser::ClauseInteger(
    const std::vector<std::string>& values, std::size_t i, std::string_view what) const
{
    if (i >= values.size())
        Fail(Excerpt(Word(0)) + " clause without " + std::string(what));
    const auto value = IntegerOf(values[i]);
    if (!value)
        Fail("'" + Excerpt(values[i]) + "' is not a valid integer value (" + std::string(what) + ")");
    return *value;
}

bool TMIFParser::ParsePen(TMIFStyle& style)
{
    if (!SameWord(Word(0), "pen"))
        return false;
    const auto values = ClauseValues();
    TMIFPen pen;
    pen.Width = IntegerOf(values[0]).value_or(1);
    pen.Pattern = ClauseInteger(values, 1, "the pen pattern");
    pen.Color = ClauseInteger(values, 2, "the pen colour");
    style.Pen = pen;
    NextLine();
    return true;
}

bool TMIFParser::ParseBrush(TMIFStyle& style)
{
    if (!SameWord(Word(0), "brush"))
        return false;
    const auto values = ClauseValues();
    TMIFBrush brush;
    brush.Pattern = ClauseInteger(values, 0, "the brush pattern");
    brush.ForeColor = ClauseInteger(values, 1, "the brush colour");
    if (values.size() > 2)
        brush.BackColor = ClauseInteger(values, 2, "the brush background colour");
    style.Brush = brush;
    NextLine();
    return true;
}

void TMIFParser::ParseFont(TMIFStyle& style)
{
    if (SameWord(Word(0), "font")) {
        const auto values = ClauseValues();
        TMIFFont font;
        font.Name = values[0];
        font.Style = ClauseInteger(values, 1, "the font style");
        font.Size = ClauseInteger(values, 2, "the font size");
        font.ForeColor = ClauseInteger(values, 3, "the font colour");
        if (values.size() > 4)
            font.BackColor = ClauseInteger(values, 4, "the font background colour");
        style.Font = font;
        if (!NextLine())
            return;
    }
    while (IsAnyOf(Word(0), { "angle", "spacing", "justify", "label" })) {
        if (SameWord(Word(0), "angle"))
            style.Angle = static_cast<double>(NumberOf(Word(1)));
        if (!NextLine())
            return;
    }
}

bool IsEmptyMIFObject(std::string_view line)
{
    const std::string_view keyword = WordOf(line, 0);
    if (SameWord(keyword, "region"))
        return WordOf(line, 1) == "0";
    if (!SameWord(keyword, "pline"))
        return false;
    return SameWord(WordOf(line, 1), "multiple") ? WordOf(line, 2) == "0" : WordOf(line, 1) == "0";
}

std::uint32_t MIFColor(std::int32_t color)
{
    const auto rgb = static_cast<std::uint32_t>(color) & 0xFFFFFFu;
    return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}

int PenStyleOfPattern(std::int32_t pattern)
{
    enum { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
    if (pattern == 1)
        return psClear;
    if (pattern >= 3 && pattern <= 9)
        return psDash;
    if (pattern >= 10 && pattern <= 13)
        return psDot;
    if (pattern >= 14 && pattern <= 16)
        return psDashDot;
    if (pattern >= 20 && pattern <= 25)
        return psDashDotDot;
    if (pattern >= 71 && pattern <= 77)
        return psInsideFrame;
    return psSolid;
}

int BrushStyleOfPattern(std::int32_t pattern)
{
    static constexpr std::array<std::uint8_t, 69> Styles = {
        0,
        1,
        0,
        2,
        3,
        5,
        4,
        6,
        7,
        8,
        39,
        33,
        36,
        40,
        8,
        42,
        2,
        10,
        11,
        12,
        13,
        3,
        15,
        16,
        17,
        18,
        4,
        20,
        21,
        22,
        23,
        5,
        25,
        26,
        27,
        28,
        6,
        30,
        31,
        32,
        33,
        34,
        35,
        36,
        37,
        38,
        39,
        40,
        41,
        42,
        43,
        44,
        45,
        46,
        47,
        48,
        49,
        50,
        51,
        52,
        53,
        54,
        55,
        56,
        57,
        53,
        52,
        51,
        57,
    };
    if (pattern < 0 || pattern >= static_cast<std::int32_t>(Styles.size()))
        return 0;
    return Styles[pattern];
}
