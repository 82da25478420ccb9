#include "standins/ivi_session/session_table.h"

namespace korvane::ivi {

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
  struct LastLookup {
    const SessionTable* table = nullptr;
    uint64_t generation = 0;
    ViSession handle = VI_NULL;
    std::shared_ptr<SessionState> state;
  };
  thread_local LastLookup last;
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
