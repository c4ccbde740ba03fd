#include "platform/libxml2_library.h"

#include <dlfcn.h>

#include <optional>

namespace lumora::xml::libxml2 {
namespace {

// The library's file name with its ABI version, which has not changed since libxml2 2.0.
constexpr char kFileName[] = "libxml2.so.2";

template <typename Entry>
bool resolve(void* handle, const char* name, Entry& entry) {
  entry = reinterpret_cast<Entry>(dlsym(handle, name));
  return entry != nullptr;
}

std::optional<Library> load() {
  void* handle = dlopen(kFileName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return std::nullopt;
  Library library{};
  const bool complete = resolve(handle, "xmlNewParserCtxt", library.NewParserCtxt) &&
                        resolve(handle, "xmlFreeParserCtxt", library.FreeParserCtxt) &&
                        resolve(handle, "xmlCtxtReadIO", library.CtxtReadIO) &&
                        resolve(handle, "xmlStopParser", library.StopParser) &&
                        resolve(handle, "xmlNewDoc", library.NewDoc) &&
                        resolve(handle, "xmlFreeDoc", library.FreeDoc) &&
                        resolve(handle, "xmlDocGetRootElement", library.DocGetRootElement) &&
                        resolve(handle, "xmlNodeGetContent", library.NodeGetContent) &&
                        resolve(handle, "xmlXPathNewContext", library.XPathNewContext) &&
                        resolve(handle, "xmlXPathFreeContext", library.XPathFreeContext) &&
                        resolve(handle, "xmlXPathEvalExpression", library.XPathEvalExpression) &&
                        resolve(handle, "xmlXPathFreeObject", library.XPathFreeObject) &&
                        resolve(handle, "xmlFree", library.Free) && *library.Free != nullptr;
  if (!complete) {
    dlclose(handle);
    return std::nullopt;
  }
  return library;
}

}  // namespace

const Library* library() {
  static const std::optional<Library> loadedOnce = load();
  return loadedOnce ? &*loadedOnce : nullptr;
}

}  // namespace lumora::xml::libxml2
