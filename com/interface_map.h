#pragma once
// The table of interfaces an object answers to QueryInterface, written as a
// type list: Face<IKorvane> answers IID_IKorvane with the IKorvane pointer,
// Face<IIviDriver, IKorvane> answers IID_IIviDriver with that same pointer.

#include "com/interfaces.h"
#include "platform/same_id.h"
#include "platform/win32.h"

namespace korvane {

template <class Interface, class Via = Interface>
struct Face {
  using Id = Interface;
  template <class T>
  static void* Find(T* object, REFIID riid) {
    return SameId(riid, IidOf<Interface>()) ? static_cast<Via*>(object) : nullptr;
  }
};

// The first face whose id matches, or null. IUnknown is answered with the
// first face: the object's identity.
template <class T, class First, class... Rest>
void* FindInterface(T* object, REFIID riid) {
  if (SameId(riid, IID_IUnknown)) return First::Find(object, IidOf<typename First::Id>());
  void* found = First::Find(object, riid);
  ((found = found ? found : Rest::Find(object, riid)), ...);
  return found;
}

}  // namespace korvane
