// The IviConfigServer module as COM uses it: self-registration for the current user, creation
// through the registry, its class object and DllCanUnloadNow.
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/ivi_config/com_test_support.h"
#include "tests/ivi_config/sample_store.h"

namespace {

testing::Environment* const comEnvironment = testing::AddGlobalTestEnvironment(new ComEnvironment);

constexpr DWORD kAllContexts = 23;

// The module under test, loaded from the test program's folder for the whole test.
class ServerModule : public testing::Test {
 protected:
  using EntryPoint = HRESULT(STDAPICALLTYPE*)();
  using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

  void SetUp() override {
    module_ = LoadLibraryW(korvane::testing::Utf16(IVI_CONFIG_SERVER_MODULE).c_str());
    ASSERT_NE(module_, nullptr) << IVI_CONFIG_SERVER_MODULE;
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  template <class Function>
  Function Entry(const char* name) const {
    const FARPROC address = GetProcAddress(module_, name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  }

  OleString ModulePath() const {
    OleString path(1024, OLECHAR{});
    path.resize(GetModuleFileNameW(module_, path.data(), static_cast<DWORD>(path.size())));
    return path;
  }

  static OleString ServerKey() {
    return OleString(OLESTR("Software\\Classes\\CLSID\\")) + kIviConfigStoreClsidText +
           OLESTR("\\InprocServer32");
  }

  // A REG_SZ value of the class's InprocServer32 key below root; nothing if absent.
  static std::optional<OleString> ServerValue(HKEY root, const OLECHAR* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, ServerKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    OleString value(1024, OLECHAR{});
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(OLECHAR));
    DWORD type = REG_NONE;
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    value.resize(bytes / sizeof(OLECHAR));
    while (!value.empty() && value.back() == OLECHAR{}) value.pop_back();
    return value;
  }

  HMODULE module_ = nullptr;
};

TEST_F(ServerModule, RegistersForTheCurrentUserOrTheMachine) {
  const auto install = Entry<Install>("DllInstall");
  struct Case {
    const char* how;
    std::function<HRESULT()> registerServer;
    std::function<HRESULT()> unregisterServer;
    HKEY root;
  };
  const Case cases[] = {
      {"DllRegisterServer", Entry<EntryPoint>("DllRegisterServer"),
       Entry<EntryPoint>("DllUnregisterServer"), HKEY_CURRENT_USER},
      {"DllInstall user", [&] { return install(TRUE, OLESTR("user")); },
       [&] { return install(FALSE, OLESTR("User")); }, HKEY_CURRENT_USER},
      {"DllInstall machine", [&] { return install(TRUE, OLESTR("machine")); },
       [&] { return install(FALSE, OLESTR("MACHINE")); }, HKEY_LOCAL_MACHINE},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(c.registerServer(), S_OK) << c.how;
    EXPECT_EQ(ServerValue(c.root, nullptr), ModulePath()) << c.how;
    EXPECT_EQ(ServerValue(c.root, OLESTR("ThreadingModel")), OleString(OLESTR("Both"))) << c.how;
    ASSERT_EQ(c.unregisterServer(), S_OK) << c.how;
    EXPECT_EQ(ServerValue(c.root, nullptr), std::nullopt) << c.how;
    EXPECT_EQ(c.unregisterServer(), S_OK) << c.how << ": unregistering twice is no error";
  }
  EXPECT_EQ(install(TRUE, OLESTR("everyone")), E_INVALIDARG);
}

TEST_F(ServerModule, IsCreatedThroughTheRegistryOnceRegistered) {
  const auto install = Entry<Install>("DllInstall");
  ASSERT_EQ(install(TRUE, OLESTR("machine")), S_OK);
  TempFolder folder;
  ProcessDefaultLocation variable(folder.Write("store.ini", kSampleStore));
  {
    ComPtr<IUnknown> created;
    ASSERT_EQ(CoCreateInstance(CLSID_IviConfigStore, nullptr, kAllContexts, IID_IUnknown,
                               created.GetVoidAddressOf()),
              S_OK);
    ComPtr<IIviConfigStore> store;
    ASSERT_EQ(created->QueryInterface(IID_IIviConfigStore, store.GetVoidAddressOf()), S_OK);
    ScopedBstr location;
    ASSERT_EQ(store->get_ProcessDefaultLocation(location.Receive()), S_OK);
    ASSERT_EQ(store->Deserialize(location.Get()), S_OK);
    ComPtr<IIviDriverSessionCollection> sessions;
    ASSERT_EQ(store->get_DriverSessions(sessions.GetAddressOf()), S_OK);
    ComPtr<IIviDriverSession> session;
    ASSERT_EQ(sessions->get_ItemByName(Bstr("Bench").Get(), session.GetAddressOf()), S_OK);
    EXPECT_EQ(Utf8Of([&](BSTR* out) { return session->get_Name(out); }), "BenchSession");
  }
  ASSERT_EQ(install(FALSE, OLESTR("machine")), S_OK);
  ComPtr<IUnknown> none;
  EXPECT_EQ(CoCreateInstance(CLSID_IviConfigStore, nullptr, kAllContexts, IID_IUnknown,
                             none.GetVoidAddressOf()),
            REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(none);
}

TEST_F(ServerModule, ClassObjectMakesStoresAndKeepsTheModuleInUse) {
  const auto getClassObject = Entry<GetClassObject>("DllGetClassObject");
  const auto canUnloadNow = Entry<EntryPoint>("DllCanUnloadNow");
  ASSERT_EQ(canUnloadNow(), S_OK);

  ComPtr<IClassFactory> wrongClass;
  EXPECT_EQ(getClassObject(IID_IIviConfigStore, IID_IClassFactory, wrongClass.GetVoidAddressOf()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_FALSE(wrongClass);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_IviConfigStore, IID_IClassFactory, factory.GetVoidAddressOf()),
            S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  ComPtr<IIviConfigStore> store;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IIviConfigStore, store.GetVoidAddressOf()), S_OK);
  ComPtr<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(store.Get(), IID_IUnknown, aggregated.GetVoidAddressOf()),
            CLASS_E_NOAGGREGATION);
  ComPtr<IIviDriverSession> wrongInterface;
  EXPECT_EQ(
      factory->CreateInstance(nullptr, IID_IIviDriverSession, wrongInterface.GetVoidAddressOf()),
      E_NOINTERFACE);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  store.Reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "locked";
  ComPtr<IClassFactory> again;
  ASSERT_EQ(getClassObject(CLSID_IviConfigStore, IID_IClassFactory, again.GetVoidAddressOf()),
            S_OK);
  EXPECT_EQ(again->LockServer(FALSE), S_OK);
  again.Reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
