#include "geo/GXml.h"

#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

bool HasOnlyAttributes(const TGXML_Element& e)
{
    for (const auto& entry : e.Entries())
        if (entry.kind != TGXML_Element::EntryKind::Attribute)
            return false;
    return true;
}

void WriteEntries(const TGXML_Element& e, int level, std::string& out)
{
    for (const auto& entry : e.Entries()) {
        if (entry.kind == TGXML_Element::EntryKind::Text) {
            out += entry.name + "\r\n";
            continue;
        }
        if (entry.kind != TGXML_Element::EntryKind::Element)
            continue;
        const TGXML_Element& child = *entry.element;
        std::string attributes = " ";
        for (const auto& a : child.Entries())
            if (a.kind == TGXML_Element::EntryKind::Attribute)
                attributes += a.name + "=\"" + a.value + "\" ";
        const bool selfClosing = HasOnlyAttributes(child);
        if (selfClosing)
            attributes += "/";
        const std::string indent(static_cast<size_t>(level), ' ');
        out += indent + "<" + std::string(TrimSpaces(entry.name + attributes)) + ">\r\n";
        if (selfClosing)
            continue;
        WriteEntries(child, level + 1, out);
        out += indent + "</" + entry.name + ">\r\n";
    }
}

// Adds every name="value" pair of a start tag's text.
void ParseAttributes(std::string_view tag, TGXML_Element& e)
{
    while (true) {
        const size_t eq = tag.find("=\"");
        if (eq == std::string_view::npos)
            return;
        const std::string_view name = tag.substr(0, eq);
        tag.remove_prefix(eq + 2);
        const size_t quote = tag.find('"');
        e.AddAttribute(name, tag.substr(0, quote));
        if (quote == std::string_view::npos)
            return;
        tag.remove_prefix(quote + 1);
    }
}

} // namespace

TGXML_Element::~TGXML_Element()
{
    std::vector<std::unique_ptr<TGXML_Element>> pending;
    for (auto& entry : m_entries)
        if (entry.element)
            pending.push_back(std::move(entry.element));
    while (!pending.empty()) {
        std::unique_ptr<TGXML_Element> e = std::move(pending.back());
        pending.pop_back();
        for (auto& entry : e->m_entries)
            if (entry.element)
                pending.push_back(std::move(entry.element));
    }
}

void TGXML_Element::AddAttribute(std::string_view name, std::string_view value)
{
    m_entries.push_back(
        { EntryKind::Attribute, std::string(TrimSpaces(name)), std::string(TrimSpaces(value)), nullptr });
}

void TGXML_Element::AddBool(std::string_view name, bool b)
{
    AddAttribute(name, b ? "T" : "F");
}

void TGXML_Element::AddInteger(std::string_view name, int64_t n)
{
    AddAttribute(name, std::to_string(n));
}

void TGXML_Element::AddFloat(std::string_view name, long double x)
{
    AddAttribute(name, GXmlFloatText(x));
}

TGXML_Element* TGXML_Element::AddElement(std::string_view name, std::unique_ptr<TGXML_Element> child)
{
    if (!child)
        child = std::make_unique<TGXML_Element>();
    TGXML_Element* raw = child.get();
    m_entries.push_back({ EntryKind::Element, std::string(TrimSpaces(name)), {}, std::move(child) });
    return raw;
}

void TGXML_Element::AddText(std::string_view text)
{
    m_entries.push_back({ EntryKind::Text, std::string(text), {}, nullptr });
}

TGXML_Element* TGXML_Element::ChildElement(std::string_view name, int n) const
{
    for (const auto& entry : m_entries)
        if (entry.kind == EntryKind::Element && entry.name == name && n-- == 0)
            return entry.element.get();
    return nullptr;
}

const TGXML_Element::Entry* TGXML_Element::FindAttribute(std::string_view name) const
{
    for (const auto& entry : m_entries)
        if (entry.kind == EntryKind::Attribute && SameText(entry.name, name))
            return &entry;
    return nullptr;
}

std::string TGXML_Element::StringAttr(std::string_view name, std::string_view def) const
{
    const Entry* a = FindAttribute(name);
    return a ? a->value : std::string(def);
}

int64_t TGXML_Element::IntegerAttr(std::string_view name, int64_t def) const
{
    const std::string text = StringAttr(name, std::to_string(def));
    std::string_view t = TrimSpaces(text);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size())
        throw EGlobeException("'" + Excerpt(text) + "' is not a valid integer value");
    return value;
}

int64_t TGXML_Element::IntegerAttr(std::string_view name, int64_t def, int64_t min, int64_t max) const
{
    const int64_t value = IntegerAttr(name, def);
    return value >= min && value <= max ? value : def;
}

long double TGXML_Element::FloatAttr(std::string_view name, long double def) const
{
    const std::string text = StringAttr(name);
    if (text.empty())
        return def;
    try {
        const long double value = StrToExtended(text);
        // Documents hold doubles: a value beyond them could not be saved again.
        if (std::isfinite(static_cast<double>(value)))
            return value;
    } catch (const EGlobeException&) {
    }
    throw EGlobeException("'" + Excerpt(text) + "' is not a valid floating point value");
}

bool TGXML_Element::BoolAttr(std::string_view name, bool def) const
{
    const std::string text = StringAttr(name);
    if (text == "T")
        return true;
    if (text == "F")
        return false;
    return def;
}

TGXML_Document::TGXML_Document()
    : m_root(std::make_unique<TGXML_Element>())
{
}

bool TGXML_Document::LoadFromFile(const std::string& fileName)
{
    m_root = std::make_unique<TGXML_Element>();
    QFile file(fromCp1252(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    std::string joined(static_cast<size_t>(bytes.size()), '\0');
    joined.erase(std::remove_copy_if(bytes.begin(), bytes.end(), joined.begin(),
                     [](char c) { return c == '\r' || c == '\n'; }),
        joined.end());
    Parse(joined);
    return true;
}

void TGXML_Document::SaveToFile(const std::string& fileName) const
{
    const std::string text = AsText();
    SaveFileAtomically(fileName, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::string TGXML_Document::AsText() const
{
    std::string out;
    WriteEntries(*m_root, 0, out);
    return out;
}

void TGXML_Document::Parse(std::string_view text)
{
    m_root = std::make_unique<TGXML_Element>();
    // Open elements, innermost last; kept on the heap so deep nesting cannot
    // exhaust the call stack.
    std::vector<TGXML_Element*> open { m_root.get() };
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t lt = std::min(text.find('<', pos), text.size());
        const std::string_view content = TrimSpaces(text.substr(pos, lt - pos));
        if (!content.empty())
            open.back()->AddText(content);
        pos = lt + 1;
        if (pos >= text.size())
            break;
        const size_t nameEnd = std::min(text.find_first_of(" >", pos), text.size());
        const std::string_view name = text.substr(pos, nameEnd - pos);
        if (name.empty() || name.front() == '/') {
            // End tags close the innermost element whatever name they carry;
            // a stray one at the top level is skipped.
            pos = nameEnd + 1;
            if (open.size() > 1)
                open.pop_back();
            continue;
        }
        const size_t gt = std::min(text.find('>', nameEnd), text.size());
        const std::string_view tag
            = nameEnd < gt ? TrimSpaces(text.substr(nameEnd, gt - nameEnd)) : std::string_view {};
        auto child = std::make_unique<TGXML_Element>();
        ParseAttributes(tag, *child);
        TGXML_Element* raw = open.back()->AddElement(name, std::move(child));
        if (tag.empty() || tag.back() != '/') {
            if (open.size() > GXML_MAX_DEPTH) {
                m_root = std::make_unique<TGXML_Element>();
                throw EGlobeException(
                    "The document nests elements deeper than " + std::to_string(GXML_MAX_DEPTH) + " levels");
            }
            open.push_back(raw);
        }
        pos = gt + 1;
    }
}

std::string GXmlFloatText(long double x)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(
        buffer, buffer + sizeof buffer, static_cast<double>(x), std::chars_format::general, 15);
    if (ec != std::errc())
        return "0";
    std::string text(buffer, end);
    // "7.6750310411e-07" is written the platform's way, "7.6750310411E-7".
    const size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        const bool negative = !exponent.empty() && exponent.front() == '-';
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+'))
            exponent.erase(0, 1);
        while (exponent.size() > 1 && exponent.front() == '0')
            exponent.erase(0, 1);
        text = text.substr(0, e) + "E" + (negative ? "-" : "") + exponent;
    }
    return text;
}
