// Type libraries: the MSFT format the IDL compiler writes, read from a
// module's resource TYPELIB 1 or from a .tlb file, behind ITypeLib and
// ITypeInfo.
//
// The file: a header, one offset per type description, a directory of
// segments (type descriptions, GUIDs, names, strings, ...), then each type's
// member data: the size of its records, the function records (each ending
// in its parameters), then the members' ids, names and record offsets.
#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/posix/detail/utf.h"
#include "platform/win32.h"

namespace {

// Segments of the directory, in file order of the directory.
enum Segment {
  kTypeInfoSegment = 0,
  kImportInfoSegment = 1,
  kImportFileSegment = 2,
  kReferenceSegment = 3,
  kGuidSegment = 5,
  kNameSegment = 7,
  kStringSegment = 8,
};
constexpr std::size_t kHeaderSize = 0x54;

// The bytes of one library and the reads of its records.
class MsftFile {
 public:
  explicit MsftFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  bool Valid() const {
    return bytes_.size() >= kHeaderSize && std::memcmp(bytes_.data(), "MSFT", 4) == 0 &&
           SegmentOffset(kNameSegment) > 0;
  }

  int32_t Int(std::size_t offset) const {
    if (offset + 4 > bytes_.size()) return -1;
    int32_t value;
    std::memcpy(&value, bytes_.data() + offset, 4);
    return value;
  }
  uint16_t Word(std::size_t offset) const { return static_cast<uint16_t>(Int(offset) & 0xFFFF); }

  int32_t Header(int field) const { return Int(4 * static_cast<std::size_t>(field)); }
  int TypeCount() const { return Header(8); }
  // The types' offsets follow the header and the help DLL's entry, if any; then the directory.
  std::size_t TypeOffsets() const { return kHeaderSize + ((Header(5) & 0x100) != 0 ? 4 : 0); }
  std::size_t SegmentDirectory() const {
    return TypeOffsets() + 4 * static_cast<std::size_t>(TypeCount());
  }

  std::size_t SegmentOffset(int segment) const {
    return static_cast<std::size_t>(
        Int(SegmentDirectory() + 16 * static_cast<std::size_t>(segment)));
  }
  int32_t SegmentLength(int segment) const {
    return Int(SegmentDirectory() + 16 * static_cast<std::size_t>(segment) + 4);
  }

  // The reference of type `index` (its record's offset in its segment) and its record.
  int32_t TypeReference(int index) const {
    return Int(TypeOffsets() + 4 * static_cast<std::size_t>(index));
  }
  std::size_t TypeInfo(int index) const {
    return SegmentOffset(kTypeInfoSegment) + static_cast<std::size_t>(TypeReference(index));
  }
  // The index of the type with that reference, or -1.
  int TypeOfReference(HREFTYPE reference) const {
    for (int i = 0; i < TypeCount(); ++i) {
      if (static_cast<HREFTYPE>(TypeReference(i)) == reference) return i;
    }
    return -1;
  }
  std::size_t In(Segment segment, int32_t offset) const {
    return SegmentOffset(segment) + static_cast<std::size_t>(offset);
  }

  std::u16string Name(int32_t offset) const {
    if (offset < 0) return {};
    const std::size_t at = SegmentOffset(kNameSegment) + static_cast<std::size_t>(offset);
    return Text(at + 12, Int(at + 8) & 0xFF);
  }
  std::u16string String(int32_t offset) const {
    if (offset < 0) return {};
    const std::size_t at = SegmentOffset(kStringSegment) + static_cast<std::size_t>(offset);
    return Text(at + 2, Word(at));
  }
  GUID Guid(int32_t offset) const {
    GUID guid{};
    const std::size_t at = SegmentOffset(kGuidSegment) + static_cast<std::size_t>(offset);
    if (offset >= 0 && at + sizeof guid <= bytes_.size())
      std::memcpy(&guid, &bytes_[at], sizeof guid);
    return guid;
  }

 private:
  std::u16string Text(std::size_t at, int length) const {
    if (at + static_cast<std::size_t>(length) > bytes_.size()) return {};
    return korvane::platform::Utf8ToUtf16(
        std::string(reinterpret_cast<const char*>(&bytes_[at]), static_cast<std::size_t>(length)));
  }

  std::vector<unsigned char> bytes_;
};

BSTR Bstr(const std::u16string& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// Fills the optional BSTR out-parameter; false when memory runs out.
bool Put(BSTR* out, const std::u16string& text, bool present = true) {
  if (out == nullptr) return true;
  *out = present ? Bstr(text) : nullptr;
  return !present || *out != nullptr;
}

// Counted references shared by the two classes.
template <class Interface>
class Counted : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IidOf<Interface>())) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  virtual ~Counted() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

class TypeLibrary;

// One function of a type: where its record and its id, name and record
// offset lie.
struct FunctionRecord {
  std::size_t record;
  MEMBERID id;
};

class TypeInformation final : public Counted<ITypeInfo> {
 public:
  TypeInformation(TypeLibrary* library, int index);
  ~TypeInformation() override;

  HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** attributes) override;
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** description) override;
  HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR* names, UINT maxNames,
                                     UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* reference) override;
  HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT* flags) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR*, UINT, MEMBERID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString,
                                             DWORD* helpContext, BSTR* helpFile) override;
  HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE reference, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, PVOID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** library, UINT* index) override;
  void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* attributes) override { delete attributes; }
  void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* description) override {
    if (description != nullptr) delete[] description->lprgelemdescParam;
    delete description;
  }
  void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC*) override {}

 private:
  const MsftFile& File() const;
  int FunctionCount() const { return File().Int(base_ + 24) & 0xFFFF; }
  int VariableCount() const { return (File().Int(base_ + 24) >> 16) & 0xFFFF; }
  // The function's record, its id and its name offset.
  FunctionRecord Function(int index) const;
  int32_t FunctionName(int index) const;
  int FindFunction(MEMBERID memid) const;
  // The record of implemented type `index` in the reference segment (a co-class's), or of the
  // inherited interface (an interface's only one, kept in the type's own record); 0 when there
  // is none.
  std::size_t ImplementedType(UINT index) const;

  TypeLibrary* library_;  // counted
  int index_;
  std::size_t base_;
};

class TypeLibrary final : public Counted<ITypeLib> {
 public:
  explicit TypeLibrary(MsftFile file) : file_(std::move(file)) {}

  const MsftFile& File() const { return file_; }

  UINT STDMETHODCALLTYPE GetTypeInfoCount() override {
    return static_cast<UINT>(file_.TypeCount());
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo** info) override {
    if (info == nullptr) return E_INVALIDARG;
    *info = nullptr;
    if (index >= GetTypeInfoCount()) return TYPE_E_ELEMENTNOTFOUND;
    try {
      *info = new TypeInformation(this, static_cast<int>(index));
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND* kind) override {
    if (kind == nullptr) return E_INVALIDARG;
    if (index >= GetTypeInfoCount()) return TYPE_E_ELEMENTNOTFOUND;
    *kind = static_cast<TYPEKIND>(file_.Int(file_.TypeInfo(static_cast<int>(index))) & 0xF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) override {
    if (info == nullptr) return E_INVALIDARG;
    *info = nullptr;
    for (int i = 0; i < file_.TypeCount(); ++i) {
      if (IsEqualGUID(file_.Guid(file_.Int(file_.TypeInfo(i) + 44)), guid)) {
        return GetTypeInfo(static_cast<UINT>(i), info);
      }
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR** attributes) override {
    if (attributes == nullptr) return E_INVALIDARG;
    *attributes = new (std::nothrow) TLIBATTR{};
    if (*attributes == nullptr) return E_OUTOFMEMORY;
    (*attributes)->guid = file_.Guid(file_.Header(2));
    (*attributes)->lcid = static_cast<LCID>(file_.Header(3));
    (*attributes)->syskind = static_cast<SYSKIND>(file_.Header(5) & 0xF);
    (*attributes)->wMajorVerNum = static_cast<WORD>(file_.Header(6) & 0xFFFF);
    (*attributes)->wMinorVerNum = static_cast<WORD>((file_.Header(6) >> 16) & 0xFFFF);
    (*attributes)->wLibFlags = static_cast<WORD>(file_.Header(7));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR* name, BSTR* docString,
                                             DWORD* helpContext, BSTR* helpFile) override {
    if (index >= 0) {
      ITypeInfo* info = nullptr;
      HRESULT result = GetTypeInfo(static_cast<UINT>(index), &info);
      if (FAILED(result)) return result;
      result = info->GetDocumentation(MEMBERID_NIL, name, docString, helpContext, helpFile);
      info->Release();
      return result;
    }
    if (helpContext != nullptr) *helpContext = static_cast<DWORD>(file_.Header(11));
    const bool hasHelpFile = (file_.Header(5) & 0x10) != 0;
    if (!Put(name, file_.Name(file_.Header(14))) ||
        !Put(docString, file_.String(file_.Header(9)), file_.Header(9) >= 0) ||
        !Put(helpFile, file_.String(file_.Header(15)), hasHelpFile)) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsName(LPOLESTR, ULONG, BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) override {
    return E_NOTIMPL;
  }
  void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR* attributes) override { delete attributes; }

 private:
  MsftFile file_;
};

TypeInformation::TypeInformation(TypeLibrary* library, int index)
    : library_(library), index_(index), base_(library->File().TypeInfo(index)) {
  library_->AddRef();
}

TypeInformation::~TypeInformation() {
  library_->Release();
}

const MsftFile& TypeInformation::File() const {
  return library_->File();
}

FunctionRecord TypeInformation::Function(int index) const {
  const std::size_t data = static_cast<std::size_t>(File().Int(base_ + 4));
  const std::size_t records = data + 4;
  const std::size_t tables = records + static_cast<std::size_t>(File().Int(data));
  const std::size_t members = static_cast<std::size_t>(FunctionCount() + VariableCount());
  const int32_t offset = File().Int(tables + 4 * (2 * members + static_cast<std::size_t>(index)));
  return {records + static_cast<std::size_t>(offset),
          File().Int(tables + 4 * static_cast<std::size_t>(index))};
}

int32_t TypeInformation::FunctionName(int index) const {
  const std::size_t data = static_cast<std::size_t>(File().Int(base_ + 4));
  const std::size_t tables = data + 4 + static_cast<std::size_t>(File().Int(data));
  const std::size_t members = static_cast<std::size_t>(FunctionCount() + VariableCount());
  return File().Int(tables + 4 * (members + static_cast<std::size_t>(index)));
}

int TypeInformation::FindFunction(MEMBERID memid) const {
  for (int i = 0; i < FunctionCount(); ++i) {
    if (Function(i).id == memid) return i;
  }
  return -1;
}

HRESULT TypeInformation::GetTypeAttr(TYPEATTR** attributes) {
  if (attributes == nullptr) return E_INVALIDARG;
  *attributes = new (std::nothrow) TYPEATTR{};
  if (*attributes == nullptr) return E_OUTOFMEMORY;
  TYPEATTR& a = **attributes;
  a.guid = File().Guid(File().Int(base_ + 44));
  a.lcid = static_cast<LCID>(File().Header(3));
  a.memidConstructor = MEMBERID_NIL;
  a.memidDestructor = MEMBERID_NIL;
  a.cbSizeInstance = static_cast<ULONG>(File().Int(base_ + 80));
  a.typekind = static_cast<TYPEKIND>(File().Int(base_) & 0xF);
  a.cFuncs = static_cast<WORD>(FunctionCount());
  a.cVars = static_cast<WORD>(VariableCount());
  a.cImplTypes = File().Word(base_ + 76);
  a.cbSizeVft = File().Word(base_ + 78);
  a.cbAlignment = static_cast<WORD>((File().Int(base_) >> 11) & 0x1F);
  a.wTypeFlags = static_cast<WORD>(File().Int(base_ + 48));
  a.wMajorVerNum = static_cast<WORD>(File().Int(base_ + 56) & 0xFFFF);
  a.wMinorVerNum = static_cast<WORD>((File().Int(base_ + 56) >> 16) & 0xFFFF);
  return S_OK;
}

HRESULT TypeInformation::GetFuncDesc(UINT index, FUNCDESC** description) {
  if (description == nullptr) return E_INVALIDARG;
  *description = nullptr;
  if (index >= static_cast<UINT>(FunctionCount())) return TYPE_E_ELEMENTNOTFOUND;
  const FunctionRecord function = Function(static_cast<int>(index));
  const int32_t kinds = File().Int(function.record + 16);
  auto* d = new (std::nothrow) FUNCDESC{};
  if (d == nullptr) return E_OUTOFMEMORY;
  d->memid = function.id;
  d->funckind = static_cast<FUNCKIND>(kinds & 0x7);
  d->invkind = static_cast<INVOKEKIND>((kinds >> 3) & 0xF);
  d->callconv = static_cast<CALLCONV>((kinds >> 8) & 0xF);
  d->cParams = static_cast<SHORT>(File().Word(function.record + 20));
  d->cParamsOpt = static_cast<SHORT>(File().Word(function.record + 22));
  d->oVft = static_cast<SHORT>(File().Word(function.record + 12));
  d->wFuncFlags = static_cast<WORD>(File().Int(function.record + 8));
  d->lprgelemdescParam = new (std::nothrow) ELEMDESC[static_cast<std::size_t>(d->cParams) + 1]{};
  if (d->lprgelemdescParam == nullptr) {
    delete d;
    return E_OUTOFMEMORY;
  }
  *description = d;
  return S_OK;
}

HRESULT TypeInformation::GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) {
  if (names == nullptr || count == nullptr) return E_INVALIDARG;
  *count = 0;
  const int index = FindFunction(memid);
  if (index < 0) return TYPE_E_ELEMENTNOTFOUND;
  std::vector<std::u16string> found{File().Name(FunctionName(index))};
  const std::size_t record = Function(index).record;
  const std::size_t length = static_cast<std::size_t>(File().Int(record) & 0xFFFF);
  const std::size_t parameters = File().Word(record + 20);
  for (std::size_t p = 0; p < parameters; ++p) {
    const int32_t name = File().Int(record + length - 12 * (parameters - p) + 4);
    if (name >= 0) found.push_back(File().Name(name));
  }
  for (const std::u16string& name : found) {
    if (*count == maxNames) break;
    names[*count] = Bstr(name);
    if (names[*count] == nullptr) return E_OUTOFMEMORY;
    ++*count;
  }
  return S_OK;
}

HRESULT TypeInformation::GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString,
                                          DWORD* helpContext, BSTR* helpFile) {
  const MsftFile& file = File();
  const bool hasHelpFile = (file.Header(5) & 0x10) != 0;
  if (!Put(helpFile, file.String(file.Header(15)), hasHelpFile)) return E_OUTOFMEMORY;
  if (memid == MEMBERID_NIL) {
    if (helpContext != nullptr) *helpContext = static_cast<DWORD>(file.Int(base_ + 68));
    const int32_t doc = file.Int(base_ + 60);
    return Put(name, file.Name(file.Int(base_ + 52))) && Put(docString, file.String(doc), doc >= 0)
               ? S_OK
               : E_OUTOFMEMORY;
  }
  const int index = FindFunction(memid);
  if (index < 0) return TYPE_E_ELEMENTNOTFOUND;
  const std::size_t record = Function(index).record;
  const std::size_t length = static_cast<std::size_t>(file.Int(record) & 0xFFFF);
  const std::size_t optional = length - 12 * file.Word(record + 20);
  const int32_t doc = optional > 28 ? file.Int(record + 28) : -1;
  if (helpContext != nullptr)
    *helpContext = optional > 24 ? static_cast<DWORD>(file.Int(record + 24)) : 0;
  return Put(name, file.Name(FunctionName(index))) && Put(docString, file.String(doc), doc >= 0)
             ? S_OK
             : E_OUTOFMEMORY;
}

std::size_t TypeInformation::ImplementedType(UINT index) const {
  const MsftFile& file = File();
  if (index >= file.Word(base_ + 76)) return 0;
  if ((file.Int(base_) & 0xF) != TKIND_COCLASS) return base_ + 84;
  int32_t reference = file.Int(base_ + 84);
  for (UINT i = 0; i < index && reference >= 0; ++i) {
    reference = file.Int(file.In(kReferenceSegment, reference) + 12);
  }
  return reference < 0 ? 0 : file.In(kReferenceSegment, reference);
}

HRESULT TypeInformation::GetRefTypeOfImplType(UINT index, HREFTYPE* reference) {
  if (reference == nullptr) return E_INVALIDARG;
  const std::size_t record = ImplementedType(index);
  if (record == 0) return TYPE_E_ELEMENTNOTFOUND;
  *reference = static_cast<HREFTYPE>(File().Int(record));
  return S_OK;
}

HRESULT TypeInformation::GetImplTypeFlags(UINT index, INT* flags) {
  if (flags == nullptr) return E_INVALIDARG;
  const std::size_t record = ImplementedType(index);
  if (record == 0) return TYPE_E_ELEMENTNOTFOUND;
  *flags = (File().Int(base_) & 0xF) == TKIND_COCLASS ? File().Int(record + 4) : 0;
  return S_OK;
}

// A reference with its low bit set is an import: one more than the offset of its entry (flags,
// import file, GUID entry of the type). The import file entry begins with the imported
// library's GUID entry, locale and version, by which the library is loaded from the registry.
HRESULT TypeInformation::GetRefTypeInfo(HREFTYPE reference, ITypeInfo** info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = nullptr;
  const MsftFile& file = File();
  if ((reference & 1) == 0) {
    const int index = file.TypeOfReference(reference);
    return index < 0 ? TYPE_E_ELEMENTNOTFOUND
                     : library_->GetTypeInfo(static_cast<UINT>(index), info);
  }
  const int32_t importOffset = static_cast<int32_t>(reference - 1);
  if (importOffset < 0 || importOffset + 12 > file.SegmentLength(kImportInfoSegment)) {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  const std::size_t import = file.In(kImportInfoSegment, importOffset);
  const std::size_t importFile = file.In(kImportFileSegment, file.Int(import + 4));
  const int32_t version = file.Int(importFile + 8);
  ITypeLib* imported = nullptr;
  HRESULT result = LoadRegTypeLib(file.Guid(file.Int(importFile)), WORD(version & 0xFFFF),
                                  WORD((version >> 16) & 0xFFFF),
                                  static_cast<LCID>(file.Int(importFile + 4)), &imported);
  if (FAILED(result)) return result;
  result = imported->GetTypeInfoOfGuid(file.Guid(file.Int(import + 8)), info);
  imported->Release();
  return result;
}

HRESULT TypeInformation::GetContainingTypeLib(ITypeLib** library, UINT* index) {
  if (library != nullptr) {
    *library = library_;
    library_->AddRef();
  }
  if (index != nullptr) *index = static_cast<UINT>(index_);
  return S_OK;
}

bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// A module's resource TYPELIB 1.
bool ReadModuleResource(const std::string& path, std::vector<unsigned char>& bytes) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;
  const HMODULE module = static_cast<HMODULE>(handle);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), u"TYPELIB");
  const void* data = resource == nullptr ? nullptr : LockResource(LoadResource(module, resource));
  if (data != nullptr) {
    const auto* first = static_cast<const unsigned char*>(data);
    bytes.assign(first, first + SizeofResource(module, resource));
  }
  ::dlclose(handle);
  return data != nullptr;
}

}  // namespace

extern "C" HRESULT LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) {
  if (szFile == nullptr || pptlib == nullptr) return E_INVALIDARG;
  *pptlib = nullptr;
  const std::string path = korvane::platform::Utf8Of(szFile);
  std::vector<unsigned char> bytes;
  try {
    if (!ReadFile(path, bytes)) return TYPE_E_CANTLOADLIBRARY;
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "MSFT", 4) != 0) {
      if (!ReadModuleResource(path, bytes)) return TYPE_E_CANTLOADLIBRARY;
    }
    MsftFile file(std::move(bytes));
    if (!file.Valid()) return TYPE_E_CANTLOADLIBRARY;
    *pptlib = new TypeLibrary(std::move(file));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
