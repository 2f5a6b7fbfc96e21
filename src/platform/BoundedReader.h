// The one byte reader that every file format of Brumex reads through.
//
// A TBoundedReader walks a block of memory that it does not own (a mapped
// file, a buffer, a record inside a file). Every read first checks that the
// bytes it needs are there; a read past the end, a count that cannot fit, or a
// value the caller rejects raises EGlobeException with one message shape:
//
//     "<source>, <context> (offset <n>): <what went wrong>"
//
// so the user learns which file, which record and which value is at fault.
// Offsets are absolute file offsets, also inside a Slice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class TBoundedReader {
public:
    // Reads `bytes`, which must outlive the reader. `sourceName` (usually the
    // file name) starts every error message; `baseOffset` is the file offset
    // of bytes[0], for messages only.
    TBoundedReader(std::span<const std::uint8_t> bytes, std::string sourceName, std::size_t baseOffset = 0);

    const std::string& SourceName() const { return FSourceName; }
    // A short label of what is being read ("record 12"); shown in messages.
    void SetContext(std::string context) { FContext = std::move(context); }
    const std::string& Context() const { return FContext; }

    std::size_t Position() const { return FPosition; }
    std::size_t Size() const { return FBytes.size(); }
    std::size_t Remaining() const { return FBytes.size() - FPosition; }
    bool AtEnd() const { return FPosition >= FBytes.size(); }
    std::size_t FileOffset() const { return FBaseOffset + FPosition; }

    // Moves to `position` (0 ... Size()); beyond the end raises.
    void Seek(std::size_t position);
    void Skip(std::size_t count, std::string_view what);

    // `what` names the value in the error message ("the part count").
    std::uint8_t ReadUInt8(std::string_view what);
    std::int16_t ReadInt16LE(std::string_view what);
    std::uint16_t ReadUInt16LE(std::string_view what);
    std::int32_t ReadInt32LE(std::string_view what);
    std::uint32_t ReadUInt32LE(std::string_view what);
    std::int32_t ReadInt32BE(std::string_view what);
    double ReadDoubleLE(std::string_view what);
    // A view of the next `count` bytes, valid as long as the underlying block.
    std::span<const std::uint8_t> ReadBytes(std::size_t count, std::string_view what);
    // The next `count` bytes as 8-bit text, byte for byte.
    std::string ReadString(std::size_t count, std::string_view what);
    // A length byte followed by that many bytes of text.
    std::string ReadShortString(std::string_view what);

    // Reads an int32 LE element count and checks, before anyone allocates for
    // it, that it is not negative and that `count` elements of `elementSize`
    // bytes fit in what is left.
    std::size_t ReadCountLE(std::size_t elementSize, std::string_view what);
    // Checks that `count` elements of `elementSize` bytes fit in what is left.
    void RequireElements(std::int64_t count, std::size_t elementSize, std::string_view what) const;

    // A reader over the next `length` bytes, which this reader then steps
    // over. The slice keeps the source name and absolute offsets and gets
    // `context` as its own label.
    TBoundedReader Slice(std::size_t length, std::string context);

    // Raises EGlobeException with the message shape above.
    [[noreturn]] void Fail(std::string_view message) const;

private:
    void Require(std::size_t count, std::string_view what) const;
    template <typename T, bool BigEndian> T ReadInteger(std::string_view what);

    std::span<const std::uint8_t> FBytes;
    std::string FSourceName;
    std::string FContext;
    std::size_t FBaseOffset = 0;
    std::size_t FPosition = 0;
};
