#include "formats/MemoryMapStream.h"

#include "platform/Cp1252.h"
#include "platform/GlobeException.h"

#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <vector>

TMemoryMapStream::TMemoryMapStream(const std::string& fileName)
    : FFileName(fileName)
    , FFile(fromCp1252(fileName))
{
    if (!FFile.open(QIODevice::ReadOnly))
        throw EGlobeException("Unable to open file " + fileName);
    const qint64 size = FFile.size();
    if (size == 0)
        return;
    const uchar* view = FFile.map(0, size);
    if (view == nullptr)
        throw EGlobeException("Unable to map view of file");
    FBytes = std::span<const std::uint8_t>(view, static_cast<std::size_t>(size));
}

TMemoryMapStream::~TMemoryMapStream()
{
    if (!FBytes.empty())
        FFile.unmap(const_cast<uchar*>(FBytes.data()));
}

namespace {

std::string WithCase(std::string text, int (*convert)(int))
{
    std::transform(text.begin(), text.end(), text.begin(),
        [convert](unsigned char c) { return static_cast<char>(convert(c)); });
    return text;
}

} // namespace

std::string CompanionFile(const std::string& fileName, const std::string& extension)
{
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t slash = fileName.find_last_of('/');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? fileName.substr(0, dot) : fileName;
    const std::string ownExtension = hasExtension ? fileName.substr(dot) : std::string();
    const bool upper = std::any_of(
        ownExtension.begin(), ownExtension.end(), [](unsigned char c) { return std::isupper(c); });
    const std::string lower = WithCase(extension, ::tolower);
    const std::string capital = WithCase(extension, ::toupper);
    const std::vector<std::string> candidates
        = upper ? std::vector<std::string> { capital, lower } : std::vector<std::string> { lower, capital };
    for (const std::string& candidate : candidates) {
        const std::string name = stem + candidate;
        if (QFileInfo(fromCp1252(name)).isFile())
            return name;
    }
    return {};
}
