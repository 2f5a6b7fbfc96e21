#include "app/AppPaths.h"

#include <QDir>
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
