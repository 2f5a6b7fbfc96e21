// A line reader over a whole mapped text file (MapInfo ".MIF"/".MID"): lines
// are read from any recorded position, so objects can be reread on demand
// from the line where they start.
//
// The file is mapped as a whole, so lines are cut straight from the mapping;
// there is no block buffer to size.
#pragma once

#include "formats/MemoryMapStream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

class TGlobeTextReader {
public:
    // Maps `fileName` (EGlobeException when it cannot be opened).
    explicit TGlobeTextReader(const std::string& fileName);
    // Reads text held in `bytes`, which must outlive the reader.
    TGlobeTextReader(std::span<const std::uint8_t> bytes, std::string sourceName);
    ~TGlobeTextReader();

    // Moves to `position`; at or beyond the end of the text, EndOfData()
    // becomes true.
    void SeekTo(std::size_t position);
    // Reads the line at the current position, without its end. A line ends
    // at LF, CR LF, a lone CR or a NUL byte, which is stepped over; the last
    // line may end with the text. At the end of the text answers "".
    std::string ReadLine();
    // True when no character is left to read.
    bool EndOfData() const { return FPosition >= FBytes.size(); }

    std::size_t Position() const { return FPosition; }
    // Where the line read last began.
    std::size_t LineStart() const { return FLineStart; }
    std::size_t Size() const { return FBytes.size(); }
    const std::string& FileName() const { return FSourceName; }
    // The 1-based number of the line holding `position`, for messages.
    std::size_t LineNumberAt(std::size_t position) const;

private:
    std::unique_ptr<TMemoryMapStream> FMapped;
    std::span<const std::uint8_t> FBytes;
    std::string FSourceName;
    std::size_t FPosition = 0;
    std::size_t FLineStart = 0;
};
