#include "platform/SaveFile.h"

#include "platform/Cp1252.h"
#include "platform/GlobeException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr char TEMPORARY_MARK[] = ".brumex-";
constexpr int RANDOM_LENGTH = 6;
constexpr char RANDOM_CHARACTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";

bool IsRandomPart(QStringView text)
{
    if (text.size() != RANDOM_LENGTH)
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')))
            return false;
    }
    return true;
}

// The file whose contents a save replaces: a symbolic link stays a link.
QString SaveTarget(const QString& name)
{
    const QFileInfo info(name);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

// Removes the temporary copies that killed saves of target left; a copy that
// another save still holds locked is in use and stays.
void RemoveLeftovers(const QString& target)
{
    const QFileInfo info(target);
    const QString prefix = info.fileName() + QLatin1String(TEMPORARY_MARK);
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix) || !IsRandomPart(QStringView(name).mid(prefix.size())))
            continue;
        QFile leftover(folder.filePath(name));
        if (leftover.open(QIODevice::ReadOnly) && flock(leftover.handle(), LOCK_EX | LOCK_NB) == 0)
            leftover.remove();
    }
}

// A new temporary file beside target, open for writing and locked so that
// a save of the same name elsewhere leaves it alone.
bool OpenTemporary(const QString& target, QFile& file)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = target + QLatin1String(TEMPORARY_MARK);
        for (int k = 0; k < RANDOM_LENGTH; ++k)
            name += QLatin1Char(RANDOM_CHARACTERS[QRandomGenerator::global()->bounded(
                static_cast<int>(sizeof RANDOM_CHARACTERS - 1))]);
        file.setFileName(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            (void)flock(file.handle(), LOCK_EX);
            return true;
        }
        if (!file.exists())
            return false;
    }
    return false;
}

// Writes every byte; answers the error that stopped it, or 0.
int WriteAll(int descriptor, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR)
            return errno;
        if (written > 0)
            bytes = bytes.subspan(static_cast<size_t>(written));
    }
    return 0;
}

QString SaveReplacing(const QString& fileName, std::span<const std::uint8_t> bytes)
{
    const QString target = SaveTarget(fileName);
    RemoveLeftovers(target);
    QFile file;
    if (!OpenTemporary(target, file))
        return file.errorString();
    // Nothing but the complete copy, on the disk, may replace the target.
    QString reason;
    if (const int error = WriteAll(file.handle(), bytes))
        reason = QString::fromLocal8Bit(std::strerror(error));
    else if (::fsync(file.handle()) != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    else {
        if (QFile::exists(target))
            file.setPermissions(QFile::permissions(target));
        if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData())
            != 0)
            reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!reason.isEmpty()) {
        file.close();
        QFile::remove(file.fileName());
    }
    return reason;
}

} // namespace

QString TrySaveFileAtomically(const QString& fileName, const QByteArray& bytes)
{
    return SaveReplacing(
        fileName, { reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()) });
}

void SaveFileAtomically(const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    const QString reason = SaveReplacing(fromCp1252(fileName), bytes);
    if (!reason.isEmpty())
        throw EGlobeException("Cannot write " + fileName + ": " + reason.toStdString());
}
