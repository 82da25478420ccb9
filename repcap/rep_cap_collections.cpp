#include "repcap/rep_cap_collections.h"

#include <new>

#include "platform/scoped_bstr.h"
#include "repcap/physical_names.h"

namespace korvane {
namespace {

// Creates, names and attaches the items of one kind into `items`.
HRESULT BuildItems(CDriver& driver, const RepCapEntry& kind, RepCapCollections::Items& items) {
  items.reserve(kind.physicalNames.size());
  for (uint32_t index = 0; index < kind.physicalNames.size(); ++index) {
    NodeRef<CRepCap> item;
    if (const HRESULT status = kind.create(item); FAILED(status)) return status;
    OleString name(kind.physicalNames[index]);
    items.push_back(item);
    item->Attach(driver, kind, std::move(name), index);
  }
  return S_OK;
}

void DetachItems(const RepCapCollections::Items& items) {
  for (const NodeRef<CRepCap>& item : items) item->Detach();
}

}  // namespace

HRESULT RepCapCollections::Build(CDriver& driver, std::span<const RepCapEntry> table) {
  for (const RepCapEntry& kind : table) {
    Collection collection{&kind, {}};
    HRESULT status = S_OK;
    try {
      status = BuildItems(driver, kind, collection.items);
      if (SUCCEEDED(status)) collections_.push_back(std::move(collection));
    } catch (const std::bad_alloc&) {
      status = E_OUTOFMEMORY;
    }
    if (FAILED(status)) {
      DetachItems(collection.items);
      return status;
    }
  }
  return S_OK;
}

void RepCapCollections::Release() {
  for (Collection& collection : collections_) {
    DetachItems(collection.items);
    collection.items.clear();
  }
  collections_.clear();
}

const RepCapCollections::Items* RepCapCollections::Find(const RepCapEntry& kind) const {
  for (const Collection& collection : collections_) {
    // The kinds come from one table: its entry is found by address before any name is compared.
    if (collection.kind == &kind || kind.className == collection.kind->className) {
      return &collection.items;
    }
  }
  return nullptr;
}

void RepCapCollections::ForEachItem(const std::function<void(CNode&)>& visit) const {
  for (const Collection& collection : collections_) {
    for (const NodeRef<CRepCap>& item : collection.items) visit(*item);
  }
}

HRESULT RepCapCollections::Count(const RepCapEntry& kind, LONG* val) const {
  if (val == nullptr) return E_POINTER;
  const Items* items = Find(kind);
  if (items == nullptr) return E_UNEXPECTED;
  *val = static_cast<LONG>(items->size());
  return S_OK;
}

HRESULT RepCapCollections::Name(const RepCapEntry& kind, LONG index,
                                const NameValueTable& moduleNames, CKorvaneErrorReporter& reporter,
                                BSTR* val) const {
  if (val == nullptr) return E_POINTER;
  const Items* items = Find(kind);
  if (items == nullptr) return E_UNEXPECTED;
  if (index < 1 || static_cast<size_t>(index) > items->size()) {
    return reporter.ReportInvalidValue(OLESTR("Index"), index, "%d");
  }
  const OleString& physicalName = (*items)[index - 1]->GetPhysicalName();
  const OleString key = kind.repCapName + OleString(kQualifierSeparator) + physicalName;
  const auto shown = moduleNames.find(key);
  *val = AllocBstr(shown != moduleNames.end() ? shown->second : physicalName);
  return S_OK;
}

HRESULT RepCapCollections::Item(const RepCapEntry& kind, BSTR name,
                                const NameValueTable& forwardTable, CKorvaneErrorReporter& reporter,
                                REFIID riid, void** val) const {
  if (val == nullptr) return E_POINTER;
  const OleStringView trimmed = TrimWhiteSpace(BstrView(name));
  const Items* items = Find(kind);
  if (items == nullptr) return E_UNEXPECTED;
  if (items->size() == 1 && trimmed.empty()) return items->front()->QueryItemInterface(riid, val);
  const OleStringView physicalName = ResolvePhysicalName(forwardTable, trimmed);
  for (const NodeRef<CRepCap>& item : *items) {
    if (EqualsIgnoringAsciiCase(item->GetPhysicalName(), physicalName)) {
      return item->QueryItemInterface(riid, val);
    }
  }
  return reporter.ReportUnknownPhysicalIdentifier();
}

}  // namespace korvane
