// The IVI configuration store as a COM component: its class and interface identifiers, its
// interfaces and its status codes. This is all a client needs; the server lives in the module
// IviConfigServer, created with CoCreateInstance(CLSID_IviConfigStore, ...) once registered
// (DllRegisterServer), or registered in-process (standins/ivi_config/in_process_registration.h).
//
// Conventions of every interface below:
// - texts are BSTRs; [in] texts may be null (the empty text); [out] texts are new BSTRs the caller
//   frees with SysFreeString;
// - booleans are VARIANT_BOOL (VARIANT_TRUE is -1);
// - [out] interfaces carry a new counted reference the caller releases;
// - a null [out] pointer fails with E_POINTER, no memory with E_OUTOFMEMORY;
// - "S_FALSE and a null pointer" means: there is none (an optional part that is absent, or a
//   lookup by name that found nothing in a store whose file says "MissingItem = Succeed");
// - failures other than E_POINTER leave a COM error object (SetErrorInfo) with a description.
//
// Objects read from a store never change: deserializing again gives new objects and leaves the
// ones already handed out as they were. Every object may be used from any thread.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_IVI_CONFIG_SERVER_H
#define KORVANE_PLATFORM_IVI_CONFIG_IVI_CONFIG_SERVER_H

#include "platform/win32.h"

// --- Status codes -------------------------------------------------------------------------------
// Deserialize: no file at the location (or an empty location): there is no configuration store.
inline constexpr HRESULT IVICONFIG_E_NO_STORE = static_cast<HRESULT>(0x80040A01);
// Deserialize: the file exists but cannot be read.
inline constexpr HRESULT IVICONFIG_E_CANNOT_READ = static_cast<HRESULT>(0x80040A02);
// Deserialize: the file does not follow the store format; the description names the line.
inline constexpr HRESULT IVICONFIG_E_BAD_FORMAT = static_cast<HRESULT>(0x80040A03);
// get_ItemByName found nothing, in a store whose file says "MissingItem = Fail" (the default).
inline constexpr HRESULT IVICONFIG_E_NOT_FOUND = static_cast<HRESULT>(0x80040A04);
// A typed value read from a data component of another type (for example get_IntegerValue of a
// "String"), or the components of a data component that is no "Structure".
inline constexpr HRESULT IVICONFIG_E_TYPE_MISMATCH = static_cast<HRESULT>(0x80040A05);
// get_Item with an index outside 1..Count: E_INVALIDARG.

// --- Identifiers --------------------------------------------------------------------------------
// {145815EC-4510-408E-96B3-1770198F3F20}
inline constexpr CLSID CLSID_IviConfigStore = {
    0x145815EC, 0x4510, 0x408E, {0x96, 0xB3, 0x17, 0x70, 0x19, 0x8F, 0x3F, 0x20}};
// The class's registry key below HKEY_CLASSES_ROOT\CLSID.
inline constexpr const OLECHAR* kIviConfigStoreClsidText =
    OLESTR("{145815EC-4510-408E-96B3-1770198F3F20}");

inline constexpr IID IID_IIviConfigStore = {
    0x59BBF1EA, 0x87EF, 0x43F8, {0x9D, 0xDA, 0x43, 0x84, 0x92, 0x06, 0x91, 0x71}};
inline constexpr IID IID_IIviDriverSession = {
    0xFEE58593, 0x90C2, 0x4607, {0x9B, 0x28, 0x4E, 0x0B, 0xED, 0x34, 0x49, 0x64}};
inline constexpr IID IID_IIviHardwareAsset = {
    0xD9931105, 0xB1E9, 0x40F2, {0x83, 0x32, 0xD4, 0x02, 0xB7, 0x9E, 0x91, 0x08}};
inline constexpr IID IID_IIviSoftwareModule = {
    0xC0C750CD, 0x98BE, 0x4F78, {0x93, 0x2D, 0x1A, 0xD6, 0x6C, 0xE0, 0xDE, 0xB8}};
inline constexpr IID IID_IIviVirtualName = {
    0x2A16D81E, 0x3019, 0x4C37, {0xBC, 0x67, 0x7F, 0xCA, 0x38, 0xD2, 0x4B, 0xF4}};
inline constexpr IID IID_IIviVirtualRange = {
    0x2DFCA73F, 0xCF12, 0x4735, {0x93, 0x06, 0xE2, 0xF4, 0xE7, 0x10, 0x9C, 0x3E}};
inline constexpr IID IID_IIviDataComponent = {
    0x89B5FC22, 0x68CD, 0x4168, {0x93, 0x83, 0xF9, 0xE6, 0x59, 0x5B, 0xEB, 0x7B}};
inline constexpr IID IID_IIviNameValue = {
    0x7BF20A96, 0x9CA8, 0x4BFD, {0xB9, 0x5C, 0x2F, 0xD0, 0x15, 0xE6, 0xDF, 0x0A}};
inline constexpr IID IID_IIviDriverSessionCollection = {
    0x129761E5, 0xDD6A, 0x4C19, {0xB7, 0x6C, 0x95, 0xB3, 0x5B, 0xCB, 0x87, 0xBB}};
inline constexpr IID IID_IIviSoftwareModuleCollection = {
    0xB158027C, 0xDB78, 0x42E7, {0x9D, 0xCF, 0xDE, 0xF2, 0x2C, 0x63, 0x49, 0x09}};
inline constexpr IID IID_IIviVirtualNameCollection = {
    0x0A5E0662, 0x63CC, 0x4CA6, {0x9A, 0x87, 0x27, 0x6C, 0x28, 0x43, 0x4C, 0xBB}};
inline constexpr IID IID_IIviVirtualRangeCollection = {
    0x109934F9, 0x50A6, 0x4D3E, {0xB7, 0x5B, 0xEF, 0x6F, 0x3A, 0xCA, 0xDD, 0x30}};
inline constexpr IID IID_IIviDataComponentCollection = {
    0x49A1A559, 0x2400, 0x408A, {0xBE, 0x18, 0xCD, 0xB7, 0x64, 0x0E, 0xC6, 0x08}};
inline constexpr IID IID_IIviNameValueCollection = {
    0x5AE8DD92, 0xD0A7, 0x48FE, {0x9D, 0xAC, 0xEF, 0xE2, 0xA2, 0xE8, 0xB0, 0xED}};

// --- Collections --------------------------------------------------------------------------------
// Items in the order of the store file.
template <class Item>
struct IIviCollection : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
  // One-based; E_INVALIDARG outside 1..Count.
  virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, Item** item) = 0;

 protected:
  ~IIviCollection() = default;
};

// A collection whose items have names. get_ItemByName compares names exactly (letter case
// included); when no item has the name it fails with IVICONFIG_E_NOT_FOUND or, if the store file
// says "MissingItem = Succeed", returns S_FALSE with a null item.
template <class Item>
struct IIviNamedCollection : IIviCollection<Item> {
  virtual HRESULT STDMETHODCALLTYPE get_ItemByName(BSTR name, Item** item) = 0;

 protected:
  ~IIviNamedCollection() = default;
};

struct IIviDataComponent;
struct IIviDataComponentCollection : IIviNamedCollection<IIviDataComponent> {
 protected:
  ~IIviDataComponentCollection() = default;
};

struct IIviNameValue;
struct IIviNameValueCollection : IIviNamedCollection<IIviNameValue> {
 protected:
  ~IIviNameValueCollection() = default;
};

struct IIviVirtualRange;
struct IIviVirtualRangeCollection : IIviCollection<IIviVirtualRange> {
 protected:
  ~IIviVirtualRangeCollection() = default;
};

struct IIviVirtualName;
struct IIviVirtualNameCollection : IIviNamedCollection<IIviVirtualName> {
 protected:
  ~IIviVirtualNameCollection() = default;
};

struct IIviSoftwareModule;
struct IIviSoftwareModuleCollection : IIviNamedCollection<IIviSoftwareModule> {
 protected:
  ~IIviSoftwareModuleCollection() = default;
};

// get_ItemByName takes a logical name or a session name: a logical name stands for the session
// it maps to, and wins over a session of the same name.
struct IIviDriverSession;
struct IIviDriverSessionCollection : IIviNamedCollection<IIviDriverSession> {
 protected:
  ~IIviDriverSessionCollection() = default;
};

// --- Items --------------------------------------------------------------------------------------
// A named, typed value. get_Type gives "Boolean", "Integer", "Real", "String", "Structure" or
// "APIReference". Each typed getter answers for its own type only (get_StringValue also for
// "APIReference", whose value is the referenced name); get_DataComponents for "Structure" only.
// Other combinations: IVICONFIG_E_TYPE_MISMATCH.
struct IIviDataComponent : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BooleanValue(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IntegerValue(LONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RealValue(DOUBLE* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_StringValue(BSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  get_DataComponents(IIviDataComponentCollection** components) = 0;

 protected:
  ~IIviDataComponent() = default;
};

// One entry of a software module's name table.
struct IIviNameValue : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;

 protected:
  ~IIviNameValue() = default;
};

// Min..Max stand for the numbered names "%s%d" of the virtual name (Min to Max), which map to the
// numbered names of the map-to name from StartingPhysicalIndex on.
struct IIviVirtualRange : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Min(LONG* min) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Max(LONG* max) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_StartingPhysicalIndex(LONG* index) = 0;

 protected:
  ~IIviVirtualRange() = default;
};

struct IIviVirtualName : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MapTo(BSTR* mapTo) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_VirtualRanges(IIviVirtualRangeCollection** ranges) = 0;

 protected:
  ~IIviVirtualName() = default;
};

struct IIviHardwareAsset : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IOResourceDescriptor(BSTR* descriptor) = 0;

 protected:
  ~IIviHardwareAsset() = default;
};

struct IIviSoftwareModule : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  get_DataComponents(IIviDataComponentCollection** components) = 0;
  // The module's table of names and texts, in file order.
  virtual HRESULT STDMETHODCALLTYPE get_NameTable(IIviNameValueCollection** table) = 0;

 protected:
  ~IIviSoftwareModule() = default;
};

struct IIviDriverSession : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  // S_FALSE and null when the session names no hardware asset.
  virtual HRESULT STDMETHODCALLTYPE get_HardwareAsset(IIviHardwareAsset** asset) = 0;
  // S_FALSE and null when the session names no software module.
  virtual HRESULT STDMETHODCALLTYPE get_SoftwareModule(IIviSoftwareModule** module) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Cache(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_InterchangeCheck(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_QueryInstrStatus(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RangeCheck(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RecordCoercions(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Simulate(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DriverSetup(BSTR* driverSetup) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_VirtualNames(IIviVirtualNameCollection** names) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  get_DataComponents(IIviDataComponentCollection** components) = 0;

 protected:
  ~IIviDriverSession() = default;
};

// The store. It starts empty; Deserialize reads a store file and replaces the contents.
struct IIviConfigStore : IUnknown {
  // The file named by the environment variable KORVANE_IVI_CONFIG, or the empty text.
  virtual HRESULT STDMETHODCALLTYPE get_ProcessDefaultLocation(BSTR* location) = 0;
  // The user's store file: IviConfigurationStore.ini in the user's "korvane" configuration
  // folder (on Windows %APPDATA%\Korvane, elsewhere $XDG_CONFIG_HOME/korvane or
  // ~/.config/korvane). The file need not exist.
  virtual HRESULT STDMETHODCALLTYPE get_MasterLocation(BSTR* location) = 0;
  // Reads the file at location. IVICONFIG_E_NO_STORE when there is no file there,
  // IVICONFIG_E_CANNOT_READ or IVICONFIG_E_BAD_FORMAT otherwise; a failure keeps the contents.
  virtual HRESULT STDMETHODCALLTYPE Deserialize(BSTR location) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DriverSessions(IIviDriverSessionCollection** sessions) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SoftwareModules(IIviSoftwareModuleCollection** modules) = 0;

 protected:
  ~IIviConfigStore() = default;
};

template <>
inline const IID& IidOf<IIviConfigStore>() {
  return IID_IIviConfigStore;
}
template <>
inline const IID& IidOf<IIviDriverSession>() {
  return IID_IIviDriverSession;
}
template <>
inline const IID& IidOf<IIviHardwareAsset>() {
  return IID_IIviHardwareAsset;
}
template <>
inline const IID& IidOf<IIviSoftwareModule>() {
  return IID_IIviSoftwareModule;
}
template <>
inline const IID& IidOf<IIviVirtualName>() {
  return IID_IIviVirtualName;
}
template <>
inline const IID& IidOf<IIviVirtualRange>() {
  return IID_IIviVirtualRange;
}
template <>
inline const IID& IidOf<IIviDataComponent>() {
  return IID_IIviDataComponent;
}
template <>
inline const IID& IidOf<IIviNameValue>() {
  return IID_IIviNameValue;
}
template <>
inline const IID& IidOf<IIviDriverSessionCollection>() {
  return IID_IIviDriverSessionCollection;
}
template <>
inline const IID& IidOf<IIviSoftwareModuleCollection>() {
  return IID_IIviSoftwareModuleCollection;
}
template <>
inline const IID& IidOf<IIviVirtualNameCollection>() {
  return IID_IIviVirtualNameCollection;
}
template <>
inline const IID& IidOf<IIviVirtualRangeCollection>() {
  return IID_IIviVirtualRangeCollection;
}
template <>
inline const IID& IidOf<IIviDataComponentCollection>() {
  return IID_IIviDataComponentCollection;
}
template <>
inline const IID& IidOf<IIviNameValueCollection>() {
  return IID_IIviNameValueCollection;
}

#endif  // KORVANE_PLATFORM_IVI_CONFIG_IVI_CONFIG_SERVER_H
