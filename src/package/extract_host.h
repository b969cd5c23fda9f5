// What the extraction needs from its platform: the stub passes the Win32
// layer, zelkor-pack its own files and console, tests a memory image.
#pragma once

#include <cstdint>
#include <memory>

#include "package/byte_source.h"
#include "util/text.h"

namespace zelkor {

class ExtractHost {
  public:
    virtual ~ExtractHost() = default;

    virtual bool FileExists(const Text& path) = 0;
    // Null when the file cannot be opened for reading.
    virtual std::unique_ptr<ByteSource> OpenVolume(const Text& path) = 0;
    // The file's modification time as a local DOS date-time; 0 if unknown.
    virtual uint32_t FileDosDate(const Text& path) = 0;

    // Creates a folder with all missing parents.
    virtual bool CreateFolder(const Text& path) = 0;
    // Writes (or appends) the data; sets the DOS date when it is not 0 and
    // every byte was written.
    virtual bool WriteFile(const Text& path, const Text& data, uint32_t dosDate, bool append) = 0;
    // The platform's text for the last error.
    virtual Text LastErrorText() = 0;
    virtual int64_t FileSize(const Text& path) = 0;
    virtual double DiskFree(const Text& path) = 0;

    virtual void Progress(int mode, int low, int high, int position, int step,
                          const Text& text) = 0;
    virtual void PumpMessages() = 0;
    virtual void WaitPumping(uint32_t ms) = 0;
    // Makes the window refuse AutoPlay while a disk is being changed.
    virtual void RefuseAutoPlay() = 0;
    virtual void EjectDisk(const Text& path) = 0;
    // The OK/Cancel question: true for OK.
    virtual bool AskForDisk(const Text& text, const Text& title, const Text& buttons,
                            int charset) = 0;
    // The error box with its default title and captions.
    virtual void ShowError(const Text& text) = 0;

    virtual void TraceLine(const Text& line) = 0;
    virtual uint32_t TickCount() = 0;
    virtual unsigned long ProcessId() = 0;
};

} // namespace zelkor
