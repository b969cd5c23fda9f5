// ExtractPackage over an injected host: the walk over the volumes and their
// blocks, shared by the stub and zelkor-pack.
#pragma once

#include "package/extract_host.h"
#include "package/extract_package.h"

namespace zelkor {

// Failed file writes of the whole process: only the first is shown.
struct SaveFailures {
    int count = 0;
};

ExtractOutcome ExtractPackage(const ExtractOptions& options, ExtractHost& host,
                              SaveFailures& failures);

} // namespace zelkor
