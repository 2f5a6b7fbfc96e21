// Writing a whole file so that a failure never leaves a half-written file in
// place of a good one: the bytes go to a temporary file in the same folder,
// which replaces the old file only when complete.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// The name is 8-bit text (Windows-1252). Failure raises EGlobeException
// "Cannot write <name>".
void SaveFileAtomically(const std::string& fileName, std::span<const std::uint8_t> bytes);
