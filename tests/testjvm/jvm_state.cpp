#include "jvm_state.h"

namespace lumora::testjvm {
namespace {

JvmState theJvm;

}  // namespace

JvmState& jvm() { return theJvm; }

}  // namespace lumora::testjvm
