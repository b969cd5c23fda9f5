// RAII owners for Win32 handles, libraries, atoms and registry keys.
#pragma once

#include <windows.h>

namespace zelkor {

template <typename Traits> class UniqueHandle {
  public:
    using Value = typename Traits::Value;
    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Value Get() const { return value_; }
    bool Valid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    Value Release() {
        Value v = value_;
        value_ = Traits::Invalid();
        return v;
    }
    void Reset(Value value = Traits::Invalid()) {
        if (Valid()) Traits::Close(value_);
        value_ = value;
    }

  private:
    Value value_ = Traits::Invalid();
};

struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { CloseHandle(v); }
};
// Process, thread and other kernel handles that use null for "none".
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { CloseHandle(v); }
};
struct FindHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { FindClose(v); }
};
struct LibraryTraits {
    using Value = HMODULE;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { FreeLibrary(v); }
};
struct GlobalAtomTraits {
    using Value = ATOM;
    static Value Invalid() { return 0; }
    static void Close(Value v) { GlobalDeleteAtom(v); }
};
struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { DeleteObject(v); }
};

struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { RegCloseKey(v); }
};

// WinINet is bound at run time (src/net), so the close goes through that
// binding; every Internet handle is closed before the library is freed.
void CloseInternetHandle(void* handle);
struct InternetHandleTraits {
    using Value = void*; // HINTERNET
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { CloseInternetHandle(v); }
};

// A window of ours; Release() it once it has destroyed itself.
struct WindowTraits {
    using Value = HWND;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { DestroyWindow(v); }
};
// A window class registered by this program's module.
struct WindowClassTraits {
    using Value = ATOM;
    static Value Invalid() { return 0; }
    static void Close(Value v) { UnregisterClassA(MAKEINTATOM(v), GetModuleHandleA(nullptr)); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using Library = UniqueHandle<LibraryTraits>;
using GlobalAtom = UniqueHandle<GlobalAtomTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using InternetHandle = UniqueHandle<InternetHandleTraits>;

using Window = UniqueHandle<WindowTraits>;
using WindowClass = UniqueHandle<WindowClassTraits>;

// A window's device context, released to that window.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The context of one WM_PAINT.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// An object selected into a device context for a scope; the one it
// replaced is selected back, so the object can then be deleted.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace zelkor
