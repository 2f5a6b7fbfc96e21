#include "platform/SaveFile.h"

#include "platform/Cp1252.h"
#include "platform/GlobeException.h"

#include <QSaveFile>

void SaveFileAtomically(const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    QSaveFile file(fromCp1252(fileName));
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.commit())
        throw EGlobeException("Cannot write " + fileName);
}
