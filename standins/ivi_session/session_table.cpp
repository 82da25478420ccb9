#include "standins/ivi_session/session_table.h"

namespace korvane::ivi {

SessionTable& SessionTable::Instance() {
  static SessionTable table;
  return table;
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
  return handle;
}

std::shared_ptr<SessionState> SessionTable::Find(ViSession handle) const {
  std::lock_guard guard(mutex_);
  const auto found = sessions_.find(handle);
  return found == sessions_.end() ? nullptr : found->second;
}

std::shared_ptr<SessionState> SessionTable::Remove(ViSession handle) {
  std::lock_guard guard(mutex_);
  const auto found = sessions_.find(handle);
  if (found == sessions_.end()) return nullptr;
  auto state = std::move(found->second);
  sessions_.erase(found);
  return state;
}

}  // namespace korvane::ivi
