// The library names files and writes its texts in Windows-1252; the command
// line and the terminal use the locale's encoding.
#pragma once

#include "platform/Cp1252.h"

#include <QFile>

#include <string>

// A file name from the command line as the library names files.
inline std::string LibraryFileName(const std::string& arg)
{
    return toCp1252(QFile::decodeName(arg.c_str()));
}

// Library text (file names, titles, messages) as the terminal shows it.
inline std::string Shown(const std::string& text)
{
    return fromCp1252(text).toLocal8Bit().toStdString();
}
