// The COM runtime: apartments, class lookup and object creation, in-process
// class registration, ProgIDs, task memory and the Global Interface Table.
#pragma once

#include "platform/posix/oleauto.h"

// --- Apartments -------------------------------------------------------------
enum COINIT : DWORD {
  COINIT_MULTITHREADED = 0x0,
  COINIT_APARTMENTTHREADED = 0x2,
  COINIT_DISABLE_OLE1DDE = 0x4,
  COINIT_SPEED_OVER_MEMORY = 0x8,
};

// Enters the calling thread into COM. The first call of a thread returns S_OK,
// later ones S_FALSE (each must be matched by CoUninitialize); asking for the
// other apartment model than the thread already has fails with
// RPC_E_CHANGED_MODE and counts nothing. Apartments only decide whether the
// thread may use COM: every interface pointer is usable from every thread.
extern "C" HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
extern "C" HRESULT CoInitialize(LPVOID reserved);  // single-threaded apartment
extern "C" void CoUninitialize();

// --- Object creation --------------------------------------------------------
enum CLSCTX : DWORD {
  CLSCTX_INPROC_SERVER = 0x1,
  CLSCTX_INPROC_HANDLER = 0x2,
  CLSCTX_LOCAL_SERVER = 0x4,
  CLSCTX_REMOTE_SERVER = 0x10,
  CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
  CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
  CLSCTX_ALL =
      CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
};

enum REGCLS : DWORD {
  REGCLS_SINGLEUSE = 0,
  REGCLS_MULTIPLEUSE = 1,
  REGCLS_MULTI_SEPARATE = 2,
  REGCLS_SUSPENDED = 4,
  REGCLS_SURROGATE = 8,
};

// A thread may create objects once it is in COM (or while some thread keeps the
// multithreaded apartment open); otherwise CO_E_NOTINITIALIZED.
// Classes are found first among the class objects registered in this process
// with CoRegisterClassObject, then in the registry: the default value of
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 names the module, which is
// loaded (and stays loaded) and asked through its DllGetClassObject.
extern "C" HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved,
                                    REFIID riid, LPVOID* ppv);
extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                    REFIID riid, LPVOID* ppv);
extern "C" HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext,
                                         DWORD flags, LPDWORD lpdwRegister);
extern "C" HRESULT CoRevokeClassObject(DWORD dwRegister);
// Modules loaded for COM stay loaded for the life of the process.
extern "C" void CoFreeUnusedLibraries();
extern "C" HRESULT OleRun(LPUNKNOWN pUnknown);

// The entry points of an in-process server module.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
STDAPI DllCanUnloadNow();
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();

// --- ProgIDs and GUID text --------------------------------------------------
// HKEY_CLASSES_ROOT\<ProgID>\CLSID, default value.
extern "C" HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
// HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID, default value, in task memory.
extern "C" HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);
// "{...}" in task memory.
extern "C" HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz);
extern "C" HRESULT StringFromIID(REFIID rclsid, LPOLESTR* lplpsz);

// --- Task memory ------------------------------------------------------------
extern "C" LPVOID CoTaskMemAlloc(SIZE_T cb);
extern "C" LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
extern "C" void CoTaskMemFree(LPVOID pv);

// --- Global Interface Table -------------------------------------------------
inline constexpr IID IID_IGlobalInterfaceTable = {
    0x00000146, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr CLSID CLSID_StdGlobalInterfaceTable = {
    0x00000323, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The process-wide table, created with CoCreateInstance of
// CLSID_StdGlobalInterfaceTable. Registration keeps a reference until the
// cookie is revoked; retrieval hands out a new reference on any thread; an
// unknown cookie fails with E_INVALIDARG.
struct IGlobalInterfaceTable : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid,
                                                              DWORD* pdwCookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD dwCookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid,
                                                           void** ppv) = 0;

 protected:
  ~IGlobalInterfaceTable() = default;
};
