// A library that loads like a JVM library (and records "attach" and "detach" the same way) but
// has no JNI_CreateJavaVM, for the loader's "not a JVM" case.
#include "module_io.h"

// One export, so that the DLL does not export everything in it instead.
LUMORA_TESTJVM_EXPORT int lumora_not_a_jvm() { return 0; }
