// The one export of lumoradep.dll, the library the test JVM's "needsdep" build imports from, so
// that loading that build needs a second DLL (as a real jvm.dll needs the runtime DLLs in jre\bin).
#pragma once

#if defined(LUMORA_TESTDEP_BUILD)
#define LUMORA_TESTDEP_API __declspec(dllexport)
#else
#define LUMORA_TESTDEP_API __declspec(dllimport)
#endif

extern "C" LUMORA_TESTDEP_API int lumora_testdep_answer();
