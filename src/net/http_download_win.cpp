#include "net/http_download.h"

#include <utility>

#include "net/download_control.h"
#include "net/download_errors.h"
#include "net/download_progress.h"
#include "net/download_rate.h"
#include "net/download_request.h"
#include "net/http_query.h"
#include "net/partial_file.h"
#include "net/wininet_calls.h"
#include "setup/file_helpers.h"
#include "ui/window_helpers.h"
#include "util/process_info.h"
#include "util/trace.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

// Windows wildcards let "setup.exe.*" match "setup.exe" itself; only
// names of the partial form go, so a failed download never costs the
// existing target.
void DeleteStalePartialFiles(const Text& target) {
    const Text folder = FileFolderPart(target);
    const Text targetName = target.substr(folder.size());
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA(StalePartialMask(target).c_str(), &found));
    if (!find) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsPartialFileNameOf(found.cFileName, targetName))
            DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(find.Get(), &found));
}

struct Transfer {
    HINTERNET internet;
    const Text& url;
    const Text& target;
    Text& content;
    ProgressCallback callback;
};

// Asks for the bytes after `offset` and takes the answer only when it
// continues the partial file exactly; `file` then reads from `offset`.
bool ResumeAt(const Transfer& transfer, InternetHandle& file, int64_t offset, int32_t size,
              uint32_t lastModified) {
    InternetHandle ranged(
        WinINetOpenUrl(transfer.internet, transfer.url, RangeHeader(offset), RangedOpenFlags()));
    if (!ranged) return false;
    RangedAnswer answer;
    answer.status = QueryStatusCode(ranged.Get());
    answer.contentRange = QueryContentRange(ranged.Get());
    answer.lastModified = QueryLastModified(ranged.Get());
    if (!ContinuesPartialFile(answer, offset, size, lastModified)) return false;
    file = std::move(ranged);
    return true;
}

// Where the bytes go and from which offset: false when nothing is to be read.
bool PreparePartialFile(const Transfer& transfer, InternetHandle& file, const Text& partial,
                        int32_t size, uint32_t lastModified, int64_t& done) {
    const bool exists = FileExists(partial);
    const int64_t partialSize = exists ? FileSizeByName(partial) : 0;
    switch (ChoosePartialStart(exists, partialSize, size)) {
    case PartialStart::Fresh:
        DeleteStalePartialFiles(transfer.target);
        return true;
    case PartialStart::Complete:
        done = partialSize;
        return false;
    case PartialStart::Resume:
        // The first answer (from 0) stays open, so a refused range costs
        // no further request.
        if (ResumeAt(transfer, file, partialSize, size, lastModified)) {
            done = partialSize;
            return true;
        }
        break;
    case PartialStart::Restart:
        break;
    }
    DeleteFileA(partial.c_str());
    return true;
}

// Reads chunk by chunk until the body ends, a read or write fails, or the
// abort flag is raised.
void ReadBody(const Transfer& transfer, HINTERNET file, const Text& partial, int32_t size,
              int64_t chunk, int64_t& done, DownloadProgress& progress) {
    char buffer[kDownloadBufferSize];
    DWORD count = 0;
    do {
        WaitPumping(2, 0);
        if (!WinINetReadFile(file, buffer, DWORD(chunk), count)) count = 0;
        if (count != 0) {
            const Text bytes(buffer, count);
            if (partial.empty()) {
                transfer.content += bytes;
            } else if (!AppendFileText(partial, bytes, 0)) {
                // Later chunks after a lost one would corrupt the file.
                count = 0;
            }
            done += count;
        }
        const Text text = FormatProgress(false, size, done, count);
        if (count != 0 && transfer.callback && AdvanceDownloadProgress(progress))
            transfer.callback(1, 0, 0, 0, 0, text);
    } while (count != 0 && !DownloadAbortRequested());
}

// Everything after the URL has been opened; returns the error text.
Text TransferBody(const Transfer& transfer, InternetHandle& file, HWND window) {
    const int32_t size = QueryContentLength(file.Get());
    const uint32_t lastModified = QueryLastModified(file.Get());
    Trace() << "HTTP_DownloadFile_Incremental FileSize=" << size << "  " << transfer.url << EndLine;
    if (size <= 0) return FileNotFoundError(transfer.url);
    if (window) ShowWindow(window, SW_SHOW);

    Text partial;
    int64_t done = 0;
    bool read = true;
    if (!transfer.target.empty()) {
        partial = PartialFileName(transfer.target, size, lastModified);
        read = PreparePartialFile(transfer, file, partial, size, lastModified, done);
    }
    const int64_t chunk = DownloadChunkSize(size);
    DownloadProgress progress = StartDownloadProgress(size, done, chunk);
    const Text text = FormatProgress(true, size, done, 0);
    if (transfer.callback) transfer.callback(0, 0, progress.high, progress.position, 1, text);
    if (read) ReadBody(transfer, file.Get(), partial, size, chunk, done, progress);

    Text error;
    if (DownloadAbortRequested()) error = DownloadAbortedError();
    // Also after an abort: the last chunk may have completed the file.
    if (!partial.empty() && FileSizeByName(partial) == size) {
        DeleteFileA(transfer.target.c_str());
        MoveFileA(partial.c_str(), transfer.target.c_str());
    }
    return error;
}

} // namespace

void HTTP_DownloadFile_Incremental(HWND window, const Text& url, const Text& target, Text& content,
                                   ProgressCallback callback, Text& error) {
    WaitPumping(100, 0);
    error.clear();
    content.clear();
    ProbeUrl(url);
    {
        const InternetHandle internet(WinINetOpen(kDownloadAgent));
        if (!internet) {
            error = WinINetUnavailableError();
        } else {
            InternetHandle file(
                WinINetOpenUrl(internet.Get(), url, Text(), DownloadOpenFlags(!target.empty())));
            if (!file) {
                error = ConnectionError(url);
            } else {
                const Transfer transfer{internet.Get(), url, target, content, callback};
                error = TransferBody(transfer, file, window);
            }
        }
    }
    if (!error.empty())
        Trace() << CurrentProcessId() << " HTTP_DownloadFile_Incremental: " << error << EndLine;
}

} // namespace zelkor
