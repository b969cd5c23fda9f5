#include "stub/process_state.h"

namespace zelkor {
namespace {

const TGFileInfo* ownDescriptor = nullptr;
bool isAutoUpdateProg = false;
Text instanceClassName;
unsigned long exitCode = 0;

} // namespace

const TGFileInfo& OwnDescriptor() {
    static const TGFileInfo none{Text()};
    return ownDescriptor ? *ownDescriptor : none;
}
void SetOwnDescriptor(const TGFileInfo* descriptor) {
    ownDescriptor = descriptor;
}

bool ThisIs_AutoUpdateProg() {
    return isAutoUpdateProg;
}
void SetThisIs_AutoUpdateProg(bool value) {
    isAutoUpdateProg = value;
}

const Text& InstanceClassName() {
    return instanceClassName;
}
void SetInstanceClassName(const Text& name) {
    instanceClassName = name;
}

unsigned long ExitCode() {
    return exitCode;
}
void SetExitCode(unsigned long code) {
    exitCode = code;
}

} // namespace zelkor
