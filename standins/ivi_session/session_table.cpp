#include "standins/ivi_session/session_table.h"

#include <memory>
#include <new>

#include "platform/win32.h"

namespace korvane::ivi {
namespace {

// The lookup a thread made last.
struct LastLookup {
  const SessionTable* table = nullptr;
  uint64_t generation = 0;
  ViSession handle = VI_NULL;
  std::shared_ptr<SessionState> state;
};

// The calling thread's last lookup, kept in a fiber-local slot of the system: one FlsGetValue per
// lookup, where a C++ thread_local of a module costs a run-time look-up on every use with some
// toolchains (two with MinGW's: the variable and its guard), and the slot's callback frees the
// lookup, and the state that it keeps, when the thread ends. The module stays loaded from the
// slot's allocation on, since the system calls that callback at the end of every thread.
class ThreadLookup {
 public:
  static LastLookup& OfThisThread() {
    static const DWORD slot = AllocateSlot();
    if (auto* last = static_cast<LastLookup*>(FlsGetValue(slot))) return *last;
    auto created = std::make_unique<LastLookup>();
    if (!FlsSetValue(slot, created.get())) throw std::bad_alloc();
    return *created.release();
  }

 private:
  static DWORD AllocateSlot() {
    static const char anchor = 0;  // an address inside this module
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(&anchor), &module)) {
      throw std::bad_alloc();
    }
    const DWORD slot = FlsAlloc(&Free);
    if (slot == FLS_OUT_OF_INDEXES) throw std::bad_alloc();
    return slot;
  }
  static void WINAPI Free(PVOID last) { delete static_cast<LastLookup*>(last); }
};

}  // namespace

// Never destroyed: sessions a program left open are the process's to free when it ends, and
// nothing runs while the module unloads that could wait for the table's lock, which a thread
// the system stopped at exit may hold.
SessionTable& SessionTable::Instance() {
  static SessionTable* const table = new SessionTable;
  return *table;
}

ViSession SessionTable::NextFreeHandle() {
  ViSession handle = next_++;
  while (handle == VI_NULL || sessions_.contains(handle)) handle = next_++;
  return handle;
}

ViSession SessionTable::Add() {
  auto state = std::make_shared<SessionState>();
  std::lock_guard guard(mutex_);
  const ViSession handle = NextFreeHandle();
  sessions_.emplace(handle, std::move(state));
  generation_.fetch_add(1, std::memory_order_release);
  return handle;
}

SessionState* SessionTable::Find(ViSession handle) const {
  LastLookup& last = ThreadLookup::OfThisThread();
  // A lookup in a generation that still stands is still the table's answer.
  if (last.table == this && last.handle == handle &&
      last.generation == generation_.load(std::memory_order_acquire)) {
    return last.state.get();
  }
  std::lock_guard guard(mutex_);
  const auto found = sessions_.find(handle);
  std::shared_ptr<SessionState> state = found == sessions_.end() ? nullptr : found->second;
  last = {this, generation_.load(std::memory_order_relaxed), handle, std::move(state)};
  return last.state.get();
}

std::shared_ptr<SessionState> SessionTable::Remove(ViSession handle) {
  std::lock_guard guard(mutex_);
  const auto found = sessions_.find(handle);
  if (found == sessions_.end()) return nullptr;
  auto state = std::move(found->second);
  sessions_.erase(found);
  generation_.fetch_add(1, std::memory_order_release);
  return state;
}

}  // namespace korvane::ivi
