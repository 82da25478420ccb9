// IidOf<I>(): the interface identifier of interface I, the same on both builds.
//
// Every interface declares its identifier next to its declaration by
// specialising the template:
//
//   struct IKorvaneFan : IUnknown { ... };
//   inline constexpr IID IID_IKorvaneFan = {0x...};
//   template <>
//   inline const IID& IidOf<IKorvaneFan>() { return IID_IKorvaneFan; }
//
// and code names it as IidOf<IKorvaneFan>(), for example in
// object->QueryInterface(IidOf<IKorvaneFan>(), reinterpret_cast<void**>(&fan)).
// Asking for an interface without a specialisation does not compile.
// Included through "platform/win32.h", which declares the interfaces named here.
#pragma once

template <class Interface>
const IID& IidOf() = delete;

template <>
inline const IID& IidOf<IUnknown>() {
  return IID_IUnknown;
}
template <>
inline const IID& IidOf<IClassFactory>() {
  return IID_IClassFactory;
}
template <>
inline const IID& IidOf<IDispatch>() {
  return IID_IDispatch;
}
template <>
inline const IID& IidOf<ITypeInfo>() {
  return IID_ITypeInfo;
}
template <>
inline const IID& IidOf<ITypeLib>() {
  return IID_ITypeLib;
}
template <>
inline const IID& IidOf<IErrorInfo>() {
  return IID_IErrorInfo;
}
template <>
inline const IID& IidOf<ICreateErrorInfo>() {
  return IID_ICreateErrorInfo;
}
template <>
inline const IID& IidOf<ISupportErrorInfo>() {
  return IID_ISupportErrorInfo;
}
template <>
inline const IID& IidOf<IGlobalInterfaceTable>() {
  return IID_IGlobalInterfaceTable;
}
template <>
inline const IID& IidOf<IProvideClassInfo>() {
  return IID_IProvideClassInfo;
}
template <>
inline const IID& IidOf<IProvideClassInfo2>() {
  return IID_IProvideClassInfo2;
}
