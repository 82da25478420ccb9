/* Korvane.h compiles as C89 (built as its own object with -std=c89 -pedantic). */
#include "Korvane.h"

ViStatus (*const korvaneHeaderC89Check)(ViSession) = Korvane_close;
