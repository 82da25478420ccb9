// Class objects registered in this process (CoRegisterClassObject).
#include <mutex>
#include <vector>

#include "platform/posix/detail/apartment.h"
#include "platform/posix/detail/class_registry.h"

namespace {

struct Registration {
  DWORD cookie;
  CLSID clsid;
  IUnknown* object;  // holds a reference
  DWORD context;
  DWORD flags;
  bool used;
};

class RegistrationTable {
 public:
  DWORD Add(REFCLSID clsid, IUnknown* object, DWORD context, DWORD flags) {
    std::lock_guard<std::mutex> guard(mutex_);
    object->AddRef();
    entries_.push_back(Registration{nextCookie_, clsid, object, context, flags, false});
    return nextCookie_++;
  }

  // The object of the removed registration, still holding its reference; null
  // for an unknown cookie.
  IUnknown* Remove(DWORD cookie) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
      if (entry->cookie == cookie) {
        IUnknown* object = entry->object;
        entries_.erase(entry);
        return object;
      }
    }
    return nullptr;
  }

  IUnknown* Find(REFCLSID clsid, DWORD context) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (Registration& entry : entries_) {
      if (entry.used || !IsEqualCLSID(entry.clsid, clsid)) continue;
      if ((EffectiveContext(entry) & context) == 0) continue;
      if (entry.flags == REGCLS_SINGLEUSE) entry.used = true;
      entry.object->AddRef();
      return entry.object;
    }
    return nullptr;
  }

 private:
  // A multiple-use local-server registration also serves in-process requests.
  static DWORD EffectiveContext(const Registration& entry) {
    const bool multipleUse = (entry.flags & REGCLS_MULTIPLEUSE) != 0;
    const bool local = (entry.context & CLSCTX_LOCAL_SERVER) != 0;
    return entry.context | (multipleUse && local ? DWORD{CLSCTX_INPROC_SERVER} : DWORD{0});
  }

  std::mutex mutex_;
  std::vector<Registration> entries_;
  DWORD nextCookie_ = 1;
};

RegistrationTable& Registrations() {
  static RegistrationTable table;
  return table;
}

}  // namespace

namespace korvane::platform {

IUnknown* FindRegisteredClassObject(REFCLSID clsid, DWORD context) {
  return Registrations().Find(clsid, context);
}

}  // namespace korvane::platform

// Suspended registrations are not part of this subset: REGCLS_SUSPENDED is
// ignored and the class is available at once.
extern "C" HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext,
                                         DWORD flags, LPDWORD lpdwRegister) {
  if (pUnk == nullptr || lpdwRegister == nullptr) return E_INVALIDARG;
  *lpdwRegister = 0;
  if (!korvane::platform::ThreadMayUseCom()) return CO_E_NOTINITIALIZED;
  *lpdwRegister = Registrations().Add(rclsid, pUnk, dwClsContext, flags);
  return S_OK;
}

extern "C" HRESULT CoRevokeClassObject(DWORD dwRegister) {
  IUnknown* object = Registrations().Remove(dwRegister);
  if (object == nullptr) return CO_E_OBJNOTREG;
  object->Release();
  return S_OK;
}
