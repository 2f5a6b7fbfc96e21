// Where the program keeps the user's files. The per-user data folder plays the
// part that the program's own folder plays on a single-user machine: the
// environment file, layer backups and the default survey table live there, and
// relative folders stored in the settings are read against it.
#pragma once

#include <QString>

class TAppPaths {
public:
    // The per-user data folder (QStandardPaths::AppDataLocation), created when
    // missing. Ends without a separator.
    static QString DataDir();

    // An absolute, cleaned path for a path from the settings: relative paths
    // are taken from DataDir(), and "\" separators of settings written on
    // another system become "/". An empty path gives DataDir().
    static QString Resolve(const QString& path);

    // DataDir() + "/" + name: a file kept directly in the data folder.
    static QString DataFile(const QString& name);

    // A read-only file the program ships ("TGWorld.lyr"): looked for in the
    // "data" folder beside the executable (the build tree) and then in the
    // installed share folder. Empty when neither has it.
    static QString ShippedFile(const QString& name);

    // Copies the shipped file into folder (created when missing) unless the
    // folder already has a file of that name, so the user's own copy is never
    // replaced. False when it was needed and could not be copied.
    static bool ProvideShippedFile(const QString& name, const QString& folder);
};
