#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/messages.h"

namespace wendral {

// No picture file we accept needs more than this; longer files are refused unread.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t{2} << 30;  // 2 GiB

enum class FileReadStatus { Ok, NotFound, CannotOpen, ReadError, TooLarge };

// Reads a whole file into memory. Files longer than `maxBytes` are refused unread.
FileReadStatus ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                             std::uint64_t maxBytes = kMaxFileBytes);

// The standard report of a file that could not be loaded, for the path and the cause.
std::string LoadFailureReport(const std::string& path, FileReadStatus status);

// Writes to a temporary file in the target's folder and renames it over the target only once
// every byte is on disk, so that a failed save never destroys the file it would replace.
bool WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace wendral
