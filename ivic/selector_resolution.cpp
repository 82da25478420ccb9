#include "ivic/selector_resolution.h"

#include <algorithm>

#include "ivic/session_bridge.h"
#include "standins/ivi_session/ivi_session.h"

namespace korvane::ivic {
namespace {

struct FaultReport {
  ViStatus status;
  const char* message;
};

FaultReport ReportOf(SelectorFault fault) {
  switch (fault) {
    case SelectorFault::kInvalidRange:
      return {IVI_ERROR_INVALID_RANGE_IN_SELECTOR,
              "Invalid range specified in repeated capability selector."};
    case SelectorFault::kInconsistentLevels:
      return {IVI_ERROR_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR,
              "Invalid or inconsistent number of levels specified in repeated capability "
              "selector."};
    case SelectorFault::kBadlyFormed:
      break;
  }
  return {IVI_ERROR_BADLY_FORMED_SELECTOR, "The repeated capability selector is badly-formed."};
}

// The item named `name` of the session's collection of one kind, as the wanted face.
template <class Collection, class Item>
ViStatus ItemOf(ViSession vi, std::string_view name, ComPtr<Item>& item) {
  ComPtr<Collection> collection;
  if (const ViStatus status = DriverFace(vi, collection)) return status;
  const ScopedBstr bstr = ToBstr(name);
  return TranslateResult(vi, collection->get_Item(bstr.Get(), item.GetAddressOf()));
}

template <class Collection, class Item>
ViStatus ResolveItems(ViSession vi, ViConstString text, bool rangesAllowed, ItemList<Item>& items) {
  Selector selector(text);
  if (const ViStatus status = selector.Parse(vi, rangesAllowed)) return status;
  for (size_t i = 0; i < selector.PathCount(); ++i) {
    ComPtr<Item> item;
    // Only the first level names an item of these collections; further levels are not used.
    if (const ViStatus status = ItemOf<Collection>(vi, selector.FirstName(i), item)) return status;
    items.push_back(std::move(item));
  }
  return VI_SUCCESS;
}

}  // namespace

bool IsPlainName(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '!';
  });
}

ViStatus Selector::Parse(ViSession vi, bool rangesAllowed) {
  if (parsed_) return status_;
  parsed_ = true;
  // The common case, one plain name, needs neither the parser nor any allocation.
  plainName_ = IsPlainName(text_);
  if (plainName_) return VI_SUCCESS;
  SelectorParse parse = ParseSelector(text_, rangesAllowed);
  if (parse.fault) {
    const FaultReport report = ReportOf(*parse.fault);
    const ViStatus stored = IviSession_SetError(vi, report.status, report.message);
    status_ = stored != VI_SUCCESS ? stored : report.status;
    return status_;
  }
  paths_ = std::move(parse.paths);
  return VI_SUCCESS;
}

ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneTemperatureSensor>& items) {
  return ResolveItems<IKorvaneTemperatureSensors>(vi, text, rangesAllowed, items);
}

ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneFan>& items) {
  return ResolveItems<IKorvaneFans>(vi, text, rangesAllowed, items);
}

ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneVoltageRail>& items) {
  return ResolveItems<IKorvaneVoltageRails>(vi, text, rangesAllowed, items);
}

ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneVoltageRailAlarm>& items) {
  ItemList<IKorvaneVoltageRail> rails;
  const ViStatus resolved = ResolveSelector(vi, text, rangesAllowed, rails);
  for (const ComPtr<IKorvaneVoltageRail>& rail : rails) {
    ComPtr<IKorvaneVoltageRailAlarm> alarm;
    if (const ViStatus status = QueryFace(vi, rail.Get(), alarm)) return status;
    items.push_back(std::move(alarm));
  }
  return resolved;
}

}  // namespace korvane::ivic
