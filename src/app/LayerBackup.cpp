#include "app/LayerBackup.h"

#include "app/AppPaths.h"
#include "app/Vars.h"
#include "formats/GlobeLYRWriter.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"
#include "platform/SaveFile.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobeUtils.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

// The name up to its first "." (empty when it starts with one).
QString NameBeforeFirstDot(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    return name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
}

void RemoveIfExists(const QString& fileName)
{
    if (QFile::exists(fileName))
        QFile::remove(fileName);
}

QString CannotReplace(const QString& layerFile, const QString& backup, const QString& reason)
{
    return QStringLiteral("Não foi possível substituir ") + layerFile + QStringLiteral(" por ") + backup
        + QStringLiteral(": ") + reason;
}

} // namespace

QString LayerSaveFile(const TGlobeLayer& layer)
{
    const auto* reader = dynamic_cast<const TGlobeFileReader*>(layer.AttachedSource());
    if (!reader || reader->FileName().empty())
        return {};
    const QString source = QFileInfo(fromCp1252(reader->FileName())).absoluteFilePath();
    const std::string readerClass = ReaderClassForFile(reader->FileName());
    if (readerClass == "TGlobeSHPReader" || readerClass == "TGlobeMIFReader") {
        const QFileInfo info(source);
        return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".lyr");
    }
    return source;
}

QString BackupFileName(const QString& layerFile)
{
    const QString path = QFileInfo(layerFile).absoluteFilePath();
    const QByteArray digest
        = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Md5).toHex().left(8);
    return TAppPaths::DataFile(
        NameBeforeFirstDot(path) + QLatin1Char('-') + QString::fromLatin1(digest) + QStringLiteral(".Bak"));
}

QString SaveLayerToBackup(TGlobeLayer& layer)
{
    const QString target = LayerSaveFile(layer);
    if (target.isEmpty())
        throw EGlobeException("O layer " + layer.Name() + " não tem arquivo de origem");
    const QString backup = BackupFileName(target);
    RemoveIfExists(backup);
    TGlobeLYRWriter writer(layer);
    if (!writer.WriteToFile(toCp1252(backup)))
        throw EGlobeException("Não foi possível gravar " + toCp1252(backup));
    if (!Vars.SavedLayerFiles.contains(target))
        Vars.SavedLayerFiles.append(target);
    return target;
}

QString ReplaceLayerFromBackup(const QString& layerFile)
{
    const QString backup = BackupFileName(layerFile);
    QFile saved(backup);
    if (!saved.exists())
        return QStringLiteral("Arquivo ") + backup + QStringLiteral(" não encontrado!");
    if (!saved.open(QIODevice::ReadOnly))
        return CannotReplace(layerFile, backup, saved.errorString());
    const QByteArray bytes = saved.readAll();
    if (const QString reason = TrySaveFileAtomically(layerFile, bytes); !reason.isEmpty())
        return CannotReplace(layerFile, backup, reason);
    saved.close();
    QFile::remove(backup);
    // The old index no longer matches the new file.
    const QString name = QFileInfo(layerFile).fileName();
    RemoveIfExists(layerFile + QStringLiteral(".md"));
    RemoveIfExists(TAppPaths::DataFile(name + QStringLiteral(".md")));
    RemoveIfExists(TAppPaths::DataFile(NameBeforeFirstDot(name) + QStringLiteral(".Lyr.md")));
    return {};
}
