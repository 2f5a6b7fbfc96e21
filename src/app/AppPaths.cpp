#include "app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString TAppPaths::DataDir()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return QDir::cleanPath(dir);
}

QString TAppPaths::Resolve(const QString& path)
{
    QString unixPath = path;
    unixPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QDir(DataDir()).absoluteFilePath(unixPath));
}

QString TAppPaths::DataFile(const QString& name)
{
    return DataDir() + QLatin1Char('/') + name;
}

QString TAppPaths::ShippedFile(const QString& name)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& folder :
        { programDir + QStringLiteral("/data"), programDir + QStringLiteral("/../share/brumex") }) {
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + name);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

bool TAppPaths::ProvideShippedFile(const QString& name, const QString& folder)
{
    const QString target = QDir(folder).filePath(name);
    if (QFile::exists(target))
        return true;
    const QString shipped = ShippedFile(name);
    return !shipped.isEmpty() && QDir().mkpath(folder) && QFile::copy(shipped, target);
}
