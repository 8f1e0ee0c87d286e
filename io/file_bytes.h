#pragma once
#include <cstdint>
#include <span>
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

// ReadWholeFile with the file's first head.size() bytes put in `head` and only the rest in
// `out`, so that a format whose packet is what follows a fixed file header reads straight into
// the packet. `headRead` says how much of `head` the file filled; `out` is empty for a file no
// longer than the head.
FileReadStatus ReadFileAfterHead(const std::string& path, std::span<std::uint8_t> head,
                                 std::size_t& headRead, std::vector<std::uint8_t>& out,
                                 std::uint64_t maxBytes = kMaxFileBytes);

// The standard report of a file that could not be loaded, for the path and the cause.
std::string LoadFailureReport(const std::string& path, FileReadStatus status);

// Writes to a temporary file in the target's folder and renames it over the target only once
// every byte is on disk, so that a failed save never destroys the file it would replace.
bool WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);

// A stretch of a file's bytes where it already lies in memory.
struct FilePiece {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};
// WriteFileAtomically of the pieces one after another, without gathering them in one block.
bool WriteFileAtomically(const std::string& path, std::span<const FilePiece> pieces);

}  // namespace wendral
