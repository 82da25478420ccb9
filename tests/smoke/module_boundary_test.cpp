// The build links every module with its own runtime; these checks prove that
// exceptions and threads still behave across module boundaries, which the
// driver relies on when the chassis library's constructor throws.
#include <gtest/gtest.h>

#include <exception>
#include <string>

#include "tests/smoke/module_fault.h"

namespace korvane::smoke {
namespace {

TEST(ModuleBoundary, ConstructorExceptionIsCaughtByTypeInTheCaller) {
  struct Case {
    int status;
    bool throws;
  };
  for (const Case c : {Case{0, false}, Case{-1073807343, true}, Case{7, true}}) {
    SCOPED_TRACE(c.status);
    try {
      FaultyResource resource(c.status);
      EXPECT_FALSE(c.throws);
      EXPECT_EQ(resource.status(), 0);
    } catch (const ModuleFault& fault) {
      EXPECT_TRUE(c.throws);
      EXPECT_EQ(fault.status(), c.status);
      EXPECT_EQ(std::string(fault.what()), "resource refused to open: " + std::to_string(c.status));
    }
  }
}

TEST(ModuleBoundary, ExceptionFromAWorkerThreadRethrowsInTheCaller) {
  std::exception_ptr fault = FaultFromWorkerThread(42);
  ASSERT_TRUE(fault);
  try {
    std::rethrow_exception(fault);
  } catch (const ModuleFault& caught) {
    EXPECT_EQ(caught.status(), 42);
    EXPECT_STREQ(caught.what(), "worker failed: 42");
    return;
  } catch (...) {
  }
  ADD_FAILURE() << "the worker's ModuleFault did not arrive as a ModuleFault";
}

}  // namespace
}  // namespace korvane::smoke
