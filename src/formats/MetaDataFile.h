// The metadata file (".md") of a data file is only a cache of what a scan of
// the data file finds: a missing, stale or damaged one costs a scan, never an
// error. These helpers read and write one for the file readers.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

class TBoundedReader;

// The metadata file exists and is not older than the data file.
bool MetaDataFileIsCurrent(const std::string& metaName, const std::string& dataFileName);
// Reads a current metadata file with `read`. A file that `read` refuses with
// EGlobeException is deleted. Answers whether the file was read.
bool ReadMetaDataFile(const std::string& metaName, const std::string& dataFileName,
    const std::function<void(TBoundedReader&)>& read);
// Writes the bytes as the metadata file; a folder that cannot take it is
// ignored.
void WriteMetaDataFile(const std::string& metaName, std::span<const std::uint8_t> bytes);
