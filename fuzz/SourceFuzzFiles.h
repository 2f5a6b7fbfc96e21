// What the shapefile and MIF source fuzz targets share: the input carries a
// metadata file and the data files, written into one folder so that the
// source reads them as it would on disk.
//
//   [length of the metadata file, 2 bytes LE][metadata file][data]
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// In memory where the system has such a folder: every input writes files,
// and a save's flush to a disk would cost more than the input itself.
inline const QTemporaryDir& FuzzFolder()
{
    static const QTemporaryDir folder(
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/brumex-fuzz-XXXXXX") : QString());
    return folder;
}

inline std::string FuzzPath(const std::string& name)
{
    return FuzzFolder().path().toStdString() + "/" + name;
}

inline void WriteFuzzFile(const std::string& name, std::span<const std::uint8_t> bytes)
{
    QFile file(QString::fromStdString(FuzzPath(name)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// Writes the metadata file (after the data file, so it is current) when the
// input has one, else removes it; answers the data part of the input.
inline std::span<const std::uint8_t> SplitMetaData(
    std::span<const std::uint8_t> input, const std::string& dataName, std::span<const std::uint8_t>& metaData)
{
    metaData = {};
    if (input.size() < 2)
        return {};
    const std::size_t length = std::min<std::size_t>(input[0] | (input[1] << 8), input.size() - 2);
    metaData = input.subspan(2, length);
    QFile::remove(QString::fromStdString(FuzzPath(dataName + ".md")));
    return input.subspan(2 + length);
}
