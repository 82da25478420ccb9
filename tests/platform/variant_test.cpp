// VARIANT clearing and copying: who owns strings and interface references.
#include <gtest/gtest.h>

#include "counted_object.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

using korvane::test::CountedObject;

TEST(Variant, CopyDuplicatesStringsAndClearFreesThem) {
  VARIANT source;
  VariantInit(&source);
  EXPECT_EQ(source.vt, VT_EMPTY);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(OLESTR("text"));

  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, source.bstrVal) << "the copy owns its own string";
  EXPECT_TRUE(BstrView(copy.bstrVal) == OLESTR("text"));

  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(copy.vt, VT_EMPTY);
  EXPECT_TRUE(BstrView(source.bstrVal) == OLESTR("text"));
  EXPECT_EQ(VariantClear(&source), S_OK);
}

TEST(Variant, CopyAddRefsInterfacesAndClearReleasesThem) {
  CountedObject object;
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_UNKNOWN;
  source.punkVal = &object;
  object.AddRef();

  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(object.references(), 2);
  EXPECT_EQ(copy.punkVal, static_cast<IUnknown*>(&object));
  ASSERT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(object.references(), 1);
  ASSERT_EQ(VariantClear(&source), S_OK);
  EXPECT_EQ(object.references(), 0);
}

TEST(Variant, CopyOverwritesTheTargetAfterClearingIt) {
  CountedObject object;
  object.AddRef();
  VARIANT target;
  VariantInit(&target);
  target.vt = VT_UNKNOWN;
  target.punkVal = &object;

  VARIANT number;
  VariantInit(&number);
  number.vt = VT_R8;
  number.dblVal = 2.5;
  ASSERT_EQ(VariantCopy(&target, &number), S_OK);
  EXPECT_EQ(object.references(), 0) << "the old content was released";
  EXPECT_EQ(target.vt, VT_R8);
  EXPECT_EQ(target.dblVal, 2.5);
}

TEST(Variant, ByReferenceVariantsOwnNothing) {
  CountedObject object;
  IUnknown* held = &object;
  object.AddRef();
  BSTR text = SysAllocString(OLESTR("kept"));
  LONG number = 7;

  struct Case {
    VARTYPE vt;
    void* pointer;
  };
  const Case cases[] = {
      {VT_UNKNOWN | VT_BYREF, &held}, {VT_BSTR | VT_BYREF, &text}, {VT_I4 | VT_BYREF, &number}};
  for (const Case& c : cases) {
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = c.vt;
    reference.byref = c.pointer;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &reference), S_OK) << c.vt;
    EXPECT_EQ(copy.byref, c.pointer) << c.vt;
    EXPECT_EQ(VariantClear(&copy), S_OK) << c.vt;
    EXPECT_EQ(VariantClear(&reference), S_OK) << c.vt;
  }
  EXPECT_EQ(object.references(), 1);
  EXPECT_TRUE(BstrView(text) == OLESTR("kept"));
  EXPECT_EQ(number, 7);
  SysFreeString(text);
  object.Release();
}

TEST(Variant, UnknownTypesAreRefused) {
  VARIANT odd;
  VariantInit(&odd);
  odd.vt = 0x0FFF;
  EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
  VARIANT copy;
  VariantInit(&copy);
  EXPECT_EQ(VariantCopy(&copy, &odd), DISP_E_BADVARTYPE);
}

}  // namespace
