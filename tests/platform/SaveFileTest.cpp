#include "platform/GlobeException.h"
#include "platform/SaveFile.h"
#include "../common/KilledWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::span<const std::uint8_t> Bytes(const std::string& text)
{
    return { reinterpret_cast<const std::uint8_t*>(text.data()), text.size() };
}

QByteArray Contents(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(SaveFile, ReplacesTheFileAndLeavesNoTemporaryCopy)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("mapa.env");
    Write(name, "old");
    ASSERT_TRUE(QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions permissions = QFile::permissions(name);
    SaveFileAtomically(name.toStdString(), Bytes("new contents"));
    EXPECT_EQ(Contents(name), "new contents");
    EXPECT_EQ(QFile::permissions(name), permissions);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { "mapa.env" });
}

// A save that cannot complete keeps the old file, leaves no copy and says
// why: a missing folder, a write cut short by the file size limit, a rename
// onto a folder.
TEST(SaveFile, FailureKeepsTheOldFile)
{
    QTemporaryDir dir;
    const std::string missing = dir.filePath("nowhere/mapa.env").toStdString();
    try {
        SaveFileAtomically(missing, Bytes("new"));
        ADD_FAILURE() << "no exception";
    } catch (const EGlobeException& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + missing + ": No such file or directory");
    }

    const QString name = dir.filePath("mapa.env");
    Write(name, "old");
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        SaveFileAtomically(name.toStdString(), Bytes(std::string(4096, 'x')));
    } catch (const EGlobeException& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(message, "Cannot write " + name.toStdString() + ": File too large");
    EXPECT_EQ(Contents(name), "old");

    const QString folder = dir.filePath("sub");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_THROW(SaveFileAtomically(folder.toStdString(), Bytes("x")), EGlobeException);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { "mapa.env" });
}

// The copies that killed saves of the same name left are removed; nothing
// else is, not even a copy another save is still writing.
TEST(SaveFile, NextSaveRemovesLeftoversOfItsOwnNamingOnly)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("mapa.env");
    const QStringList removed { "mapa.env.brumex-a1b2c3", "mapa.env.brumex-zz9900" };
    const QStringList kept { "mapa.env.antigo", "mapa.env.brumex-A1B2C3", "mapa.env.brumex-a1b2c",
        "mapa.env.brumex-a1b2c3d", "mapa.env.brumex-a1b2c3.bak", "mapa.env.abcdef", "outro.env.brumex-a1b2c3",
        "mapa.envbrumex-a1b2c3", "mapa.env.brumex-inuse1" };
    for (const QString& file : removed + kept)
        Write(dir.filePath(file), "copy");
    QFile inUse(dir.filePath("mapa.env.brumex-inuse1"));
    ASSERT_TRUE(inUse.open(QIODevice::ReadOnly));
    ASSERT_EQ(flock(inUse.handle(), LOCK_EX), 0);
    SaveFileAtomically(name.toStdString(), Bytes("saved"));
    EXPECT_EQ(Contents(name), "saved");
    for (const QString& file : removed)
        EXPECT_FALSE(QFile::exists(dir.filePath(file))) << file.toStdString();
    for (const QString& file : kept)
        EXPECT_EQ(Contents(dir.filePath(file)), "copy") << file.toStdString();
}

// A save killed in the middle of its write leaves the previous file and its
// temporary copy; the next save of that file removes the copy.
TEST(SaveFile, CopyOfAKilledSaveGoesWithTheNextSave)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("mapa.env");
    Write(name, "previous");
    EXPECT_TRUE(KilledByFileSizeLimit(
        4096, [&] { SaveFileAtomically(name.toStdString(), Bytes(std::string(8192, 'x'))); }));
    EXPECT_EQ(Contents(name), "previous");
    const QStringList copies = QDir(dir.path()).entryList({ "mapa.env.brumex-??????" }, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(QFileInfo(dir.filePath(copies[0])).size(), 4096);
    SaveFileAtomically(name.toStdString(), Bytes("next"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { "mapa.env" });
    EXPECT_EQ(Contents(name), "next");
}

// A symbolic link stays a link to the file that now holds the new bytes.
TEST(SaveFile, ALinkKeepsPointingAtTheSavedFile)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.env");
    const QString link = dir.filePath("link.env");
    Write(real, "old");
    ASSERT_TRUE(QFile::link(real, link));
    SaveFileAtomically(link.toStdString(), Bytes("new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Contents(real), "new");
}

// Names outside Windows-1252 (an export named by the user) save the same
// way: leftovers of their own go, a failure answers its reason.
TEST(SaveFile, AnyFileNameSavesAndAnswersTheReasonOfAFailure)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("дорога-路.csv"));
    Write(name, "old");
    Write(name + ".brumex-a1b2c3", "copy");
    EXPECT_EQ(TrySaveFileAtomically(name, "new"), QString());
    EXPECT_EQ(Contents(name), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QFileInfo(name).fileName() });
    EXPECT_EQ(TrySaveFileAtomically(dir.filePath("nowhere/x.csv"), "new"), "No such file or directory");
}
