#include "net/wininet_library.h"

namespace zelkor {

Library& WinINetLibrary() {
    static Library library;
    return library;
}

} // namespace zelkor
