#include <string>
#include <utility>

#include "jvm_state.h"
#include "module_io.h"

namespace lumora::testjvm {
namespace {

// One function per slot, so that the record names the slot. It takes no parameters: whatever the
// caller pushed, the process ends before the function would return.
template <std::size_t Index>
[[noreturn]] void JNICALL unexpectedEnvSlot() {
  recordAndDie("unexpected-slot " + std::to_string(Index));
}

template <std::size_t Index>
[[noreturn]] void JNICALL unexpectedVmSlot() {
  recordAndDie("unexpected-vm-slot " + std::to_string(Index));
}

template <std::size_t... Index>
jni::NativeInterface envTable(std::index_sequence<Index...>) {
  return {{reinterpret_cast<void*>(&unexpectedEnvSlot<Index>)...}};
}

template <std::size_t... Index>
jni::InvokeInterface vmTable(std::index_sequence<Index...>) {
  return {{reinterpret_cast<void*>(&unexpectedVmSlot<Index>)...}};
}

}  // namespace

jni::NativeInterface unexpectedEnvTable() {
  return envTable(std::make_index_sequence<jni::kEnvSlotCount>());
}

jni::InvokeInterface unexpectedVmTable() {
  return vmTable(std::make_index_sequence<jni::kVmSlotCount>());
}

}  // namespace lumora::testjvm
