#include "ui/message_box_flags.h"

namespace zelkor {

unsigned FlagsForCharset(unsigned flags, int charset) {
    if (charset == kHebrewCharset || charset == kArabicCharset)
        flags |= kBoxRightAligned | kBoxRightToLeft;
    return flags;
}

int SystemIconId(unsigned flags) {
    switch (flags & kBoxIconMask) {
    case kBoxIconStop:
        return 32513;
    case kBoxIconQuestion:
        return 32514;
    case kBoxIconExclamation:
        return 32515;
    case kBoxIconInformation:
        return 32516;
    }
    return 0;
}

} // namespace zelkor
