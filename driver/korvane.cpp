#include "driver/korvane.h"

#include "platform/ole_string.h"

namespace korvane {
namespace {
constexpr uint32_t kTextBufferSize = 256;
}  // namespace

DriverInfo Korvane::MakeDriverInfo() {
  DriverInfo info;
  info.prefix = OLESTR("Korvane");
  info.identifier = OLESTR("Korvane");
  info.vendor = OLESTR("Vantrel Technologies");
  info.description = OLESTR("IVI driver for the Vantrel Q7730 18-slot PXI Chassis");
  info.revision = OLESTR("0.1.0.437");
  info.supportedInstrumentModels = OLESTR("Q7730A");
  info.defaultModel = OLESTR("Q7730A");
  return info;
}

Korvane::Korvane() {
  InitializeDriverData();
}

Korvane::~Korvane() = default;

void Korvane::InitializeDriverData() {
  chassis_.reset();
  simulated_.Reset();
  selfTest_.Clear();
  simulateAtInitialize_ = false;
  traceAtInitialize_ = false;
}

// QueryInterface order of the class's interface table: the framework's
// faces, then the class's interfaces as the type library lists them
// (type_library.h). IIviDriver is the IKorvane vtable, IIviComponentIdentity
// the IIviDriverIdentity one.
#define KORVANE_FACE(Interface, Via) , Face<Interface, Via>
void* Korvane::FindInterface(REFIID riid) {
  return korvane::FindInterface<
      Korvane, Face<ISupportErrorInfo>, Face<IProvideClassInfo, IProvideClassInfo2>,
      Face<IProvideClassInfo2>, Face<IPersonalityHost> KORVANE_FACES_Korvane(KORVANE_FACE)>(this,
                                                                                            riid);
}
#undef KORVANE_FACE

// Error information for the class information faces and every interface of
// the class's own list.
#define KORVANE_FACE_IID(Interface, Via) &IID_##Interface,
bool Korvane::SupportsErrorInfo(REFIID riid) {
  for (const IID* supported :
       {&IID_IProvideClassInfo, &IID_IProvideClassInfo2, KORVANE_FACES_Korvane(KORVANE_FACE_IID)}) {
    if (IsEqualGUID(riid, *supported)) return true;
  }
  return false;
}
#undef KORVANE_FACE_IID

Korvane_Fundamental_Api* Korvane::OpenChassis() const {
  return chassis_ && chassis_->isInitialized() != 0 ? chassis_.get() : nullptr;
}

// --- Lifecycle hooks ---------------------------------------------------------

HRESULT Korvane::InitializeIO() {
  if (chassis_) return Reporter().ReportAlreadyInitialized();
  try {
    chassis_ = std::make_unique<Korvane_Fundamental_Api>();
  } catch (...) {
    chassis_.reset();
    return Reporter().ReportNotInitialized(
        AdditionalInfo(OLESTR("Failed to instantiate driver instance")));
  }
  if (chassis_->getCtorFailed() != 0) {
    chassis_.reset();
    return Reporter().ReportNotInitialized(
        AdditionalInfo(OLESTR("Driver instance constructed incompletely")));
  }
  if (IsSimulating()) return S_OK;  // the object stays, unopened
  const std::string descriptor = OleToAnsi(IoResourceDescriptor());
  if (chassis_->ioOpen(descriptor.c_str(), nullptr) != 0) {
    chassis_.reset();
    return Reporter().ReportNotInitialized(
        AdditionalInfo(OLESTR("Failed to initialize fundamental driver")));
  }
  return S_OK;
}

HRESULT Korvane::ReadInstrumentIdentity() {
  InstrumentIdentity identity;
  identity.manufacturer = Info().vendor;
  identity.model = Info().defaultModel;
  identity.serialNumber = OLESTR("0123456789");
  identity.firmwareRevision = Info().revision;
  if (!IsSimulating()) {
    Korvane_Fundamental_Api* chassis = OpenChassis();
    if (chassis == nullptr) return Reporter().ReportNotInitialized();
    char model[kTextBufferSize] = {};
    char revision[kTextBufferSize] = {};
    char serial[kTextBufferSize] = {};
    if (chassis->getModelNumber(model, kTextBufferSize) != 0 ||
        chassis->getRevisionNumber(Korvane_Fundamental_RevisionFirmware, revision,
                                   kTextBufferSize) != 0 ||
        chassis->getSerialNumber(serial, kTextBufferSize) != 0) {
      return Reporter().ReportNotInitialized();
    }
    identity.model = AnsiToOle(model);
    identity.firmwareRevision = AnsiToOle(revision);
    identity.serialNumber = AnsiToOle(serial);
  }
  identity.identification = identity.manufacturer + OLESTR(",") + identity.model + OLESTR(",") +
                            identity.serialNumber + OLESTR(",") + identity.firmwareRevision;
  identity_ = std::move(identity);
  return S_OK;
}

void Korvane::CloseIO() {
  if (!IsSimulating() && OpenChassis() != nullptr) chassis_->ioClose();  // status ignored
  chassis_.reset();
}

HRESULT Korvane::OnInitialized() {
  simulateAtInitialize_ = IsSimulating();
  traceAtInitialize_ = TraceLog().IsEnabled();
  return S_OK;
}

void Korvane::OnClose() {
  simulateAtInitialize_ = false;
  traceAtInitialize_ = false;
}

HRESULT Korvane::ResetChassis(const OLECHAR* methodName) {
  ResetTree();
  InvalidateCacheTree();
  simulated_.Reset();
  if (IsSimulating()) return S_OK;
  Korvane_Fundamental_Api* chassis = OpenChassis();
  if (chassis == nullptr) return Reporter().ReportNotInitialized();
  return TranslateChassisStatus(chassis->reset(1), methodName);
}

// --- IIviDriver --------------------------------------------------------------

HRESULT Korvane::IIviDriver_get_DriverOperation(IIviDriverOperation** val) {
  return QueryFace(val);
}

HRESULT Korvane::IIviDriver_get_Identity(IIviDriverIdentity** val) {
  return QueryFace(val);
}

HRESULT Korvane::IIviDriver_get_Utility(IIviDriverUtility** val) {
  return QueryFace(val);
}

HRESULT Korvane::IIviDriver_Initialize(BSTR ResourceName, VARIANT_BOOL IdQuery, VARIANT_BOOL Reset,
                                       BSTR OptionString) {
  // The framework sequence runs without its reset step; the chassis reset
  // follows, and a failing reset leaves the session initialized.
  HRESULT status = InitializeSession(ResourceName, IdQuery != VARIANT_FALSE, OptionString);
  if (FAILED(status) || Reset == VARIANT_FALSE) return status;
  return ResetChassis(OLESTR("Initialize"));
}

HRESULT Korvane::IIviDriver_get_Initialized(VARIANT_BOOL* val) {
  if (val == nullptr) return Reporter().ReportNullPointer(OLESTR("get_Initialized"), OLESTR("val"));
  *val = IsInitialized() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT Korvane::IIviDriver_Close() {
  return CDriver::Close();
}

// --- IKorvane ----------------------------------------------------------------

HRESULT Korvane::IKorvane_get_System(IKorvaneSystem** val) {
  return QueryFace(val);
}

HRESULT Korvane::IKorvane_get_TemperatureSensors(IKorvaneTemperatureSensors** val) {
  return QueryFace(val);
}

HRESULT Korvane::IKorvane_get_Fans(IKorvaneFans** val) {
  return QueryFace(val);
}

HRESULT Korvane::IKorvane_get_ReferenceClock(IKorvaneReferenceClock** val) {
  return QueryFace(val);
}

HRESULT Korvane::IKorvane_get_TriggerBus(IKorvaneTriggerBus** val) {
  return QueryFace(val);
}

HRESULT Korvane::IKorvane_get_VoltageRails(IKorvaneVoltageRails** val) {
  return QueryFace(val);
}

}  // namespace korvane
