// VARIANT initialisation, clearing and copying for the scalar, string and
// interface types. Safe arrays are not part of this subset: VT_ARRAY variants
// that own their array are refused with DISP_E_BADVARTYPE.
#include "platform/posix/oleauto.h"

namespace {

// Whether vt names a variant this subset can hold.
bool IsSupportedType(VARTYPE vt) {
  const VARTYPE base = vt & VT_TYPEMASK;
  const bool byRef = (vt & VT_BYREF) != 0;
  if ((vt & ~(VT_TYPEMASK | VT_BYREF | VT_ARRAY)) != 0) return false;
  if ((vt & VT_ARRAY) != 0) return byRef;  // a reference to an array is only a pointer
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
      return !byRef;
    case VT_VARIANT:
    case VT_DECIMAL:
      return byRef;
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

}  // namespace

extern "C" void VariantInit(VARIANTARG* variant) {
  variant->vt = VT_EMPTY;
}

extern "C" HRESULT VariantClear(VARIANTARG* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  if (!IsSupportedType(variant->vt)) return DISP_E_BADVARTYPE;
  switch (variant->vt) {
    case VT_BSTR:
      SysFreeString(variant->bstrVal);
      break;
    case VT_UNKNOWN:
      if (variant->punkVal != nullptr) variant->punkVal->Release();
      break;
    case VT_DISPATCH:
      if (variant->pdispVal != nullptr) variant->pdispVal->Release();
      break;
    default:
      break;
  }
  variant->vt = VT_EMPTY;
  return S_OK;
}

extern "C" HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source) {
  if (target == nullptr || source == nullptr) return E_INVALIDARG;
  if (target == source) return S_OK;
  if (!IsSupportedType(source->vt)) return DISP_E_BADVARTYPE;
  const HRESULT cleared = VariantClear(target);
  if (FAILED(cleared)) return cleared;
  VARIANT copy = *source;
  if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal),
                                         SysStringByteLen(source->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  } else if (source->vt == VT_UNKNOWN && source->punkVal != nullptr) {
    source->punkVal->AddRef();
  } else if (source->vt == VT_DISPATCH && source->pdispVal != nullptr) {
    source->pdispVal->AddRef();
  }
  *target = copy;
  return S_OK;
}
