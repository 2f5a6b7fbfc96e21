#include "formats/MetaDataFile.h"

#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace {

std::filesystem::path PathOf(const std::string& name)
{
    return std::filesystem::path(fromCp1252(name).toStdU16String());
}

} // namespace

bool MetaDataFileIsCurrent(const std::string& metaName, const std::string& dataFileName)
{
    if (metaName.empty() || !QFileInfo(fromCp1252(metaName)).isFile())
        return false;
    std::error_code error;
    const auto metaTime = std::filesystem::last_write_time(PathOf(metaName), error);
    if (error)
        return false;
    const auto fileTime = std::filesystem::last_write_time(PathOf(dataFileName), error);
    return !error && metaTime >= fileTime;
}

bool ReadMetaDataFile(const std::string& metaName, const std::string& dataFileName,
    const std::function<void(TBoundedReader&)>& read)
{
    if (!MetaDataFileIsCurrent(metaName, dataFileName))
        return false;
    QFile file(fromCp1252(metaName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    file.close();
    TBoundedReader bytes(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                             static_cast<std::size_t>(data.size())),
        metaName);
    try {
        read(bytes);
        return true;
    } catch (const EGlobeException&) {
        QFile::remove(fromCp1252(metaName));
        return false;
    }
}

void WriteMetaDataFile(const std::string& metaName, std::span<const std::uint8_t> bytes)
{
    try {
        QDir().mkpath(QFileInfo(fromCp1252(metaName)).absolutePath());
        SaveFileAtomically(metaName, bytes);
    } catch (const EGlobeException&) {
        // Only a cache: the next opening scans the data file again.
    }
}
