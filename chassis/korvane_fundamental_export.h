// Symbol export for the chassis access library (KorvaneAFundamental_64).
//
// The library is a shared module of its own: its classes and functions are
// exported with dllexport while it is built and imported with dllimport by
// everybody else on Windows; on Linux they keep default visibility.
#pragma once

#if defined(_WIN32)
#if defined(KORVANE_FUNDAMENTAL_BUILD)
#define KORVANE_FUNDAMENTAL_EXPORT __declspec(dllexport)
#else
#define KORVANE_FUNDAMENTAL_EXPORT __declspec(dllimport)
#endif
#else
#define KORVANE_FUNDAMENTAL_EXPORT __attribute__((visibility("default")))
#endif
