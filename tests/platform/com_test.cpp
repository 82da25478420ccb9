// The COM runtime: apartments, object creation from registered class objects
// and from in-process servers in the registry, ProgIDs, the Global Interface
// Table and GUID text.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "counted_object.h"
#include "platform/ole_string.h"
#include "platform/win32.h"
#include "test_server/echo.h"
#include "tests/support/gate.h"
#include "wine_probe.h"

namespace {

using korvane::test::CountedObject;
using korvane::test::EchoFactory;

// Runs body on a new thread, inside the multithreaded apartment.
template <class Body>
void OnMultithreadedThread(Body body) {
  std::thread thread([&body] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    body();
    CoUninitialize();
  });
  thread.join();
}

OleString GuidText(REFGUID guid) {
  OLECHAR text[39];
  EXPECT_EQ(StringFromGUID2(guid, text, 39), 39);
  return text;
}

TEST(Apartment, EntriesAreCountedPerThread) {
  std::thread thread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();
    // Left completely: the thread may choose again.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();
  });
  thread.join();
}

TEST(Apartment, ObjectsNeedCom) {
  std::thread thread([] {
    IUnknown* table = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IUnknown, reinterpret_cast<void**>(&table)),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(table, nullptr);
  });
  thread.join();
}

TEST(GlobalInterfaceTable, HandsTheObjectToAnotherThreadAndReleasesItOnRevoke) {
  CountedObject object;
  object.AddRef();
  OnMultithreadedThread([&object] {
    IGlobalInterfaceTable* table = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr,
                               CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                                   CLSCTX_REMOTE_SERVER,
                               IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table)),
              S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(table->RegisterInterfaceInGlobal(&object, IID_IUnknown, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_GT(object.references(), 1) << "the table holds the object";

    IUnknown* fetched = nullptr;
    OnMultithreadedThread([&] {
      IGlobalInterfaceTable* sameTable = nullptr;
      ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&sameTable)),
                S_OK);
      EXPECT_EQ(sameTable->GetInterfaceFromGlobal(cookie, IID_IUnknown,
                                                  reinterpret_cast<void**>(&fetched)),
                S_OK);
      sameTable->Release();
    });
    EXPECT_EQ(fetched, static_cast<IUnknown*>(&object));
    if (fetched != nullptr) fetched->Release();

    EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_EQ(object.references(), 1) << "revoking released the table's references";
    IUnknown* gone = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IUnknown, reinterpret_cast<void**>(&gone)),
              E_INVALIDARG);
    EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
    table->Release();
  });
  EXPECT_EQ(object.references(), 1);
}

// Stops the thread that takes a reference at a gate while the gate is armed.
class GatedObject final : public IUnknown {
 public:
  explicit GatedObject(korvane::testing::Gate& gate) : gate_(gate) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    if (armed_) gate_.Pass();
    return counted_.AddRef();
  }
  ULONG STDMETHODCALLTYPE Release() override { return counted_.Release(); }
  void Arm() { armed_ = true; }

 private:
  korvane::testing::Gate& gate_;
  CountedObject counted_;
  std::atomic<bool> armed_{false};
};

// Fetches share the table: a thread held inside an object's AddRef in the middle of its fetch
// does not hold up another thread's fetch (a table that made them queue, or put two live threads
// on one lock, never lets the second fetch return). The system's own table on Windows is not
// this layer's to test.
TEST(GlobalInterfaceTable, AFetchHeldInsideTheObjectDoesNotHoldUpAnotherThreadsFetch) {
  if (korvane::test::RunningOnWindows()) GTEST_SKIP() << "the system's table";
  korvane::testing::Gate gate;
  GatedObject held(gate);
  CountedObject other;
  DWORD heldCookie = 0, otherCookie = 0;
  OnMultithreadedThread([&] {
    IGlobalInterfaceTable* table = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table)),
              S_OK);
    ASSERT_EQ(table->RegisterInterfaceInGlobal(&held, IID_IUnknown, &heldCookie), S_OK);
    ASSERT_EQ(table->RegisterInterfaceInGlobal(&other, IID_IUnknown, &otherCookie), S_OK);
    held.Arm();
    IUnknown* first = nullptr;
    std::thread holder([&] {
      OnMultithreadedThread([&] {
        table->GetInterfaceFromGlobal(heldCookie, IID_IUnknown, reinterpret_cast<void**>(&first));
      });
    });
    gate.AwaitArrivals(1);
    IUnknown* second = nullptr;
    OnMultithreadedThread([&] {
      EXPECT_EQ(table->GetInterfaceFromGlobal(otherCookie, IID_IUnknown,
                                              reinterpret_cast<void**>(&second)),
                S_OK);
    });
    EXPECT_EQ(second, static_cast<IUnknown*>(&other));
    gate.Open();
    holder.join();
    EXPECT_EQ(first, static_cast<IUnknown*>(&held));
    if (first != nullptr) first->Release();
    if (second != nullptr) second->Release();
    EXPECT_EQ(table->RevokeInterfaceFromGlobal(heldCookie), S_OK);
    EXPECT_EQ(table->RevokeInterfaceFromGlobal(otherCookie), S_OK);
    table->Release();
  });
}

TEST(ClassObject, RegisteredInProcessWithoutTheRegistry) {
  const CLSID inProcessOnly = {
      0x6C1D2A12, 0x3F4B, 0x4E8A, {0x9B, 0x71, 0x2D, 0x55, 0x0E, 0x14, 0xA7, 0x03}};
  EchoFactory factory;
  OnMultithreadedThread([&] {
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(inProcessOnly, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    for (int attempt = 0; attempt < 2; ++attempt) {
      ITestEcho* echo = nullptr;
      ASSERT_EQ(CoCreateInstance(inProcessOnly, nullptr, CLSCTX_INPROC_SERVER, IidOf<ITestEcho>(),
                                 reinterpret_cast<void**>(&echo)),
                S_OK);
      LONG doubled = 0;
      EXPECT_EQ(echo->Twice(4, &doubled), S_OK);
      EXPECT_EQ(doubled, 8);
      echo->Release();
    }
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.references(), 0) << "revoking released the class object";
    IUnknown* none = nullptr;
    EXPECT_EQ(CoCreateInstance(inProcessOnly, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&none)),
              REGDB_E_CLASSNOTREG);
  });
}

TEST(ClassObject, UnknownClassesAndProgIds) {
  const CLSID unknown = {
      0x6C1D2A13, 0x3F4B, 0x4E8A, {0x9B, 0x71, 0x2D, 0x55, 0x0E, 0x14, 0xA7, 0x04}};
  OnMultithreadedThread([&] {
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
  });
  LPOLESTR progId = nullptr;
  EXPECT_EQ(ProgIDFromCLSID(unknown, &progId), REGDB_E_CLASSNOTREG);
  CLSID clsid = CLSID_TestEchoServer;
  EXPECT_EQ(CLSIDFromProgID(OLESTR("Korvane.NoSuchProgId"), &clsid), CO_E_CLASSSTRING);
}

TEST(Registry, WritersInSeveralProcessesLoseNothing) {
  const std::string name = "KorvaneTest_writers_" + std::to_string(GetCurrentProcessId());
  const OleString key = OLESTR("Software\\") + AnsiToOle(name);
  constexpr int kWriters = 3;
  constexpr int kValuesEach = 15;
  std::vector<std::thread> writers;
  std::vector<int> results(kWriters, -1);
  for (int i = 0; i < kWriters; ++i) {
    writers.emplace_back([&, i] {
      results[i] = korvane::test::RunChild("write " + name + " w" + std::to_string(i) + " " +
                                           std::to_string(kValuesEach));
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (int result : results) EXPECT_EQ(result, 0);

  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
  DWORD values = 0;
  EXPECT_EQ(RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, static_cast<DWORD>(kWriters * kValuesEach));
  RegCloseKey(opened);
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

TEST(Guid, TextFormRoundTrips) {
  const GUID guid = {0x47ED5184, 0xA398, 0x11D4, {0xBA, 0x58, 0x00, 0x00, 0x64, 0x65, 0x73, 0x74}};
  const OleString text = GuidText(guid);
  EXPECT_TRUE(text == OLESTR("{47ED5184-A398-11D4-BA58-000064657374}"));
  OLECHAR small[38];
  EXPECT_EQ(StringFromGUID2(guid, small, 38), 0) << "no room for the terminator";

  struct Case {
    const OLECHAR* text;
    bool valid;
  };
  const Case cases[] = {
      {OLESTR("{47ED5184-A398-11D4-BA58-000064657374}"), true},
      {OLESTR("{47ed5184-a398-11d4-ba58-000064657374}"), true},
      {OLESTR("{47ED5184-A398-11D4-BA58-00006465737}"), false},
      {OLESTR("{47ED5184-A398-11D4-BA58+000064657374}"), false},
      {OLESTR("{47ED5184-A398-11D4-BA58-00006465737G}"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(OleToAnsi(c.text));
    IID iid = IID_NULL;
    CLSID clsid = CLSID_NULL;
    const HRESULT fromIid = IIDFromString(c.text, &iid);
    const HRESULT fromClsid = CLSIDFromString(c.text, &clsid);
    if (c.valid) {
      EXPECT_EQ(fromIid, S_OK);
      EXPECT_EQ(fromClsid, S_OK);
      EXPECT_TRUE(IsEqualGUID(iid, guid));
      EXPECT_TRUE(IsEqualGUID(clsid, guid));
    } else {
      EXPECT_TRUE(FAILED(fromIid));
      EXPECT_EQ(fromClsid, CO_E_CLASSSTRING);
    }
  }
}

}  // namespace
