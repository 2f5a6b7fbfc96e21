// A whole file mapped read-only into memory. The file readers of this
// subsystem map their data file once and read it through TBoundedReader (or
// TGlobeTextReader), so nothing is copied and every read is bounds-checked.
#pragma once

#include <QFile>

#include <cstdint>
#include <span>
#include <string>

class TMemoryMapStream {
public:
    // Maps `fileName` (8-bit Windows-1252 text, as every file name of the
    // library). Raises EGlobeException "Unable to open file <name>"
    // when the file cannot be opened and "Unable to map view of file" when it
    // cannot be mapped. An empty file gives an empty block.
    explicit TMemoryMapStream(const std::string& fileName);
    ~TMemoryMapStream();
    TMemoryMapStream(const TMemoryMapStream&) = delete;
    TMemoryMapStream& operator=(const TMemoryMapStream&) = delete;

    const std::string& FileName() const { return FFileName; }
    std::span<const std::uint8_t> Bytes() const { return FBytes; }
    std::size_t Size() const { return FBytes.size(); }

private:
    std::string FFileName;
    QFile FFile;
    std::span<const std::uint8_t> FBytes;
};

// The file beside `fileName` with the same name and the extension `extension`
// (".dbf", ".mid"): the extension is tried in the letter case of the data
// file's own extension first, then lower and upper case. Empty when none
// exists.
std::string CompanionFile(const std::string& fileName, const std::string& extension);
