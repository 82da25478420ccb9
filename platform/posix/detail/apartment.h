// Which threads may use COM.
#pragma once

namespace korvane::platform {

// True when the calling thread entered COM (CoInitializeEx) and has not left,
// or when some thread holds the multithreaded apartment open, which every
// other thread then joins implicitly, as on Windows.
bool ThreadMayUseCom();

}  // namespace korvane::platform
