#pragma once

namespace zelkor {

// Copies the installer to the temporary folder and restarts it from there.
void RelaunchFromSpannedMedia();

} // namespace zelkor
