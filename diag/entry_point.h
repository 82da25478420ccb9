#pragma once
// The interface entry point: the one recipe through which every member of
// every interface is entered. The entry-point layers generated from the
// member catalogue (com/entry_layers.h) call RunEntryPoint with the member's
// record, the called object, its implementation and the call's arguments.
//
// Node is the called object. It offers
//   CriticalSection& ObjectLock();   the object's own lock
//   DriverForCall();                 its driver for the call: the driver itself
//                                    (a pointer), or an item's counted
//                                    reference to its driver, which keeps the
//                                    driver alive until the call returns;
//                                    null for a detached item
//   bool IsReadyForCall();           the driver: initialized; an item: connected
//   HRESULT ReportDetached(const MemberRecord&);
//   AttributeCacheTable& AttributeCache();
// and the driver offers IsSimulating(), Reporter() and TraceLog().

#include <new>
#include <tuple>
#include <type_traits>

#include "diag/call_frame.h"
#include "diag/hresult_error.h"
#include "diag/member_record.h"
#include "diag/method_trace.h"
#include "diag/trace_param.h"
#include "platform/critical_section.h"
#include "platform/scoped_bstr.h"
#include "platform/win32.h"

namespace korvane {
namespace entry {

// Pointer parameters are the ones the caller gives storage through. A BSTR
// is a pointer too, but an input text, and a null BSTR is an empty text.
template <class T>
inline constexpr bool kIsPointerParameter =
    std::is_pointer_v<T> && !std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, OLECHAR>;

// The first null pointer parameter, in declaration order, or -1.
template <class... Args>
int FirstNullPointer(Args... args) {
  int index = 0;
  int found = -1;
  [[maybe_unused]] auto check = [&](auto arg) {
    if constexpr (kIsPointerParameter<decltype(arg)>) {
      if (found < 0 && arg == nullptr) found = index;
    }
    ++index;
  };
  (check(args), ...);
  return found;
}

// Sets every out-only pointer parameter to its empty value.
template <class... Args>
void EmptyOutputs(Args... args) {
  [[maybe_unused]] auto empty = [](auto arg) {
    if constexpr (kIsPointerParameter<decltype(arg)>) *arg = {};
  };
  (empty(args), ...);
}

// The trace record of one parameter: pointer parameters are read when the
// call ends, everything else is an input.
template <class T>
TraceParam TraceParamOf(const char* name, T value) {
  if constexpr (kIsPointerParameter<T>) {
    return TraceParam::Out(name, value);
  } else {
    return TraceParam::In(name, value);
  }
}

template <class... Args>
void AddTraceParams(CMethodTrace& trace, const MemberRecord& member, Args... args) {
  [[maybe_unused]] size_t index = 0;
  (trace.Add(TraceParamOf(member.parameterName(index++).c_str(), args)), ...);
}

// The simulation rules that the entry point applies by itself; the catalogue
// gives them only to members whose first parameter fits the rule.
template <class Node, class First, class... Rest>
HRESULT ApplySimulationRule(const MemberRecord& member, Node& node, First first, Rest...) {
  if constexpr (std::is_same_v<First, BSTR*>) {
    if (member.has(MemberFlags::SimSerialNumber)) *first = AllocBstr(OLESTR("0123456789"));
  } else if constexpr (std::is_same_v<First, VARIANT_BOOL*>) {
    if (member.has(MemberFlags::SimCacheGet)) {
      *first = node.AttributeCache().Read(member.context().qualifiedName, VARIANT_TRUE);
    } else {
      *first = VARIANT_FALSE;
    }
  } else if constexpr (std::is_same_v<First, VARIANT_BOOL>) {
    node.AttributeCache().Store(member.context().qualifiedName, first);
  } else if constexpr (std::is_pointer_v<First>) {
    *first = {};
  }
  return S_OK;
}

template <class Node>
HRESULT ApplySimulationRule(const MemberRecord&, Node&) {
  return S_OK;
}

}  // namespace entry

// Runs a step and turns what it throws into its status: out of memory
// becomes E_OUTOFMEMORY, an HResultError its own status.
template <class Step>
HRESULT Guarded(Step step) noexcept {
  try {
    return step();
  } catch (const HResultError& error) {
    return error.status();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

template <class Node, class Impl, class... Args>
HRESULT RunEntryPoint(const MemberRecord& member, Node& node, Impl impl, Args... args) noexcept {
  return Guarded([&]() -> HRESULT {
    // While tracing is on the driver's log is held for the whole call, and
    // always before the object's lock (see CTraceLog).
    using DriverForCall = decltype(node.DriverForCall());
    const DriverForCall traceDriver =
        CTraceLog::AnyEnabled() ? node.DriverForCall() : DriverForCall{};
    const TraceCallHold traceHold(traceDriver ? &traceDriver->TraceLog() : nullptr);
    CriticalSectionLock lock(node.ObjectLock());
    const auto driverForCall = node.DriverForCall();
    if (!driverForCall) return node.ReportDetached(member);
    auto& driver = *driverForCall;
    CallFrame frame(&driver, member.context());
    if (!member.has(MemberFlags::NoInit) && !node.IsReadyForCall()) {
      return driver.Reporter().ReportNotInitialized();
    }
    SetErrorInfo(0, nullptr);
    if (int index = entry::FirstNullPointer(args...); index >= 0) {
      return driver.Reporter().ReportNullPointer(member.context().wideMemberName.c_str(),
                                                 member.wideParameterName(index).c_str());
    }
    if (!member.has(MemberFlags::InOut)) entry::EmptyOutputs(args...);
    HRESULT status = S_OK;
    // A log switched on since the call began is not held: the call goes
    // untraced.
    CMethodTrace trace(&driver.TraceLog(), member.context().interfaceName,
                       member.context().memberName, &status, &traceHold);
    if (trace.active()) entry::AddTraceParams(trace, member, args...);
    trace.WriteStart();
    status = Guarded([&] {
      if (member.has(MemberFlags::kSimulationRules) && driver.IsSimulating()) {
        return entry::ApplySimulationRule(member, node, args...);
      }
      return (node.*impl)(args...);
    });
    trace.Close();
    if (trace.faulted() && status == S_OK) {
      // The call's own result stands; its error information says why the
      // trace stopped.
      driver.Reporter().ReportCustomError(driver.TraceLog().fault(),
                                          driver.TraceLog().startFailure().c_str());
    }
    return status;
  });
}

}  // namespace korvane
