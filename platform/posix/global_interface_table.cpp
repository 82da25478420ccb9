// The Global Interface Table: interface pointers kept under cookies so that
// any thread can fetch them.
#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <mutex>
#include <shared_mutex>

#include "platform/posix/detail/global_interface_table.h"

namespace {

// The slot of the calling thread among kSlots: each thread takes, on its first use, the slot that
// the fewest live threads hold, and gives it back when it ends. Two threads alive at once
// therefore share a slot only when more than kSlots threads use it, however many threads came
// and went before them.
class ThreadSlot {
 public:
  static constexpr std::size_t kSlots = 16;

  static std::size_t Index() {
    thread_local const ThreadSlot slot;
    return slot.index_;
  }

  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;

 private:
  struct Holders {
    std::mutex mutex;
    std::array<std::size_t, kSlots> count{};
  };

  ThreadSlot() : index_(Take()) {}
  ~ThreadSlot() {
    std::lock_guard guard(holders().mutex);
    --holders().count[index_];
  }

  // Never destroyed: threads may end after the process's static objects are gone.
  static Holders& holders() {
    static Holders& holders = *new Holders;
    return holders;
  }

  static std::size_t Take() {
    std::lock_guard guard(holders().mutex);
    auto& count = holders().count;
    const auto fewest = std::min_element(count.begin(), count.end());
    ++*fewest;
    return static_cast<std::size_t>(fewest - count.begin());
  }

  const std::size_t index_;
};

// A reader-writer lock whose readers each take the mutex of their own thread's slot, so that
// fetches on different threads write no shared cache line (a shared_mutex's reader count is one
// such line, and every fetch would bounce it between the cores). Writers take every slot, in
// order. A thread's slot never changes, so the slot it unlocks is the one it locked.
class SlottedSharedMutex {
 public:
  void lock() {
    for (Slot& slot : slots_) slot.mutex.lock();
  }
  void unlock() {
    for (Slot& slot : slots_) slot.mutex.unlock();
  }
  void lock_shared() { slots_[ThreadSlot::Index()].mutex.lock(); }
  void unlock_shared() { slots_[ThreadSlot::Index()].mutex.unlock(); }

 private:
  struct alignas(64) Slot {
    std::mutex mutex;
  };

  std::array<Slot, ThreadSlot::kSlots> slots_;
};

// One per process; it lives as long as the process, so its reference count
// is not used to end it, and pointers still registered when the process ends
// are not released. Copying it would duplicate the table: deleted.
class GlobalInterfaceTable final : public IGlobalInterfaceTable {
 public:
  GlobalInterfaceTable() = default;
  GlobalInterfaceTable(const GlobalInterfaceTable&) = delete;
  GlobalInterfaceTable& operator=(const GlobalInterfaceTable&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IGlobalInterfaceTable)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IGlobalInterfaceTable*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // Keeps the object's riid interface (the object must have it).
  HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid,
                                                      DWORD* pdwCookie) override {
    if (pdwCookie == nullptr) return E_INVALIDARG;
    *pdwCookie = 0;
    if (pUnk == nullptr) return E_INVALIDARG;
    IUnknown* kept = nullptr;
    const HRESULT hr = pUnk->QueryInterface(riid, reinterpret_cast<void**>(&kept));
    if (FAILED(hr)) return hr;
    std::lock_guard guard(mutex_);
    *pdwCookie = nextCookie_++;
    entries_[*pdwCookie] = kept;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD dwCookie) override {
    IUnknown* kept = nullptr;
    {
      std::lock_guard guard(mutex_);
      const auto found = entries_.find(dwCookie);
      if (found == entries_.end()) return E_INVALIDARG;
      kept = found->second;
      entries_.erase(found);
    }
    kept->Release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid,
                                                   void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    IUnknown* kept = nullptr;
    {
      std::shared_lock guard(mutex_);
      const auto found = entries_.find(dwCookie);
      if (found == entries_.end()) return E_INVALIDARG;
      kept = found->second;
      kept->AddRef();  // stays alive even if revoked meanwhile
    }
    const HRESULT hr = kept->QueryInterface(riid, ppv);
    kept->Release();
    return hr;
  }

 private:
  // Fetches, one on every IVI-C call, share the lock; registering and revoking take it alone.
  // Its slots lie on cache lines of their own, apart from the table's other fields, which every
  // fetch only reads.
  SlottedSharedMutex mutex_;
  std::map<DWORD, IUnknown*> entries_;  // each holds a reference
  DWORD nextCookie_ = 0x100;
};

}  // namespace

namespace korvane::platform {

IGlobalInterfaceTable* ProcessGlobalInterfaceTable() {
  static GlobalInterfaceTable table;
  return &table;
}

}  // namespace korvane::platform
