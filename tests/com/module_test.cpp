// The module's class objects and the driver's COM identity through the real
// module: the cached factory, the item classes without one, the unload rule,
// aggregation, class information and error-information support.

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>

#include "com/identifiers.h"
#include "com/interfaces.h"
#include "platform/com_ptr.h"
#include "tests/com/com_module.h"

namespace korvane::test {
namespace {

class ModuleTest : public ::testing::Test {
 protected:
  ComPtr<IClassFactory> Factory() const {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(module_.GetClassObject(kClsidKorvane, IID_IClassFactory, factory.GetVoidAddressOf()),
              S_OK);
    return factory;
  }
  ComPtr<IKorvane> CreateDriver() const {
    ComPtr<IKorvane> driver;
    EXPECT_EQ(Factory()->CreateInstance(nullptr, IID_IKorvane, driver.GetVoidAddressOf()), S_OK);
    return driver;
  }

  DriverModule module_;
};

TEST_F(ModuleTest, OnlyTheDriverClassHasAClassObjectAndItIsCached) {
  EXPECT_EQ(module_.GetClassObject(kClsidKorvane, IID_IClassFactory, nullptr), E_POINTER);
  for (const CLSID& item : {kClsidTemperatureSensor, kClsidFan, kClsidVoltageRail}) {
    void* object = this;
    EXPECT_EQ(module_.GetClassObject(item, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(Factory().Get(), Factory().Get());
}

// A lock counts like an object: with a driver alive and one lock taken, the
// driver's release leaves the module locked until the lock is given back.
TEST_F(ModuleTest, UnloadWaitsForLiveObjectsAndFactoryLocks) {
  ASSERT_EQ(module_.CanUnloadNow(), S_OK);
  ComPtr<IKorvane> driver = CreateDriver();
  ComPtr<IClassFactory> factory = Factory();
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  driver.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

// DllInstall turns per-user registration on for "user" in any letter case
// and nothing else: near misses register machine-wide.
TEST_F(ModuleTest, InstallTakesOnlyTheWordUserForPerUser) {
  const OleString userClass = OLESTR("Software\\Classes\\CLSID\\") + AnsiToOle(kClsidKorvaneText);
  for (const OLECHAR* nearMiss : {OLESTR("users"), OLESTR("use"), OLESTR("user "), OLESTR("usr")}) {
    SCOPED_TRACE(OleToAnsi(nearMiss));
    EXPECT_EQ(module_.Install(TRUE, nearMiss), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userClass));
  }
}

TEST_F(ModuleTest, RegistrationRestoresTheThreadLocale) {
  const LCID saved = GetThreadLocale();
  ASSERT_TRUE(SetThreadLocale(0x0407));
  EXPECT_EQ(module_.RegisterServer(), S_OK);
  EXPECT_EQ(GetThreadLocale(), 0x0407u);
  SetThreadLocale(saved);
}

// An outer object that counts what its aggregated driver hands on to it and,
// as an aggregating object does, answers its own identity and hands every
// other request to the inner object.
class Outer final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    ++queries;
    if (IsEqualGUID(iid, IID_IUnknown)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    if (inner != nullptr) return inner->QueryInterface(iid, object);
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  std::atomic<ULONG> refs{1};
  std::atomic<int> queries{0};
  IUnknown* inner = nullptr;
};

TEST_F(ModuleTest, AggregatedDriverDelegatesToTheOuterObject) {
  Outer outer;
  void* refused = this;
  EXPECT_EQ(Factory()->CreateInstance(&outer, IID_IKorvane, &refused), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(refused, nullptr);
  ComPtr<IUnknown> inner;
  ASSERT_EQ(Factory()->CreateInstance(&outer, IID_IUnknown, inner.GetVoidAddressOf()), S_OK);
  // The inner unknown is its own identity and counts for itself.
  IUnknown* innerIdentity = nullptr;
  ASSERT_EQ(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&innerIdentity)), S_OK);
  EXPECT_EQ(innerIdentity, inner.Get());
  innerIdentity->Release();
  EXPECT_EQ(outer.refs.load(), 1u);
  IKorvane* driver = nullptr;
  ASSERT_EQ(inner->QueryInterface(IID_IKorvane, reinterpret_cast<void**>(&driver)), S_OK);
  EXPECT_NE(static_cast<void*>(driver), static_cast<void*>(inner.Get()));
  EXPECT_EQ(outer.refs.load(), 2u);  // the interface's reference went to the outer object
  // Through the driver's interfaces, identity is the outer object's, and
  // other interfaces come from the inner object by way of the outer one.
  outer.inner = inner.Get();
  IUnknown* identity = nullptr;
  ASSERT_EQ(driver->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer);
  identity->Release();
  void* other = nullptr;
  ASSERT_EQ(driver->QueryInterface(IID_IIviDriver, &other), S_OK);
  EXPECT_EQ(other, static_cast<void*>(driver));
  EXPECT_EQ(outer.queries.load(), 2);
  static_cast<IUnknown*>(other)->Release();
  driver->Release();
  EXPECT_EQ(outer.refs.load(), 1u);
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  outer.inner = nullptr;
  inner.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

// Error information is declared for the class information interfaces and
// every interface the object answers but its framework ones.
TEST_F(ModuleTest, ErrorInformationCoversExactlyTheClassInterfaces) {
  ComPtr<IKorvane> driver = CreateDriver();
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(driver->QueryInterface(IID_ISupportErrorInfo, support.GetVoidAddressOf()), S_OK);
  std::vector<IID> probes = {IID_IUnknown,         IID_IDispatch,         IID_ISupportErrorInfo,
                             IID_IPersonalityHost, IID_IProvideClassInfo, IID_IProvideClassInfo2,
                             IID_IClassFactory};
#define KORVANE_PROBE(Interface, Base, Iid, Kind) probes.push_back(IID_##Interface);
  KORVANE_INTERFACES(KORVANE_PROBE)
#undef KORVANE_PROBE
  for (const IID& iid : probes) {
    ComPtr<IUnknown> face;
    const bool answered = driver->QueryInterface(iid, face.GetVoidAddressOf()) == S_OK;
    const bool framework = IsEqualGUID(iid, IID_IUnknown) ||
                           IsEqualGUID(iid, IID_ISupportErrorInfo) ||
                           IsEqualGUID(iid, IID_IPersonalityHost);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(iid), answered && !framework ? S_OK : S_FALSE);
  }
  ComPtr<IUnknown> dispatch;
  EXPECT_EQ(driver->QueryInterface(IID_IDispatch, dispatch.GetVoidAddressOf()), E_NOINTERFACE);
}

// Every byte of an interface id counts: an id one bit away from one the
// driver answers, in any of its sixteen bytes, is refused unless it is itself
// one of the driver's.
TEST_F(ModuleTest, QueryRefusesIdsOneBitAwayFromItsInterfaces) {
  ComPtr<IKorvane> driver = CreateDriver();
  auto answers = [&](const IID& iid) {
    ComPtr<IUnknown> face;
    return driver->QueryInterface(iid, face.GetVoidAddressOf()) == S_OK;
  };
  std::vector<IID> faces;
#define KORVANE_PROBE(Interface, Base, Iid, Kind) \
  if (answers(IID_##Interface)) faces.push_back(IID_##Interface);
  KORVANE_INTERFACES(KORVANE_PROBE)
#undef KORVANE_PROBE
  ASSERT_FALSE(faces.empty());
  for (const IID& iid : faces) {
    for (size_t byte = 0; byte < sizeof(IID); ++byte) {
      IID neighbour = iid;
      reinterpret_cast<unsigned char*>(&neighbour)[byte] ^= 0x01;
      const bool own = std::any_of(faces.begin(), faces.end(),
                                   [&](const IID& face) { return IsEqualGUID(face, neighbour); });
      EXPECT_EQ(answers(neighbour), own) << "byte " << byte;
    }
  }
}

TEST_F(ModuleTest, ClassInformationIsTheRegisteredCoClass) {
  ComPtr<IKorvane> driver = CreateDriver();
  ComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(driver->QueryInterface(IID_IProvideClassInfo2, info.GetVoidAddressOf()), S_OK);
  EXPECT_EQ(info->GetClassInfo(nullptr), E_POINTER);
  ComPtr<ITypeInfo> type;
  ASSERT_EQ(info->GetClassInfo(type.GetAddressOf()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(type->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, kClsidKorvane));
  type->ReleaseTypeAttr(attributes);

  GUID guid = kClsidKorvane;
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), E_FAIL);
  EXPECT_TRUE(IsEqualGUID(guid, GUID{}));
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID + 1, &guid), E_INVALIDARG);
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr), E_POINTER);
}

}  // namespace
}  // namespace korvane::test
