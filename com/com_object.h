#pragma once
// The COM object around a class T, a node of the driver's interface tree:
// counted references (interlocked) and QueryInterface over T's interface
// table (T::FindInterface). T leaves IUnknown's three members to this final
// class, which overrides them for every interface T implements at once.
//
// Two counts. Client references (AddRef, Release) are the ones COM hands
// out; internal references (AddRefInternal, ReleaseInternal, held through
// NodeRef) are the ones nodes of the tree hold on each other: the driver on
// its items, each item on its driver. The clients together hold one internal
// reference while they hold any. When the last client reference goes,
// T::FinalRelease() runs (the driver detaches its items, breaking the
// driver-item cycle), then the clients' internal reference goes; the object
// is freed when the last internal reference goes.
//
// An item's client count may rise from 0 again (the driver hands the same
// item out once more); each rise takes the clients' internal reference anew.

#include <atomic>
#include <new>

#include "com/module_lock.h"
#include "platform/win32.h"

namespace korvane {

// The two counts of a node object whose most derived class is Final, shared by
// the plain and the aggregated object: Final's client IUnknown calls
// AddClient and ReleaseClient; NodeRef calls the internal pair.
template <class T, class Final>
class CountedNode : public T {
 public:
  using T::T;

  ULONG AddRefInternal() override {
    return internalRefs_.fetch_add(1, std::memory_order_relaxed) + 1;
  }
  ULONG ReleaseInternal() override {
    const ULONG left = internalRefs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete static_cast<Final*>(this);
    return left;
  }

 protected:
  // The first client reference takes the clients' internal reference; the
  // last one runs FinalRelease and gives it back.
  ULONG AddClient() {
    const ULONG before = clientRefs_.fetch_add(1, std::memory_order_relaxed);
    if (before == 0) AddRefInternal();
    return before + 1;
  }
  ULONG ReleaseClient() {
    const ULONG left = clientRefs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
      this->FinalRelease();
      ReleaseInternal();
    }
    return left;
  }

 private:
  std::atomic<ULONG> clientRefs_{0};
  std::atomic<ULONG> internalRefs_{0};
  ModuleLock moduleLock_;
};

template <class T>
class ComObject final : public CountedNode<T, ComObject<T>> {
 public:
  using CountedNode<T, ComObject<T>>::CountedNode;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = this->FindInterface(riid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return this->AddClient(); }
  ULONG STDMETHODCALLTYPE Release() override { return this->ReleaseClient(); }
};

// T aggregated into an outer object. Every interface of T delegates its
// IUnknown members to the outer unknown; the one exception is Inner(), the
// non-delegating IUnknown that only the outer object holds, which carries
// the client count and answers T's interface table. Internal references
// (the items' hold on their driver) work as in ComObject.
template <class T>
class AggregatedObject final : public CountedNode<T, AggregatedObject<T>> {
 public:
  explicit AggregatedObject(IUnknown* outer) : inner_(*this), outer_(outer) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return outer_->QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

  IUnknown* Inner() { return &inner_; }

 private:
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(AggregatedObject& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
      if (object == nullptr) return E_POINTER;
      if (IsEqualGUID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
      }
      *object = owner_.FindInterface(riid);
      if (*object == nullptr) return E_NOINTERFACE;
      static_cast<IUnknown*>(*object)->AddRef();  // delegates: the outer object counts
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddClient(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.ReleaseClient(); }

   private:
    AggregatedObject& owner_;
  };

  InnerUnknown inner_;
  IUnknown* outer_;  // not counted: the outer object holds us
};

// Creates a T aggregated into `outer` and hands out its inner IUnknown; an
// aggregated object can be asked for nothing else at creation.
template <class T>
HRESULT CreateAggregatedObject(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  AggregatedObject<T>* created = nullptr;
  try {
    created = new AggregatedObject<T>(outer);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  IUnknown* inner = created->Inner();
  inner->AddRef();
  *object = inner;
  return S_OK;
}

// Creates a T and hands out the interface `riid` of it (with its reference).
template <class T>
HRESULT CreateComObject(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComObject<T>* created = nullptr;
  try {
    created = new ComObject<T>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  created->AddRef();
  HRESULT status = created->QueryInterface(riid, object);
  created->Release();
  return status;
}

}  // namespace korvane
