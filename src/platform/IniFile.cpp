#include "platform/IniFile.h"

#include "platform/Cp1252.h"
#include "platform/GlobeException.h"
#include "platform/SaveFile.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    a = Trimmed(a);
    b = Trimmed(b);
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool BreaksLine(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

void CheckName(std::string_view name, std::string_view forbidden, std::string_view what)
{
    if (Trimmed(name).empty() || BreaksLine(name) || name.find_first_of(forbidden) != std::string_view::npos
        || (what == "key" && Trimmed(name).front() == '['))
        throw EGlobeException("Invalid " + std::string(what) + " name \"" + std::string(name) + "\"");
}

// Splits on CR LF, LF or a lone CR; a last line without an end counts.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::optional<std::int32_t> ParseInteger(std::string_view s)
{
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (s.empty() || error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    // Hexadecimal covers the 32 bits as written ($FFFFFFFF is -1); decimal
    // must fit the signed range.
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const auto bits = static_cast<std::uint32_t>(magnitude);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (magnitude > 0x80000000ull || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

TIniFile::TIniFile(std::string fileName)
    : FFileName(std::move(fileName))
{
    QFile file(fromCp1252(FFileName));
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw EGlobeException("Cannot read " + FFileName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EGlobeException("Cannot read " + FFileName);
    Parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

TIniFile TIniFile::Create(std::string fileName)
{
    TIniFile ini;
    ini.FFileName = std::move(fileName);
    return ini;
}

TIniFile TIniFile::FromText(std::string_view text)
{
    TIniFile ini;
    ini.Parse(text);
    return ini;
}

void TIniFile::Parse(std::string_view text)
{
    // Editors that save as UTF-8 put a byte-order mark before the first section.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    TSection* current = nullptr;
    for (std::string_view line : Lines(text)) {
        const std::string_view trimmed = Trimmed(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.find(']') != std::string_view::npos) {
            const std::string_view name = Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
            // A repeated section continues the first one of that name.
            current = Find(name);
            if (!current)
                current = &FSections.emplace_back(TSection{std::string(name), {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current && equals != std::string_view::npos && !Trimmed(line.substr(0, equals)).empty()) {
            current->Lines.push_back(
                {std::string(Trimmed(line.substr(0, equals))), std::string(Trimmed(line.substr(equals + 1))), {}});
            continue;
        }
        if (current)
            current->Lines.push_back({{}, {}, std::string(line)});
        else
            FPreamble.emplace_back(line);
    }
}

const TIniFile::TSection* TIniFile::Find(std::string_view section) const
{
    const auto it = std::find_if(FSections.begin(), FSections.end(),
                                 [&](const TSection& s) { return SameName(s.Name, section); });
    return it == FSections.end() ? nullptr : &*it;
}

TIniFile::TSection* TIniFile::Find(std::string_view section)
{
    return const_cast<TSection*>(std::as_const(*this).Find(section));
}

const TIniFile::TLine* TIniFile::FindKey(const TSection& section, std::string_view key)
{
    const auto it = std::find_if(section.Lines.begin(), section.Lines.end(),
                                 [&](const TLine& l) { return !l.Key.empty() && SameName(l.Key, key); });
    return it == section.Lines.end() ? nullptr : &*it;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const TSection* s = Find(section);
    const TLine* line = s ? FindKey(*s, key) : nullptr;
    return std::string(line ? std::string_view(line->Value) : defaultValue);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const
{
    const TSection* s = Find(section);
    const TLine* line = s ? FindKey(*s, key) : nullptr;
    if (!line)
        return defaultValue;
    return ParseInteger(line->Value).value_or(defaultValue);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    CheckName(section, "]", "section");
    CheckName(key, "=", "key");
    if (BreaksLine(value))
        throw EGlobeException("A value of section \"" + std::string(section) + "\", key \"" + std::string(key)
                              + "\" holds a line break or a zero byte");
    TSection* s = Find(section);
    if (!s)
        s = &FSections.emplace_back(TSection{std::string(Trimmed(section)), {}});
    if (auto* line = const_cast<TLine*>(FindKey(*s, key))) {
        line->Value = value;
        return;
    }
    // New keys go after the last key, before the blank lines that part sections.
    auto after = std::find_if(s->Lines.rbegin(), s->Lines.rend(), [](const TLine& l) { return !l.Key.empty(); });
    s->Lines.insert(after.base(), {std::string(Trimmed(key)), std::string(value), {}});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::vector<std::string> names;
    for (const TSection& s : FSections)
        names.push_back(s.Name);
    return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const TSection* s = Find(section))
        for (const TLine& l : s->Lines)
            if (!l.Key.empty() && std::none_of(keys.begin(), keys.end(), [&](const auto& k) { return SameName(k, l.Key); }))
                keys.push_back(l.Key);
    return keys;
}

bool TIniFile::SectionExists(std::string_view section) const { return Find(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    const TSection* s = Find(section);
    return s && FindKey(*s, key);
}

void TIniFile::EraseSection(std::string_view section)
{
    std::erase_if(FSections, [&](const TSection& s) { return SameName(s.Name, section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    if (TSection* s = Find(section))
        std::erase_if(s->Lines, [&](const TLine& l) { return !l.Key.empty() && SameName(l.Key, key); });
}

void TIniFile::Clear()
{
    FPreamble.clear();
    FSections.clear();
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const std::string& raw : FPreamble)
        text += raw + "\r\n";
    for (const TSection& s : FSections) {
        text += "[" + s.Name + "]\r\n";
        for (const TLine& l : s.Lines)
            text += (l.Key.empty() ? l.Raw : l.Key + "=" + l.Value) + "\r\n";
    }
    return text;
}

void TIniFile::UpdateFile() const
{
    const std::string text = Text();
    SaveFileAtomically(FFileName, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}
