#pragma once
// CRepCap: a repeated-capability item (a temperature sensor, a fan, a voltage
// rail). The driver creates its items when it initializes and links each to
// itself; it detaches them when it closes or when its last client lets it go.
//
// Links and locking. The driver link (a counted reference; null once the item
// is detached), the parent link and the root link change only under the
// item's own lock, which every call on the item holds for its whole length.
// A call therefore sees its item either connected for the whole call or
// detached, and it keeps its driver alive by a reference taken at its start
// (DriverForCall). An item call never takes its driver's lock: a driver Close
// may be waiting for the item's lock to detach it.

#include <cstdint>

#include "driver/child_node.h"
#include "driver/node_ref.h"
#include "platform/critical_section.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

class CDriver;
class MemberRecord;
struct RepCapEntry;

class CRepCap : public CChildNode {
 public:
  CRepCap();
  ~CRepCap() override;

  // Names the item (its kind, physical name and zero-based index) and links
  // it to the driver that owns it, as its root, driver and parent.
  void Attach(CDriver& driver, const RepCapEntry& kind, OleString physicalName, uint32_t index);
  // Releases the links. Waits for a call in flight on the item.
  void Detach();

  bool IsConnected() const;
  // The driver, or null when not connected.
  NodeRef<CDriver> GetDriver() const;
  const OleString& GetPhysicalName() const { return physicalName_; }
  uint32_t GetIndex() const { return index_; }
  // "<parent's full name>.<class name>[<physical name>]", the prefix left out
  // when the parent's name is empty, the physical name resolved through the
  // forward table; computed once. Reads the driver's tables: call it under
  // the driver's lock. Empty for an item never named while connected.
  OleString GetFullName() override;

  // QueryInterface on the item's COM object (_RepCap<T>).
  virtual HRESULT QueryItemInterface(REFIID riid, void** object) = 0;

  // What the interface entry points need of the called item.
  CriticalSection& ObjectLock() { return lock_; }
  NodeRef<CDriver> DriverForCall() const;
  bool IsReadyForCall() const { return IsConnected(); }
  // A call on a detached item: E_IVI_CANNOT_RECOVER with "Repeated capability
  // not connected to driver" for `member`, without the driver's reporter.
  HRESULT ReportDetached(const MemberRecord& member) const;

 protected:
  // The driver of the call that is running on this item. The entry point
  // refuses calls on a detached item, so inside a call there is one; outside
  // one, HResultError(E_UNEXPECTED).
  CDriver& CallDriver() const;

 private:
  mutable CriticalSection lock_;
  NodeRef<CDriver> driver_;
  const RepCapEntry* kind_ = nullptr;
  CLSID driverClass_{};  // the error source of a detached item's reports
  OleString physicalName_;
  uint32_t index_ = 0;
  OleString fullName_;
};

}  // namespace korvane
