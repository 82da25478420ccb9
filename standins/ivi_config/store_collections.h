// The collection objects of the configuration server: a list of store elements presented through
// Count and Item, and for named elements ItemByName. Used by store_objects.cpp only.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_COLLECTIONS_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_COLLECTIONS_H

#include <new>
#include <string>
#include <vector>

#include "standins/ivi_config/com_text.h"
#include "standins/ivi_config/error_info.h"
#include "standins/ivi_config/store_objects.h"

namespace korvane::ivi_config {

// ItemObject is a StoreView class; ItemInterface the interface it implements.
template <class Interface, class ItemObject, class ItemInterface>
class CollectionObject : public ComObject<Interface> {
 public:
  using Node = typename ItemObject::Node;
  CollectionObject(StorePtr store, const std::vector<Node>& items)
      : store_(std::move(store)), items_(items) {}

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<LONG>(items_.size());
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_Item(LONG index, ItemInterface** item) override {
    if (item == nullptr) return E_POINTER;
    *item = nullptr;
    if (index < 1 || static_cast<std::size_t>(index) > items_.size()) {
      return ReportFailure(
          E_INVALIDARG, IidOf<Interface>(),
          {"Index ", std::to_string(index), " is outside 1..", std::to_string(items_.size()), "."});
    }
    return HandOut<ItemObject>(item, store_, items_[static_cast<std::size_t>(index) - 1]);
  }

 protected:
  StorePtr store_;
  const std::vector<Node>& items_;
};

template <class Interface, class ItemObject, class ItemInterface>
class NamedCollectionObject : public CollectionObject<Interface, ItemObject, ItemInterface> {
  using Base = CollectionObject<Interface, ItemObject, ItemInterface>;

 public:
  using Node = typename Base::Node;
  using Base::Base;

  HRESULT STDMETHODCALLTYPE get_ItemByName(BSTR name, ItemInterface** item) override {
    if (item == nullptr) return E_POINTER;
    *item = nullptr;
    std::string wanted;
    try {
      wanted = OleToUtf8(OleView(name));
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (const Node* found = Find(wanted)) return HandOut<ItemObject>(item, this->store_, *found);
    if (this->store_->missingItem == MissingItem::Succeed) return S_FALSE;
    return ReportFailure(IVICONFIG_E_NOT_FOUND, IidOf<Interface>(),
                         {"No ", ItemObject::kKind, " named '", wanted, "'."});
  }

 protected:
  virtual const Node* Find(std::string_view name) const { return FindByName(this->items_, name); }
};

using DataComponentCollection =
    NamedCollectionObject<IIviDataComponentCollection, DataComponentObject, IIviDataComponent>;
using NameValueCollection =
    NamedCollectionObject<IIviNameValueCollection, NameValueObject, IIviNameValue>;
using VirtualRangeCollection =
    CollectionObject<IIviVirtualRangeCollection, VirtualRangeObject, IIviVirtualRange>;
using VirtualNameCollection =
    NamedCollectionObject<IIviVirtualNameCollection, VirtualNameObject, IIviVirtualName>;
using SoftwareModuleCollection =
    NamedCollectionObject<IIviSoftwareModuleCollection, SoftwareModuleObject, IIviSoftwareModule>;

// Sessions are found by logical name first, then by their own name.
class DriverSessionCollection final
    : public NamedCollectionObject<IIviDriverSessionCollection, DriverSessionObject,
                                   IIviDriverSession> {
 public:
  using NamedCollectionObject::NamedCollectionObject;

 protected:
  const DriverSession* Find(std::string_view name) const override {
    return ResolveSession(*store_, name);
  }
};

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_COLLECTIONS_H
