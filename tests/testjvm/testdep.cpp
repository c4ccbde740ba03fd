#include "testdep.h"

extern "C" LUMORA_TESTDEP_API int lumora_testdep_answer() { return 42; }
