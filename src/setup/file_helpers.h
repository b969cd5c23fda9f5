// File-system helpers shared by the whole program. None keeps a file open
// between calls; failures show only in the result.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

// Chunk size for writes above 1 MiB: a tenth of the data, at most `maximum`.
int64_t WriteChunkSize(int64_t total, int64_t parts, int64_t maximum);
// File-name part up to its first "."; a name starting with "." gives "".
Text FileBaseName(const Text& path);
// The folder part of a path with its final separator ("C:\a\" for
// "C:\a\*.tmp"); empty when the path names no folder.
Text FileFolderPart(const Text& path);
// The root handed to the free-space query: false for none (the current
// drive). Only the extended query accepts a whole folder path.
bool DiskFreeRoot(const Text& path, bool extendedQuery, Text& root);

#ifdef _WIN32
int64_t FileSeek64(void* handle, int64_t offset, int origin);
int64_t GetFileSize64(void* handle);
#endif
int64_t FileSizeByName(const Text& path);
Text ReadFileText(const Text& path, int64_t maximumLength, int64_t offset);
bool WriteFileText(const Text& path, const Text& data, uint32_t dosDate, bool append);
bool AppendFileText(const Text& path, const Text& text, uint32_t dosDate);
double DiskFree(const Text& path);
bool DeleteFiles(const Text& mask, bool clearAttributes);
bool RemoveDirTree(const Text& folder, bool clearAttributes);
bool EjectCD(const Text& path);

// The file's modification time as a local DOS date-time; 0 when unknown.
uint32_t FileDosDateTime(const Text& path);
bool FileExists(const Text& path);
bool FolderExists(const Text& path);
// Creates a folder with all missing parents; false only for an empty name
// or when the folder does not exist afterwards.
bool ForceDirectories(const Text& folder);

} // namespace zelkor
