// Thread-local slots, thread ids, the thread locale, the performance counter and modules.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

TEST(ThreadLocalSlot, EachThreadSeesItsOwnValue) {
  const DWORD slot = TlsAlloc();
  ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
  int mine = 1;
  int theirs = 2;
  EXPECT_EQ(TlsGetValue(slot), nullptr) << "slots start empty";
  ASSERT_TRUE(TlsSetValue(slot, &mine));
  void* seenByOther = &theirs;
  std::thread other([&] {
    seenByOther = TlsGetValue(slot);
    TlsSetValue(slot, &theirs);
  });
  other.join();
  EXPECT_EQ(seenByOther, nullptr);
  EXPECT_EQ(TlsGetValue(slot), &mine);
  EXPECT_TRUE(TlsFree(slot));
}

// The values a fiber-local slot's callback received.
std::vector<void*> fiberValuesFreed;
void WINAPI RecordFreed(PVOID value) {
  fiberValuesFreed.push_back(value);
}

TEST(FiberLocalSlot, EndingThreadHandsItsValueToTheCallback) {
  const DWORD slot = FlsAlloc(&RecordFreed);
  ASSERT_NE(slot, FLS_OUT_OF_INDEXES);
  int mine = 1;
  int theirs = 2;
  ASSERT_TRUE(FlsSetValue(slot, &mine));
  void* seenByOther = &theirs;
  std::thread([&] {
    seenByOther = FlsGetValue(slot);
    FlsSetValue(slot, &theirs);
  }).join();
  std::thread([] {}).join();  // a thread that set nothing hands nothing over
  EXPECT_EQ(seenByOther, nullptr) << "slots start empty";
  EXPECT_EQ(FlsGetValue(slot), &mine);
  EXPECT_EQ(fiberValuesFreed, std::vector<void*>{&theirs});
  FlsSetValue(slot, nullptr);
}

TEST(Thread, IdsDifferBetweenThreadsButNotProcesses) {
  DWORD otherThread = 0;
  DWORD otherProcess = 0;
  std::thread other([&] {
    otherThread = GetCurrentThreadId();
    otherProcess = GetCurrentProcessId();
  });
  other.join();
  EXPECT_NE(otherThread, GetCurrentThreadId());
  EXPECT_EQ(otherProcess, GetCurrentProcessId());
  EXPECT_NE(GetCurrentThreadId(), 0u);
}

TEST(Thread, LocaleIsPerThread) {
  const LCID original = GetThreadLocale();
  const LCID german = MAKELCID(MAKELANGID(0x07, SUBLANG_DEFAULT), SORT_DEFAULT);
  ASSERT_TRUE(SetThreadLocale(german));
  EXPECT_EQ(GetThreadLocale(), german);
  LCID seenByOther = german;
  std::thread other([&] { seenByOther = GetThreadLocale(); });
  other.join();
  EXPECT_NE(seenByOther, german);
  ASSERT_TRUE(SetThreadLocale(original));
  EXPECT_EQ(GetThreadLocale(), original);
}

TEST(Clock, PerformanceCounterMovesForwardAtItsFrequency) {
  LARGE_INTEGER frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_GT(frequency.QuadPart, 0);
  LARGE_INTEGER first{};
  LARGE_INTEGER second{};
  ASSERT_TRUE(QueryPerformanceCounter(&first));
  ASSERT_TRUE(QueryPerformanceCounter(&second));
  EXPECT_GE(second.QuadPart, first.QuadPart);
}

void FunctionInThisProgram() {}

TEST(Module, TheProgramKnowsItsOwnFile) {
  HMODULE self = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&FunctionInThisProgram), &self));
  ASSERT_NE(self, nullptr);
  OLECHAR byHandle[MAX_PATH];
  OLECHAR byNull[MAX_PATH];
  const DWORD length = GetModuleFileNameW(self, byHandle, MAX_PATH);
  ASSERT_GT(length, 0u);
  ASSERT_EQ(GetModuleFileNameW(nullptr, byNull, MAX_PATH), length);
  EXPECT_TRUE(OleString(byHandle, length) == OleString(byNull, length));
  EXPECT_NE(OleString(byHandle, length).find(OLESTR("platform_tests")), OleString::npos);

  // A small buffer gets the start of the name and the call returns its size.
  OLECHAR small[4] = {};
  EXPECT_EQ(GetModuleFileNameW(self, small, 4), 4u);
  EXPECT_EQ(small[0], byHandle[0]);
}

TEST(Module, MissingModulesAndSymbolsAreReported) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(OLESTR("korvane_no_such_module_42.dll")), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace

namespace {

TEST(Environment, VariablesAreSetReadAndRemoved) {
  const OLECHAR* name = OLESTR("KORVANE_PLATFORM_TEST_VARIABLE");
  ASSERT_TRUE(SetEnvironmentVariableW(name, OLESTR("caf\u00e9")));
  EXPECT_EQ(GetEnvironmentVariableW(name, nullptr, 0), 5u) << "the needed size counts the NUL";
  OLECHAR small[2] = {0x7777, 0x7777};
  EXPECT_EQ(GetEnvironmentVariableW(name, small, 2), 5u);
  OLECHAR value[16];
  ASSERT_EQ(GetEnvironmentVariableW(name, value, 16), 4u);
  EXPECT_TRUE(OleString(value) == OLESTR("caf\u00e9"));

  ASSERT_TRUE(SetEnvironmentVariableW(name, nullptr));
  SetLastError(0);
  EXPECT_EQ(GetEnvironmentVariableW(name, value, 16), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

}  // namespace
