#include "tests/support/com_thread.h"

#include "platform/win32.h"

namespace korvane::testing {

ComThread::ComThread(std::function<void()> body)
    : thread_([body = std::move(body)] {
        const HRESULT entered = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_TRUE(SUCCEEDED(entered));
        body();
        if (SUCCEEDED(entered)) CoUninitialize();
      }) {}

ComThread::~ComThread() {
  thread_.join();
}

void ComEnvironment::SetUp() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
}

void ComEnvironment::TearDown() {
  CoUninitialize();
}

}  // namespace korvane::testing
