// Type libraries behind ITypeLib and ITypeInfo: the format the IDL compiler
// writes (detail/msft_file.h, checked whole when read), from a .tlb file or
// from a module's resource TYPELIB 1 read as data.
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/detail/module_image.h"
#include "platform/posix/detail/msft_file.h"
#include "platform/posix/detail/type_library.h"
#include "platform/posix/detail/utf.h"
#include "platform/win32.h"

namespace {

using korvane::platform::MsftFile;
using korvane::platform::MsftFunction;
using korvane::platform::MsftSegment;
using korvane::platform::MsftType;

// Runs a COM method's body: nothing it throws leaves the method.
template <class Body>
HRESULT Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

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
  const MsftType& Type() const { return File().Types()[static_cast<std::size_t>(index_)]; }
  std::size_t Base() const { return Type().base; }
  // The function with that member id, or null.
  const MsftFunction* FindFunction(MEMBERID memid) const;
  // The record of implemented type `index` in the reference segment (a co-class's), or of the
  // inherited interface (an interface's only one, kept in the type's own record); nothing when
  // there is none.
  std::optional<std::size_t> ImplementedType(UINT index) const;
  HRESULT ImportedTypeInfo(HREFTYPE reference, ITypeInfo** info) const;

  TypeLibrary* library_;  // counted
  int index_;
};

class TypeLibrary final : public Counted<ITypeLib> {
 public:
  explicit TypeLibrary(MsftFile file) : file_(std::move(file)) {}

  const MsftFile& File() const { return file_; }

  UINT STDMETHODCALLTYPE GetTypeInfoCount() override {
    return static_cast<UINT>(file_.Types().size());
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo** info) override {
    if (info == nullptr) return E_INVALIDARG;
    *info = nullptr;
    if (index >= GetTypeInfoCount()) return TYPE_E_ELEMENTNOTFOUND;
    return Guarded([&] {
      *info = new TypeInformation(this, static_cast<int>(index));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND* kind) override {
    if (kind == nullptr) return E_INVALIDARG;
    if (index >= GetTypeInfoCount()) return TYPE_E_ELEMENTNOTFOUND;
    *kind = static_cast<TYPEKIND>(file_.Int(file_.Types()[index].base) & 0xF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) override {
    if (info == nullptr) return E_INVALIDARG;
    *info = nullptr;
    for (std::size_t i = 0; i < file_.Types().size(); ++i) {
      if (IsEqualGUID(file_.Guid(file_.Int(file_.Types()[i].base + 44)), guid)) {
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
    return Guarded([&] {
      if (helpContext != nullptr) *helpContext = static_cast<DWORD>(file_.Header(11));
      const bool hasHelpFile = (file_.Header(5) & 0x10) != 0;
      if (!Put(name, file_.Name(file_.Header(14))) ||
          !Put(docString, file_.String(file_.Header(9)), file_.Header(9) >= 0) ||
          !Put(helpFile, file_.String(file_.Header(15)), hasHelpFile)) {
        return E_OUTOFMEMORY;
      }
      return S_OK;
    });
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
    : library_(library), index_(index) {
  library_->AddRef();
}

TypeInformation::~TypeInformation() {
  library_->Release();
}

const MsftFile& TypeInformation::File() const {
  return library_->File();
}

const MsftFunction* TypeInformation::FindFunction(MEMBERID memid) const {
  for (const MsftFunction& function : Type().functions) {
    if (function.id == memid) return &function;
  }
  return nullptr;
}

HRESULT TypeInformation::GetTypeAttr(TYPEATTR** attributes) {
  if (attributes == nullptr) return E_INVALIDARG;
  *attributes = new (std::nothrow) TYPEATTR{};
  if (*attributes == nullptr) return E_OUTOFMEMORY;
  const MsftFile& file = File();
  const std::size_t base = Base();
  TYPEATTR& a = **attributes;
  a.guid = file.Guid(file.Int(base + 44));
  a.lcid = static_cast<LCID>(file.Header(3));
  a.memidConstructor = MEMBERID_NIL;
  a.memidDestructor = MEMBERID_NIL;
  a.cbSizeInstance = static_cast<ULONG>(file.Int(base + 80));
  a.typekind = static_cast<TYPEKIND>(file.Int(base) & 0xF);
  a.cFuncs = static_cast<WORD>(Type().functions.size());
  a.cVars = static_cast<WORD>(Type().variables);
  a.cImplTypes = file.Word(base + 76);
  a.cbSizeVft = file.Word(base + 78);
  a.cbAlignment = static_cast<WORD>((file.Int(base) >> 11) & 0x1F);
  a.wTypeFlags = static_cast<WORD>(file.Int(base + 48));
  a.wMajorVerNum = static_cast<WORD>(file.Int(base + 56) & 0xFFFF);
  a.wMinorVerNum = static_cast<WORD>((file.Int(base + 56) >> 16) & 0xFFFF);
  return S_OK;
}

HRESULT TypeInformation::GetFuncDesc(UINT index, FUNCDESC** description) {
  if (description == nullptr) return E_INVALIDARG;
  *description = nullptr;
  if (index >= Type().functions.size()) return TYPE_E_ELEMENTNOTFOUND;
  const MsftFunction& function = Type().functions[index];
  const MsftFile& file = File();
  const int32_t kinds = file.Int(function.record + 16);
  auto* d = new (std::nothrow) FUNCDESC{};
  if (d == nullptr) return E_OUTOFMEMORY;
  d->memid = function.id;
  d->funckind = static_cast<FUNCKIND>(kinds & 0x7);
  d->invkind = static_cast<INVOKEKIND>((kinds >> 3) & 0xF);
  d->callconv = static_cast<CALLCONV>((kinds >> 8) & 0xF);
  // The record holds every parameter, so the count is far below SHORT's limit.
  d->cParams = static_cast<SHORT>(function.parameters);
  d->cParamsOpt = static_cast<SHORT>(file.Word(function.record + 22));
  d->oVft = static_cast<SHORT>(file.Word(function.record + 12));
  d->wFuncFlags = static_cast<WORD>(file.Int(function.record + 8));
  d->lprgelemdescParam = new (std::nothrow) ELEMDESC[std::size_t{function.parameters} + 1]{};
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
  const MsftFunction* function = FindFunction(memid);
  if (function == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  return Guarded([&] {
    const MsftFile& file = File();
    std::vector<std::u16string> found{file.Name(function->name)};
    // The parameters end the record, 12 bytes each, the name's offset second.
    const std::size_t first = function->record + function->length - 12 * function->parameters;
    for (std::size_t p = 0; p < function->parameters; ++p) {
      const int32_t name = file.Int(first + 12 * p + 4);
      if (name >= 0) found.push_back(file.Name(name));
    }
    for (const std::u16string& name : found) {
      if (*count == maxNames) break;
      names[*count] = Bstr(name);
      if (names[*count] == nullptr) return E_OUTOFMEMORY;
      ++*count;
    }
    return S_OK;
  });
}

HRESULT TypeInformation::GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString,
                                          DWORD* helpContext, BSTR* helpFile) {
  const MsftFunction* function = nullptr;
  if (memid != MEMBERID_NIL) {
    function = FindFunction(memid);
    if (function == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  }
  return Guarded([&] {
    const MsftFile& file = File();
    const bool hasHelpFile = (file.Header(5) & 0x10) != 0;
    if (!Put(helpFile, file.String(file.Header(15)), hasHelpFile)) return E_OUTOFMEMORY;
    if (function == nullptr) {
      if (helpContext != nullptr) *helpContext = static_cast<DWORD>(file.Int(Base() + 68));
      const int32_t doc = file.Int(Base() + 60);
      return Put(name, file.Name(file.Int(Base() + 52))) &&
                     Put(docString, file.String(doc), doc >= 0)
                 ? S_OK
                 : E_OUTOFMEMORY;
    }
    // The optional fields between the fixed part and the parameters: help
    // context at 24, help string at 28.
    const std::size_t optional = function->length - 12 * std::size_t{function->parameters};
    const int32_t doc = optional > 28 ? file.Int(function->record + 28) : -1;
    if (helpContext != nullptr)
      *helpContext = optional > 24 ? static_cast<DWORD>(file.Int(function->record + 24)) : 0;
    return Put(name, file.Name(function->name)) && Put(docString, file.String(doc), doc >= 0)
               ? S_OK
               : E_OUTOFMEMORY;
  });
}

// A co-class's implemented types are a chain of 16-byte entries in the
// reference segment (type reference, flags, -, next).
std::optional<std::size_t> TypeInformation::ImplementedType(UINT index) const {
  const MsftFile& file = File();
  if (index >= file.Word(Base() + 76)) return std::nullopt;
  if ((file.Int(Base()) & 0xF) != TKIND_COCLASS) return Base() + 84;
  std::optional<std::size_t> entry = file.In(MsftSegment::kReference, file.Int(Base() + 84), 16);
  for (UINT i = 0; i < index && entry; ++i) {
    entry = file.In(MsftSegment::kReference, file.Int(*entry + 12), 16);
  }
  return entry;
}

HRESULT TypeInformation::GetRefTypeOfImplType(UINT index, HREFTYPE* reference) {
  if (reference == nullptr) return E_INVALIDARG;
  const std::optional<std::size_t> record = ImplementedType(index);
  if (!record) return TYPE_E_ELEMENTNOTFOUND;
  *reference = static_cast<HREFTYPE>(File().Int(*record));
  return S_OK;
}

HRESULT TypeInformation::GetImplTypeFlags(UINT index, INT* flags) {
  if (flags == nullptr) return E_INVALIDARG;
  const std::optional<std::size_t> record = ImplementedType(index);
  if (!record) return TYPE_E_ELEMENTNOTFOUND;
  *flags = (File().Int(Base()) & 0xF) == TKIND_COCLASS ? File().Int(*record + 4) : 0;
  return S_OK;
}

HRESULT TypeInformation::GetRefTypeInfo(HREFTYPE reference, ITypeInfo** info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = nullptr;
  if ((reference & 1) != 0) return Guarded([&] { return ImportedTypeInfo(reference, info); });
  const int index = File().TypeOfReference(reference);
  return index < 0 ? TYPE_E_ELEMENTNOTFOUND : library_->GetTypeInfo(static_cast<UINT>(index), info);
}

// A reference with its low bit set is an import: one more than the offset of its entry (flags,
// import file, GUID entry of the type). The import file entry begins with the imported
// library's GUID entry, locale and version, by which the library is loaded from the registry.
HRESULT TypeInformation::ImportedTypeInfo(HREFTYPE reference, ITypeInfo** info) const {
  const MsftFile& file = File();
  const std::optional<std::size_t> import =
      reference > 0x7FFFFFFFu
          ? std::nullopt
          : file.In(MsftSegment::kImportInfo, static_cast<int32_t>(reference - 1), 12);
  if (!import) return TYPE_E_ELEMENTNOTFOUND;
  const std::optional<std::size_t> importFile =
      file.In(MsftSegment::kImportFile, file.Int(*import + 4), 12);
  if (!importFile) return TYPE_E_ELEMENTNOTFOUND;
  const int32_t version = file.Int(*importFile + 8);
  ITypeLib* imported = nullptr;
  HRESULT result = LoadRegTypeLib(file.Guid(file.Int(*importFile)), WORD(version & 0xFFFF),
                                  WORD((version >> 16) & 0xFFFF),
                                  static_cast<LCID>(file.Int(*importFile + 4)), &imported);
  if (FAILED(result)) return result;
  result = imported->GetTypeInfoOfGuid(file.Guid(file.Int(*import + 8)), info);
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

// The whole file, when it is a regular file a type library can be, else false.
bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::size_t>(status.st_size) > MsftFile::kMaxSize * 4) {
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (file == nullptr) return false;
  bytes.resize(static_cast<std::size_t>(status.st_size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  return true;
}

}  // namespace

namespace korvane::platform {

HRESULT LoadTypeLibFromBytes(std::vector<unsigned char> bytes, ITypeLib** library) {
  if (library == nullptr) return E_INVALIDARG;
  *library = nullptr;
  return Guarded([&] {
    std::optional<MsftFile> file = MsftFile::Read(std::move(bytes));
    if (!file) return TYPE_E_CANTLOADLIBRARY;
    *library = new TypeLibrary(std::move(*file));
    return S_OK;
  });
}

}  // namespace korvane::platform

// A .tlb file, or a module holding the library as resource TYPELIB 1, read as
// data: the module is never loaded, so nothing in it runs.
extern "C" HRESULT LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) {
  if (szFile == nullptr || pptlib == nullptr) return E_INVALIDARG;
  *pptlib = nullptr;
  return Guarded([&] {
    std::vector<unsigned char> bytes;
    if (!ReadFile(korvane::platform::Utf8Of(szFile), bytes)) return TYPE_E_CANTLOADLIBRARY;
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "MSFT", 4) != 0) {
      std::vector<unsigned char> resource;
      if (!korvane::platform::ResourceOfImage(bytes, u"TYPELIB", 1, resource)) {
        return TYPE_E_CANTLOADLIBRARY;
      }
      bytes = std::move(resource);
    }
    return korvane::platform::LoadTypeLibFromBytes(std::move(bytes), pptlib);
  });
}
