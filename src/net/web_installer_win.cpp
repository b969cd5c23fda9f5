#include "net/web_installer.h"

#include "net/check_404_page.h"
#include "net/download_control.h"
#include "net/download_errors.h"
#include "net/http_download.h"
#include "net/http_query.h"
#include "package/file_info.h"
#include "package/tokens.h"
#include "setup/file_helpers.h"
#include "setup/setup_logic.h"
#include "setup/setup_run.h"
#include "stub/process_state.h"
#include "ui/message_box.h"
#include "ui/stub_window.h"
#include "ui/window_helpers.h"
#include "util/process_info.h"
#include "util/switches.h"
#include "util/trace.h"
#include "util/value_helpers.h"

namespace zelkor {
namespace {

// The user declined the download: the run stops without a message.
const char* const kDeclined = "!";

Text WithTrailingBackslash(const Text& folder) {
    return !folder.empty() && folder.back() == '\\' ? folder : folder + "\\";
}

} // namespace

void RunWebInstaller(const Text& agentName) {
    const TGFileInfo& own = OwnDescriptor();
    if (!agentName.empty()) WriteWebAgentCopy(agentName);
    Text base = own.GetWebBaseUrl();
    const Text programFolder = ProgramDir(true);
    if (!own.SkipLocalWebSetup() && FileExists(programFolder + own.GetWebSetupName())) {
        base = ProgramDir(false);
    }
    WebInstall(GetSetupTempDir(), base, own.GetWebSetupName());
}

void WriteWebAgentCopy(const Text& agentName) {
    const Text program = ProgramPath();
    WriteFileText(GetSetupTempDir() + "\\" + agentName,
                  WebAgentCopyImage(ReadFileText(program, 0, 0)), FileDosDateTime(program), false);
}

void WebInstall(const Text& folder, const Text& baseLocation, const Text& fileName) {
    const TGFileInfo& own = OwnDescriptor();
    Text error;
    bool downloaded = false;
    Text packagePath = WithTrailingBackslash(baseLocation) + fileName;
    const bool hidden = HasSwitch("/hide") || own.IsHiddenSetup();
    const int charset = own.GetLangCharset();
    const Text buttons = own.GetLangText("BtnText", kDefaultButtonCaptions);
    const Text url = baseLocation + "/" + fileName;

    if (!FileExists(packagePath)) {
        SetStubCaption(CaptionLabel(), own.GetLangText("s10", "Downloading File..."),
                       own.GetLangFontName(), own.GetLangFontSize(), charset);
        if (own.ConfirmDownload() && !hidden) {
            const Text question = DownloadQuestion(
                own.GetLangText("s11",
                                "<b>INTERNET DOWNLOAD</b><p><p>Zelkor will download the Setup "
                                "File from the Internet...<p>Please make sure your Internet "
                                "connection is properly set.<p><p>Continue with Setup?<p><P>Size: "
                                "<SIZE> MB<P>"),
                own.GetWebSetupSize());
            if (!AskYesNo(kOwnerWithHeading, question, own.GetLangText("Confirm", "Confirm"),
                          charset, buttons))
                error = kDeclined;
        }
        if (!InternetConnected())
            error =
                own.GetLangText("s12", "No valid Internet Connection.<p>Can not Download File!");
        SetDownloadAbort(false);
        packagePath = TempDir(true) + fileName;
        if (error.empty()) {
            Text content;
            HTTP_DownloadFile_Incremental(hidden ? nullptr : MainWindow(), url, packagePath,
                                          content, StubProgress, error);
            // A transfer that ended early leaves only its partial file: say
            // so, rather than blaming the token of a file that is not there.
            if (error.empty() && !FileExists(packagePath)) error = ConnectionError(url);
            downloaded = error.empty();
        }
        WaitPumping(300, 0);
        StubProgress(0, 0, 10, 0, 1, Text());
        WaitPumping(700, 0);
    }
    if (error.empty()) {
        const TGFileInfo downloadedInfo(packagePath);
        if (!SameWebToken(downloadedInfo, own))
            error = Check404Page(packagePath, Text(), url, "Bad Secret Token!");
    }
    if (error.empty())
        ExtractAndRun(folder, packagePath, Text(), CommandLineArgs(), !hidden);
    else
        SetExitCode(error == kDeclined ? kExitUserCancelled : kExitSetupFailed);
    if (downloaded) DeleteFileA(packagePath.c_str());
    if (!error.empty() && error != kDeclined) {
        Trace() << CurrentProcessId() << " WebInstall: " << error << EndLine;
        ShowErrorBox(kOwnerWithHeading, error, own.GetLangText("Error", "Error"), charset, buttons);
    }
}

} // namespace zelkor
