#pragma once
// The table of interfaces an object answers to QueryInterface, written as a
// type list: Face<IKorvane> answers IID_IKorvane with the IKorvane pointer,
// Face<IIviDriver, IKorvane> answers IID_IIviDriver with that same pointer.

#include <cstdint>
#include <cstring>

#include "com/interfaces.h"
#include "platform/win32.h"

namespace korvane {

// Whether two interface ids are equal, as two 64-bit words: a query walks the
// whole table for an interface near its end, and a byte-wise comparison
// called once per face cost as much as the call the client then makes.
inline bool SameId(REFIID a, REFIID b) {
  uint64_t wordsA[2];
  uint64_t wordsB[2];
  static_assert(sizeof wordsA == sizeof(IID));
  std::memcpy(wordsA, &a, sizeof wordsA);
  std::memcpy(wordsB, &b, sizeof wordsB);
  return ((wordsA[0] ^ wordsB[0]) | (wordsA[1] ^ wordsB[1])) == 0;
}

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
