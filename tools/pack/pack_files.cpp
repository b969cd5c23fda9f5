#include "pack_files.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

#include "dos_time.h"
#include "package/block_header.h"
#include "util/text.h"

namespace zelkor {
namespace {

// Deeper than this is a link that loops back.
constexpr int kMaxFolderDepth = 64;

enum class Kind { Missing, File, Folder, Other };

Kind KindOf(const std::string& path, struct stat* st) {
    if (stat(path.c_str(), st) != 0) return Kind::Missing;
    if (S_ISREG(st->st_mode)) return Kind::File;
    if (S_ISDIR(st->st_mode)) return Kind::Folder;
    return Kind::Other;
}

std::string WithBackslashes(std::string name) {
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

std::string LastSegment(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder + name;
    return folder + "/" + name;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] == '/' ? '\\' : UpperAscii(a[i]);
        const char y = b[i] == '/' ? '\\' : UpperAscii(b[i]);
        if (x != y) return false;
    }
    return true;
}

bool AddFile(const std::string& path, const struct stat& st, const std::string& name,
             std::vector<PackedFile>* files, std::string* error) {
    const std::string problem = StoredNameProblem(name);
    if (!problem.empty()) {
        *error = "cannot store " + path + " as \"" + name + "\": " + problem;
        return false;
    }
    PackedFile file;
    file.sourcePath = path;
    file.storedName = name;
    file.size = static_cast<uint64_t>(st.st_size);
    file.dosDateTime = DosDateTimeFromTime(st.st_mtime);
    files->push_back(file);
    return true;
}

bool AddFolder(const std::string& folder, const std::string& prefix, int depth,
               std::vector<PackedFile>* files, std::string* error) {
    if (depth > kMaxFolderDepth) {
        *error = "folders nest too deeply (a link that loops?) at " + folder;
        return false;
    }
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        *error = "cannot list the folder " + folder;
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    // Sorted, so that the same folder always gives the same package.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = JoinPath(folder, name);
        struct stat st;
        const Kind kind = KindOf(path, &st);
        if (kind == Kind::File) {
            if (!AddFile(path, st, prefix + name, files, error)) return false;
        } else if (kind == Kind::Folder) {
            if (!AddFolder(path, prefix + name + "\\", depth + 1, files, error)) return false;
        }
        // Devices, pipes and sockets are not files to install.
    }
    return true;
}

// PATH, or PATH=NAME when PATH exists: a path may hold "=" itself.
bool SplitAdd(const std::string& value, std::string* path, std::string* name, bool* renamed,
              Kind* kind, struct stat* st) {
    *kind = KindOf(value, st);
    *renamed = false;
    if (*kind != Kind::Missing) {
        *path = value;
        name->clear();
        return true;
    }
    for (size_t at = value.rfind('='); at != std::string::npos && at > 0;
         at = value.rfind('=', at - 1)) {
        *kind = KindOf(value.substr(0, at), st);
        if (*kind == Kind::Missing) continue;
        *path = value.substr(0, at);
        *name = WithBackslashes(value.substr(at + 1));
        *renamed = true;
        return true;
    }
    return false;
}

} // namespace

std::string StoredNameProblem(const std::string& name) {
    if (name.empty()) return "the name is empty";
    if (NameEscapesFolder(name)) return "it would be written outside the destination folder";
    for (unsigned char c : name) {
        if (c < 0x20) return "it holds a control character";
        // "*" marks the run entry; the rest cannot be in a Windows file name.
        if (std::string("<>:\"|?*").find(char(c)) != std::string::npos)
            return std::string("it holds the character ") + char(c);
    }
    size_t begin = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '\\') continue;
        const std::string segment = name.substr(begin, i - begin);
        if (segment.empty() || segment == ".") return "it has an empty folder level";
        begin = i + 1;
    }
    return std::string();
}

bool CollectFiles(const std::vector<std::string>& adds, std::vector<PackedFile>* files,
                  std::string* error) {
    std::vector<PackedFile> found;
    for (const std::string& value : adds) {
        std::string path;
        std::string name;
        bool renamed = false;
        Kind kind;
        struct stat st;
        if (!SplitAdd(value, &path, &name, &renamed, &kind, &st)) {
            *error = "--add: no such file or folder: " + value;
            return false;
        }
        if (renamed && name.empty()) {
            *error = "--add: an empty name after \"=\" in " + value;
            return false;
        }
        if (kind == Kind::File) {
            if (!AddFile(path, st, name.empty() ? LastSegment(path) : name, &found, error))
                return false;
        } else if (kind == Kind::Folder) {
            if (!name.empty() && name.back() != '\\') name += '\\';
            if (!AddFolder(path, name, 0, &found, error)) return false;
        } else {
            *error = "--add: not a file or folder: " + path;
            return false;
        }
    }
    // Windows names ignore case, so two names that differ only in case
    // would land in one file.
    std::vector<std::pair<std::string, size_t>> keys;
    for (size_t i = 0; i < found.size(); ++i)
        keys.push_back({WithBackslashes(UpperCaseAscii(found[i].storedName)), i});
    std::sort(keys.begin(), keys.end());
    for (size_t k = 1; k < keys.size(); ++k) {
        if (keys[k].first != keys[k - 1].first) continue;
        const PackedFile& first = found[std::min(keys[k].second, keys[k - 1].second)];
        const PackedFile& second = found[std::max(keys[k].second, keys[k - 1].second)];
        *error = "two files would be stored as " + second.storedName + ": " + first.sourcePath +
                 " and " + second.sourcePath;
        return false;
    }
    *files = found;
    return true;
}

bool MarkRunEntry(const std::string& run, std::vector<PackedFile>* files, std::string* error) {
    PackedFile* best = nullptr;
    size_t nameLength = 0;
    const size_t star = run.find('*');
    for (PackedFile& file : *files) {
        const std::string& name = file.storedName;
        if (star != std::string::npos) {
            if (!SameName(run.substr(0, star), name)) continue;
        } else if (run.size() < name.size() || !SameName(run.substr(0, name.size()), name) ||
                   (run.size() > name.size() && run[name.size()] != ' ')) {
            continue;
        }
        if (!best || name.size() > nameLength) {
            best = &file;
            nameLength = name.size();
        }
    }
    if (!best) {
        *error = "--run: no added file is named as in \"" + run + "\"";
        return false;
    }
    const size_t tail = star != std::string::npos ? star + 1 : nameLength;
    best->storedName += "*" + run.substr(tail);
    return true;
}

} // namespace zelkor
