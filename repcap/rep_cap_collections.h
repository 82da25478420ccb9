#pragma once
// The driver's repeated-capability collections: for each kind of its table,
// the ordered items, built when the driver initializes and released when it
// closes; and the collection operations Count, Name and Item over them.
//
// The collections change and are read only under the driver's lock (the
// build and release run inside Initialize and Close, the operations inside
// the driver's entry points), except at the driver's final release, when no
// client is left to call it.

#include <functional>
#include <vector>

#include "diag/error_reporter.h"
#include "driver/name_value_table.h"
#include "driver/node_ref.h"
#include "platform/ole_string.h"
#include "platform/win32.h"
#include "repcap/rep_cap.h"
#include "repcap/rep_cap_table.h"

namespace korvane {

class RepCapCollections {
 public:
  using Items = std::vector<NodeRef<CRepCap>>;

  RepCapCollections() = default;
  ~RepCapCollections() { Release(); }
  // The items link back to one driver: a copy would detach them twice.
  RepCapCollections(const RepCapCollections&) = delete;
  RepCapCollections& operator=(const RepCapCollections&) = delete;

  // Creates, names and attaches to `driver` the items of every kind of
  // `table`, in order. The first failure stops the build and is returned;
  // the kinds built before it stay (Release takes them down), the failing
  // kind's items are detached again.
  HRESULT Build(CDriver& driver, std::span<const RepCapEntry> table);
  // Detaches every item, kind by kind, and lets the items go.
  void Release();

  // The items of that kind (the same table entry, or one of its class name), or null.
  const Items* Find(const RepCapEntry& kind) const;
  void ForEachItem(const std::function<void(CNode&)>& visit) const;

  // Count: the number of items of `kind`.
  HRESULT Count(const RepCapEntry& kind, LONG* val) const;
  // Name: the name of item `index` (one-based) as clients see it: the module
  // name table's text for "<repCapName>!!<physical name>", else the physical
  // name.
  HRESULT Name(const RepCapEntry& kind, LONG index, const NameValueTable& moduleNames,
               CKorvaneErrorReporter& reporter, BSTR* val) const;
  // Item: the interface `riid` of the item that `name` selects (see
  // physical_names.h), with a new reference.
  HRESULT Item(const RepCapEntry& kind, BSTR name, const NameValueTable& forwardTable,
               CKorvaneErrorReporter& reporter, REFIID riid, void** val) const;

 private:
  struct Collection {
    const RepCapEntry* kind;
    Items items;
  };

  std::vector<Collection> collections_;
};

}  // namespace korvane
