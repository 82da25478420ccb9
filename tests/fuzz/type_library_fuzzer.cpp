// The type library reader on any bytes (seeded with the build's .tlb files).
// A library that loads (checked whole when read) has its attributes read and
// one of its types, chosen by the input, read whole: every member, name,
// parameter, implemented type and reference. Each call succeeds or fails with
// a status, counts stay within what the file can hold, and nothing leaks.
// (One type per input keeps a run fast; the mutations pick the type.)

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/posix/detail/type_library.h"
#include "tests/fuzz/fuzz_input.h"

namespace korvane {
namespace {

using fuzz::Require;

void FreeAll(BSTR* texts, UINT count) {
  for (UINT i = 0; i < count; ++i) SysFreeString(texts[i]);
}

// The help string only when asked: long texts cost most of a run.
void ReadDocumentation(ITypeInfo* type, MEMBERID id, bool withHelp = true) {
  BSTR name = nullptr, help = nullptr, file = nullptr;
  DWORD context = 0;
  if (SUCCEEDED(type->GetDocumentation(id, &name, withHelp ? &help : nullptr, &context, &file))) {
    SysFreeString(name);
    SysFreeString(help);
    SysFreeString(file);
  }
}

void ReadFunctions(ITypeInfo* type, UINT count, std::size_t size) {
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* function = nullptr;
    Require(SUCCEEDED(type->GetFuncDesc(i, &function)), "every counted function reads");
    Require(function->cParams >= 0 && 12 * std::size_t(function->cParams) < size,
            "parameters the file holds");
    BSTR names[8] = {};
    UINT got = 0;
    if (SUCCEEDED(type->GetNames(function->memid, names, 8, &got))) {
      Require(got <= 8, "names within the buffer");
      FreeAll(names, got);
    }
    ReadDocumentation(type, function->memid, i == 0);
    type->ReleaseFuncDesc(function);
  }
  FUNCDESC* beyond = nullptr;
  Require(type->GetFuncDesc(count, &beyond) == TYPE_E_ELEMENTNOTFOUND, "no function beyond");
}

void ReadType(ITypeInfo* type, std::size_t size) {
  TYPEATTR* attributes = nullptr;
  Require(SUCCEEDED(type->GetTypeAttr(&attributes)), "every type's attributes read");
  const TYPEATTR a = *attributes;
  type->ReleaseTypeAttr(attributes);
  Require(std::size_t(a.cFuncs) * 24 <= size, "functions the file holds");
  ReadDocumentation(type, MEMBERID_NIL);
  ReadFunctions(type, a.cFuncs, size);
  for (UINT i = 0; i <= a.cImplTypes && i < 64; ++i) {
    HREFTYPE reference = 0;
    INT flags = 0;
    if (FAILED(type->GetRefTypeOfImplType(i, &reference))) continue;
    type->GetImplTypeFlags(i, &flags);
    ComPtr<ITypeInfo> implemented;
    if (SUCCEEDED(type->GetRefTypeInfo(reference, implemented.GetAddressOf()))) {
      ReadDocumentation(implemented.Get(), MEMBERID_NIL);
    }
  }
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  ComPtr<ITypeLib> library;
  if (FAILED(platform::LoadTypeLibFromBytes(std::vector<unsigned char>(data, data + size),
                                            library.GetAddressOf()))) {
    return 0;
  }
  const UINT count = library->GetTypeInfoCount();
  Require(std::size_t(count) * 100 <= size, "types the file holds");
  TLIBATTR* attributes = nullptr;
  Require(SUCCEEDED(library->GetLibAttr(&attributes)), "the library's attributes read");
  const GUID guid = attributes->guid;
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr, help = nullptr, file = nullptr;
  if (SUCCEEDED(library->GetDocumentation(-1, &name, &help, nullptr, &file))) {
    SysFreeString(name);
    SysFreeString(help);
    SysFreeString(file);
  }
  if (count > 0) {
    std::size_t pick = 0;
    for (size_t i = 0; i < size; i += 64) pick += data[i];
    ComPtr<ITypeInfo> type;
    Require(SUCCEEDED(library->GetTypeInfo(UINT(pick % count), type.GetAddressOf())),
            "every counted type reads");
    ReadType(type.Get(), size);
  }
  ComPtr<ITypeInfo> found;
  library->GetTypeInfoOfGuid(guid, found.GetAddressOf());
  return 0;
}
