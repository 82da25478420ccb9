#pragma once
// _RepCap<T, Interfaces...>: binds the framework's item node CRepCap to the
// concrete item class T and its COM interfaces: the object's interface table
// (ISupportErrorInfo, then Interfaces in order), error information declared
// supported for exactly Interfaces, and the factory the repeated capability
// table names.

#include <new>

#include "com/com_object.h"
#include "com/interface_map.h"
#include "com/interfaces.h"
#include "driver/node_ref.h"
#include "platform/win32.h"
#include "repcap/rep_cap.h"

namespace korvane {

template <class T, class... Interfaces>
class _RepCap : public CRepCap, public ISupportErrorInfo {
 public:
  // One new item, not yet attached.
  static HRESULT Create(NodeRef<CRepCap>& item) {
    try {
      item = NodeRef<CRepCap>(new ComObject<T>());
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  void* FindInterface(REFIID riid) {
    return korvane::FindInterface<T, Face<ISupportErrorInfo>, Face<Interfaces>...>(
        static_cast<T*>(this), riid);
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    const bool supported = (IsEqualGUID(riid, IidOf<Interfaces>()) || ...);
    return supported ? S_OK : S_FALSE;
  }

  HRESULT QueryItemInterface(REFIID riid, void** object) override {
    return static_cast<ISupportErrorInfo*>(this)->QueryInterface(riid, object);
  }

  // An item holds no references of its own beyond its links, which the
  // driver releases when it detaches the item.
  void FinalRelease() {}
};

}  // namespace korvane
