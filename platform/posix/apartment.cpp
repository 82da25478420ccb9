// Apartments: CoInitializeEx counting per thread and the process's
// multithreaded apartment.
#include <atomic>

#include "platform/posix/detail/apartment.h"
#include "platform/posix/objbase.h"

namespace {

enum class Model { kNone, kSingleThreaded, kMultithreaded };

struct ThreadApartment {
  Model model = Model::kNone;
  ULONG entries = 0;  // CoInitializeEx calls not yet matched by CoUninitialize
};

thread_local ThreadApartment t_apartment;
// Threads currently in the multithreaded apartment.
std::atomic<int> g_multithreadedThreads{0};

}  // namespace

namespace korvane::platform {

bool ThreadMayUseCom() {
  return t_apartment.entries > 0 || g_multithreadedThreads.load() > 0;
}

}  // namespace korvane::platform

extern "C" HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (reserved != nullptr) return E_INVALIDARG;
  const Model model =
      (coInit & COINIT_APARTMENTTHREADED) != 0 ? Model::kSingleThreaded : Model::kMultithreaded;
  if (t_apartment.entries > 0) {
    if (t_apartment.model != model) return RPC_E_CHANGED_MODE;
    ++t_apartment.entries;
    return S_FALSE;
  }
  t_apartment.model = model;
  t_apartment.entries = 1;
  if (model == Model::kMultithreaded) ++g_multithreadedThreads;
  return S_OK;
}

extern "C" HRESULT CoInitialize(LPVOID reserved) {
  return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

extern "C" void CoUninitialize() {
  if (t_apartment.entries == 0) return;
  if (--t_apartment.entries == 0) {
    if (t_apartment.model == Model::kMultithreaded) --g_multithreadedThreads;
    t_apartment.model = Model::kNone;
  }
}
