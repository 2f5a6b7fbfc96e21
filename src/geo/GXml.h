// The environment document: a small tag syntax in the manner of XML, written
// and read by TGXML_Document. It is not a general XML parser: no escapes,
// comments, declarations, or quotes inside values. Text is 8-bit as written.
//
//   <Projection ScaleFactor="0.5" XOrigin="263">
//    <ProjectionModel Class="TSphericalPrj" />
//   </Projection>
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of entries: attributes, child elements and lines of text.
// An element has no name of its own; its parent holds it under a name.
class TGXML_Element {
public:
    enum class EntryKind { Attribute, Element, Text };
    struct Entry {
        EntryKind kind;
        std::string name; // attribute or child name; the text of a text entry
        std::string value; // attribute value (without quotes)
        std::unique_ptr<TGXML_Element> element; // owned child
    };

    TGXML_Element() = default;
    // Frees the subtree without recursion.
    ~TGXML_Element();
    TGXML_Element(const TGXML_Element&) = delete;
    TGXML_Element& operator=(const TGXML_Element&) = delete;

    // Name and value are trimmed of surrounding spaces.
    void AddAttribute(std::string_view name, std::string_view value);
    void AddBool(std::string_view name, bool b); // "T" / "F"
    void AddInteger(std::string_view name, int64_t n);
    void AddFloat(std::string_view name, long double x); // 15 digits, "." always
    // Appends the child under the trimmed name and takes ownership; returns it.
    TGXML_Element* AddElement(std::string_view name, std::unique_ptr<TGXML_Element> child);
    void AddText(std::string_view text);

    // The n-th (0-based) child whose name equals name exactly, or null.
    TGXML_Element* ChildElement(std::string_view name, int n = 0) const;

    // First attribute whose name matches regardless of letter case; absent
    // gives the default.
    std::string StringAttr(std::string_view name, std::string_view def = {}) const;
    // Non-numeric values raise EGlobeException.
    int64_t IntegerAttr(std::string_view name, int64_t def) const;
    // Within [min, max]; a value outside keeps the default, as other values
    // out of their range do, so it never reaches the arithmetic.
    int64_t IntegerAttr(std::string_view name, int64_t def, int64_t min, int64_t max) const;
    int32_t Int32Attr(std::string_view name, int32_t def) const
    {
        return static_cast<int32_t>(IntegerAttr(name, def, INT32_MIN, INT32_MAX));
    }
    long double FloatAttr(std::string_view name, long double def) const;
    // "T" true, "F" false, anything else the default.
    bool BoolAttr(std::string_view name, bool def) const;

    const std::vector<Entry>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }

private:
    const Entry* FindAttribute(std::string_view name) const;
    std::vector<Entry> m_entries;
};

// A document that nests elements deeper than this is refused, so that a
// hostile one is given up at once instead of read into memory.
inline constexpr int GXML_MAX_DEPTH = 1000;

// An enumeration attribute of count values; others keep the current one.
template <typename E> E EnumAttr(const TGXML_Element& e, std::string_view name, E current, int count)
{
    return static_cast<E>(e.IntegerAttr(name, static_cast<int64_t>(current), 0, count - 1));
}

class TGXML_Document {
public:
    TGXML_Document();

    TGXML_Element& Root() { return *m_root; }
    const TGXML_Element& Root() const { return *m_root; }

    // False (and an empty root) when the file does not exist or cannot be
    // read; otherwise its lines are joined without line breaks and parsed.
    bool LoadFromFile(const std::string& fileName);
    // Writes AsText through a temporary file renamed over the old one; a
    // failed write raises EGlobeException naming the file.
    void SaveToFile(const std::string& fileName) const;
    std::string AsText() const;
    // Parses text into a fresh root. Malformed text is read as far as the
    // rules go; it never reads past the end and never loops. Nesting deeper
    // than GXML_MAX_DEPTH raises EGlobeException (the root is then empty).
    void Parse(std::string_view text);

private:
    std::unique_ptr<TGXML_Element> m_root;
};

// "." decimal text of x with up to 15 significant digits, as AddFloat writes.
std::string GXmlFloatText(long double x);
