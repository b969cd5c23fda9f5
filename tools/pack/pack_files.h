// The files a build packs: found from --add arguments, named as the stub
// will write them, one of them marked as the run entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkor {

struct PackedFile {
    std::string sourcePath;
    // Relative, with backslashes; the run entry's carries "*" and its tail.
    std::string storedName;
    uint64_t size = 0;
    uint32_t dosDateTime = 0; // modification time, local
};

// Each value is PATH or PATH=NAME: a file is stored under its own name (or
// NAME); a folder adds every file below it, named relative to it (or under
// NAME\). Empty folders add nothing. Names must be ones the stub can write,
// and unique ignoring case.
bool CollectFiles(const std::vector<std::string>& adds, std::vector<PackedFile>* files,
                  std::string* error);

// `run` is NAME, NAME TAIL or NAME*TAIL: the added file of that name (ASCII
// case and the kind of slash ignored; the longest name wins) gets "*" and
// the tail.
bool MarkRunEntry(const std::string& run, std::vector<PackedFile>* files, std::string* error);

// Why a stored name cannot be used; empty when it can.
std::string StoredNameProblem(const std::string& name);

} // namespace zelkor
