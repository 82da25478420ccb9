// korvane-about: prints which driver this build is. tools/run.sh runs it when
// the example client is not part of the build.
#include <cstdio>

int main() {
  std::printf("Korvane %s: IVI driver for the Q7730A 18-slot PXI Express chassis\n",
              KORVANE_VERSION);
  return 0;
}
