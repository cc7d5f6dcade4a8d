// Reading and storing whole files. Every file the system writes is replaced through
// ReplaceFileContents, so a crash or a failure at any step leaves the old file whole; every
// file it loads is read through ReadRegularFile, so a FIFO, a device or a giant file in the
// way is refused instead of blocking or exhausting memory.
#pragma once

#include <cstddef>
#include <string>

struct stat;

// Error codes are errno values, plus this one.
inline constexpr int kNotRegularFile = -1;
std::string FileErrorText(int error);   // "No space left on device", "not a regular file", ...

// Writes `size` bytes to a unique temporary beside the target (created exclusively, never
// through a link), keeps the target's permission bits, flushes it to disk and renames it over
// the target; on failure the temporary is removed. A target that is a symbolic link is
// replaced at the end of its chain, so the link survives. Answers 0 or the error.
int ReplaceFileContents(const std::string& path, const void* data, size_t size);

// Reads a regular file of at most `limit` bytes into `out` (EFBIG past the limit). Never
// blocks on a FIFO. `st`, when given, receives the status of the file that was read.
int ReadRegularFile(const std::string& path, std::string& out, size_t limit, struct stat* st = nullptr);
