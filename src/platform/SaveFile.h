// Writing a whole file so that a failure never leaves a half-written file in
// place of a good one: the bytes go to a temporary file NAME.brumex-XXXXXX in
// the same folder, which replaces the old file only when complete. A save
// killed before that rename leaves its temporary copy behind; the next save
// of the same name removes such copies, and only those no process is still
// writing.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <string>

// The name is 8-bit text (Windows-1252). Failure raises EGlobeException
// "Cannot write <name>: <reason>"; the old file is then untouched.
void SaveFileAtomically(const std::string& fileName, std::span<const std::uint8_t> bytes);

// The same for any file name; answers the reason of a failure, or an empty
// text once the file is replaced.
QString TrySaveFileAtomically(const QString& fileName, const QByteArray& bytes);
