/* A client that ends as test programs end: sessions opened on several threads at once, then a
 * return from main. The first argument says how it ends:
 *   close   every session closed and every thread joined;
 *   leave   sessions left open, their threads still blocked holding their session locks
 *           (Korvane_LockSession), when main returns;
 *   unload  (the loader build) the module loaded at run time, used, and unloaded before main
 *           returns.
 * run_exit_test.sh starts it many times in a row and fails any run that does not end. */
#include <pthread.h>
#include <stdio.h>
#include <string.h>

#include "Korvane.h"

#ifdef KORVANE_EXIT_LOADER
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif
#endif

enum { kThreads = 4 };

typedef ViStatus (*InitFunction)(ViRsrc, ViBoolean, ViBoolean, ViConstString, ViSession*);
typedef ViStatus (*ReadFunction)(ViSession, ViConstString, ViAttr, ViReal64*);
typedef ViStatus (*CloseFunction)(ViSession);
typedef ViStatus (*LockFunction)(ViSession, ViBoolean*);

/* The driver functions the client calls: linked, or found in the module loaded at run time. */
struct Driver {
  InitFunction init;
  ReadFunction read;
  CloseFunction close;
  LockFunction lock;
};

struct Run {
  struct Driver driver;
  int leave;                /* sessions stay open and threads stay blocked at exit */
  pthread_barrier_t opened; /* every thread's session is open at the same time */
  pthread_barrier_t never;  /* one more party than ever arrives: holds threads at exit */
};

/* Opens a simulated session and reads from it; returns it, or VI_NULL on failure. */
static ViSession OpenAndRead(const struct Driver* driver) {
  ViSession vi = VI_NULL;
  ViReal64 uptime = -1;
  if (driver->init("PXI0::0::INSTR", VI_FALSE, VI_FALSE, "Simulate=true", &vi) != VI_SUCCESS ||
      driver->read(vi, "", KORVANE_ATTR_SYSTEM_UPTIME, &uptime) != VI_SUCCESS || uptime < 0) {
    return VI_NULL;
  }
  return vi;
}

static void* SessionThread(void* argument) {
  struct Run* run = argument;
  const ViSession vi = OpenAndRead(&run->driver);
  pthread_barrier_wait(&run->opened);
  if (run->leave) {
    /* Ends with the process while holding its session's lock: nothing at exit may wait for it. */
    run->driver.lock(vi, NULL);
    pthread_barrier_wait(&run->never);
  }
  return vi != VI_NULL && run->driver.close(vi) == VI_SUCCESS ? argument : NULL;
}

#ifdef KORVANE_EXIT_LOADER
#ifdef _WIN32
typedef HMODULE Module;
static Module LoadDriverModule(void) {
  return LoadLibraryA(KORVANE_MODULE_FILE);
}
static void* Symbol(Module module, const char* name) {
  return (void*)(INT_PTR)GetProcAddress(module, name);
}
static int UnloadDriverModule(Module module) {
  return FreeLibrary(module) ? 0 : 1;
}
#else
typedef void* Module;
static Module LoadDriverModule(void) {
  return dlopen(KORVANE_MODULE_FILE, RTLD_NOW);
}
static void* Symbol(Module module, const char* name) {
  return dlsym(module, name);
}
static int UnloadDriverModule(Module module) {
  return dlclose(module);
}
#endif

static int FindDriver(Module module, struct Driver* driver) {
  *(void**)&driver->init = Symbol(module, "Korvane_InitWithOptions");
  *(void**)&driver->read = Symbol(module, "Korvane_GetAttributeViReal64");
  *(void**)&driver->close = Symbol(module, "Korvane_close");
  *(void**)&driver->lock = Symbol(module, "Korvane_LockSession");
  return driver->init != NULL && driver->read != NULL && driver->close != NULL &&
         driver->lock != NULL;
}
#endif

/* The sessions of one run; returns the number of sessions that failed. */
static int RunSessions(struct Run* run) {
  pthread_t threads[kThreads];
  int failures = 0;
  int i;
  ViSession own;
  pthread_barrier_init(&run->opened, NULL, kThreads + 1);
  pthread_barrier_init(&run->never, NULL, kThreads + 1);
  for (i = 0; i < kThreads; ++i) pthread_create(&threads[i], NULL, SessionThread, run);
  own = OpenAndRead(&run->driver); /* the main thread is a COM client too */
  pthread_barrier_wait(&run->opened);
  if (own == VI_NULL) ++failures;
  if (run->leave) return failures; /* the threads stay blocked in `never` */
  for (i = 0; i < kThreads; ++i) {
    void* closed = NULL;
    pthread_join(threads[i], &closed);
    if (closed == NULL) ++failures;
  }
  if (own != VI_NULL && run->driver.close(own) != VI_SUCCESS) ++failures;
  return failures;
}

/* Outlives main: in the leave variant its threads still wait on it while the process ends. */
static struct Run run;

int main(int argc, char** argv) {
  const char* variant = argc > 1 ? argv[1] : "";
  int failures;
  printf("exit_client %s: main starts\n", variant);
  fflush(stdout);
  run.leave = strcmp(variant, "leave") == 0;
#ifdef KORVANE_EXIT_LOADER
  Module module = LoadDriverModule();
  if (strcmp(variant, "unload") != 0 || module == NULL || !FindDriver(module, &run.driver)) {
    fprintf(stderr, "exit_client: variant \"%s\": expected unload with a loadable module\n",
            variant);
    return 2;
  }
  failures = RunSessions(&run);
  failures += UnloadDriverModule(module);
#else
  if (!run.leave && strcmp(variant, "close") != 0) {
    fprintf(stderr, "exit_client: variant \"%s\": expected close or leave\n", variant);
    return 2;
  }
  run.driver.init = Korvane_InitWithOptions;
  run.driver.read = Korvane_GetAttributeViReal64;
  run.driver.close = Korvane_close;
  run.driver.lock = Korvane_LockSession;
  failures = RunSessions(&run);
#endif
  if (failures != 0) fprintf(stderr, "exit_client %s: %d failures\n", variant, failures);
  /* Tells a failed run that ended after main (at the process's end) from one that failed in it
   * and, with the first line, from one that never reached main. */
  printf("exit_client %s: main returns %d\n", variant, failures != 0);
  fflush(stdout);
  return failures != 0;
}
