// Our own versions of the few runtime pieces that would otherwise pull the
// whole C++ exception machinery into the stub: allocation failures and the
// container error helpers end the process.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

[[noreturn]] void Die() {
    ExitProcess(0xC0000017u);
} // STATUS_NO_MEMORY-like

} // namespace

void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    Die();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace std {
[[noreturn]] void __throw_bad_alloc() {
    Die();
}
[[noreturn]] void __throw_bad_array_new_length() {
    Die();
}
[[noreturn]] void __throw_length_error(const char*) {
    Die();
}
[[noreturn]] void __throw_logic_error(const char*) {
    Die();
}
[[noreturn]] void __throw_out_of_range(const char*) {
    Die();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
    Die();
}
[[noreturn]] void __throw_invalid_argument(const char*) {
    Die();
}
[[noreturn]] void __throw_bad_function_call() {
    Die();
}
} // namespace std

extern "C" void __cxa_pure_virtual() {
    Die();
}

// Our own instantiation of std::string, compiled without exceptions: the
// library's prebuilt one would bring the unwinder and the verbose terminate
// handler (some 100 KB) into the stub.
template class std::__cxx11::basic_string<char>;
