// Initialisation-format files: "[section]" lines and "key=value" lines, the
// text format of waypoint, route and chart files.
//
// Classic semantics: section and key names compare without regard to ASCII
// case and without their surrounding blanks; values are 8-bit text kept byte
// for byte except for the blanks around them, which reading strips; the
// section list keeps file order; a key read twice answers its first line.
// Lines that are neither sections nor keys (comments, blank lines) survive a
// rewrite in place.
//
// The file is read once when the object is made and written only by
// UpdateFile, as one atomic replacement: an interrupted save leaves the
// previous file whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
    // Reads `fileName` (8-bit text) when it exists; a missing file starts
    // empty. A file that exists but cannot be read raises EGlobeException
    // "Cannot read <name>".
    explicit TIniFile(std::string fileName);

    // A file that starts empty whatever is on disk: UpdateFile replaces the
    // file with only what was written since.
    static TIniFile Create(std::string fileName);
    // An unnamed file over the given text, for parsing and building in memory.
    static TIniFile FromText(std::string_view text);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // A decimal number with an optional sign, or a hexadecimal one after "$"
    // or "0x"; anything else, an overflow or a missing key gives the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

    // Adds the section at the end and the key at the end of its section when
    // they are new, else replaces the value in place. Names and values that
    // would break the line structure (line breaks, zero bytes, "=" or a
    // leading "[" in a key, "]" in a section) raise EGlobeException.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);

    // Section names as written in the file, in file order.
    std::vector<std::string> ReadSections() const;
    // Key names of one section, in file order.
    std::vector<std::string> ReadSection(std::string_view section) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);
    // Forgets every line; the next UpdateFile writes an empty file.
    void Clear();

    // The whole file as written: CR LF line ends, sections in order.
    std::string Text() const;
    // Replaces the file atomically with Text(); raises EGlobeException
    // "Cannot write <name>" on failure.
    void UpdateFile() const;

private:
    TIniFile() = default;
    struct TLine {
        std::string Key; // empty for lines that are not keys
        std::string Value;
        std::string Raw; // the line as read, for lines that are not keys
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
    };

    void Parse(std::string_view text);
    const TSection* Find(std::string_view section) const;
    TSection* Find(std::string_view section);
    static const TLine* FindKey(const TSection& section, std::string_view key);

    std::string FFileName;
    std::vector<std::string> FPreamble; // lines before the first section
    std::vector<TSection> FSections;
};
