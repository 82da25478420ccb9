// Repeated capability selectors on the C face: a selector parsed at most once per call, its
// faults stored on the session with their IVI-C statuses, and its resolution to the item
// objects of one kind.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com/interfaces.h"
#include "ivic/Korvane.h"
#include "platform/com_ptr.h"
#include "repcap/selector.h"

namespace korvane::ivic {

// One selector of one call: parsing runs at most once; later requests return its result.
class Selector {
 public:
  explicit Selector(ViConstString text) : text_(text == nullptr ? "" : text) {}

  // 0 and the paths, or the fault's status with its message stored on the session.
  ViStatus Parse(ViSession vi, bool rangesAllowed);
  // After a successful parse: the number of paths and the first-level name of path i.
  size_t PathCount() const { return plainName_ ? 1 : paths_.size(); }
  std::string_view FirstName(size_t i) const { return plainName_ ? text_ : paths_[i].front(); }

 private:
  std::string_view text_;
  bool parsed_ = false;
  bool plainName_ = false;  // the text is one name alone: its one path is the text itself
  ViStatus status_ = VI_SUCCESS;
  std::vector<SelectorPath> paths_;
};

// True for a text that is one name of the selector's name characters and nothing else, which
// parses into exactly one path of that one name.
bool IsPlainName(std::string_view text);

// The item faces a selector names, one counted reference each, in path order.
template <class Item>
using ItemList = std::vector<ComPtr<Item>>;

// Resolves a selector to the items of one kind: temperature sensors, fans, voltage rails, or
// voltage rails taken as their alarm faces. Returns 0, or the first failure with the items
// collected before it left in the list.
ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneTemperatureSensor>& items);
ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneFan>& items);
ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneVoltageRail>& items);
ViStatus ResolveSelector(ViSession vi, ViConstString text, bool rangesAllowed,
                         ItemList<IKorvaneVoltageRailAlarm>& items);

}  // namespace korvane::ivic
