#include "setup/setup_logic.h"

namespace zelkor {

Text SetupFolderName(const Text& tempFolder, uint32_t programDosDateTime) {
    return tempFolder + "SETUP_" + UIntToText(programDosDateTime & 0xFFFF);
}

Text RunTag(unsigned long threadId) {
    return "_" + UIntToText(threadId);
}

Text RemoveSwitch(const Text& commandLine, const Text& name) {
    const size_t at = name.empty() ? Text::npos : commandLine.find(name);
    if (at == Text::npos) return commandLine;
    size_t end = at;
    do {
        ++end;
    } while (end < commandLine.size() && commandLine[end] != '/');
    return commandLine.substr(0, at) + commandLine.substr(end);
}

Text FormatMegabytes(double bytes) {
    double value = bytes < 0 ? 0 : bytes;
    if (value != 0) value /= 1048576.0;
    const int decimals = value > 10 ? 1 : value >= 1 ? 2 : 3;
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const int64_t scaled = int64_t(value * double(scale) + 0.5);
    return IntToText(scaled / scale) + "." + PadLeft(IntToText(scaled % scale), decimals, '0');
}

EngineLaunch BuildEngineCommandLine(const Text& folder, const Text& runEntry,
                                    const Text& extraSwitches, const Text& runTag,
                                    const Text& programPath, bool isAgentProgram) {
    Text engineFile = runEntry;
    Text switches = extraSwitches;
    const size_t star = runEntry.find('*');
    if (star != Text::npos) {
        engineFile = TrimControl(runEntry.substr(0, star));
        switches = TrimControl(extraSwitches + " " + TrimControl(runEntry.substr(star + 1)));
    }
    EngineLaunch launch;
    launch.enginePath = folder;
    if (launch.enginePath.empty() || launch.enginePath.back() != '\\') launch.enginePath += '\\';
    launch.enginePath += engineFile;

    Text& line = launch.commandLine;
    line = launch.enginePath;
    if (!switches.empty()) line += " " + switches;
    line += " /TH_ID=" + runTag;
    if (line.find("/OriginExe=") == Text::npos) line += " /OriginExe=\"" + programPath + "\"";
    if (isAgentProgram) line += " /AutoUpdateProg";
    return launch;
}

Text SpaceQuestion(const SpaceQuestionTexts& texts, bool askBeforeExtract, const Text& folder,
                   double need, double freeBytes) {
    Text question;
    if (askBeforeExtract) question = texts.askBeforeExtract;
    if (need >= freeBytes) question = texts.limitedSpace;
    if (question.empty()) return question;
    question += texts.required + texts.available + texts.continueSetup;
    const Text drive = folder.empty() ? Text() : Text(1, UpperAscii(folder[0])) + ":";
    question = ReplaceAll(question, "<DRIVE>", drive);
    question = ReplaceAll(question, "<SPACE_REQ>", FormatMegabytes(need));
    return ReplaceAll(question, "<SPACE_AVAIL>", FormatMegabytes(freeBytes));
}

} // namespace zelkor
