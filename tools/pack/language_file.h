// The package's language table from a file a translator edits: one section
// per language, "[French]", followed by "key=value" lines.
#pragma once

#include <string>

namespace zelkor {

// Builds the table from the text of a language file. A file that is UTF-8
// is stored in Windows-1252; any other file is stored byte for byte, as
// already being in the code page of the systems that show it. False with a
// message that names the line for anything the stub would misread.
bool ParseLanguageFile(const std::string& text, std::string* table, std::string* error);

bool ReadLanguageFile(const std::string& path, std::string* table, std::string* error);

} // namespace zelkor
