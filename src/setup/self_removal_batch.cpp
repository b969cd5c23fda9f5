#include "setup/self_removal.h"

namespace zelkor {
namespace {

Text Quoted(const Text& path) {
    return "\"" + path + "\"";
}

} // namespace

Text SelfRemovalBatchText(const Text& exePath, const Text& exeFolder, const Text& batchPath,
                          bool removeFolder) {
    Text batch = ":START\r\n";
    batch += "DEL " + Quoted(exePath) + "\r\n";
    batch += "IF exist " + Quoted(exePath) + " GOTO START\r\n";
    if (removeFolder) batch += "RD " + Quoted(exeFolder) + "\r\n";
    batch += "DEL " + Quoted(batchPath) + "\r\n";
    return batch;
}

} // namespace zelkor
