// The objects the test JVM hands out as references. A reference is a pointer to one of these
// small objects, so that every call can be checked against what was handed out: the right kind of
// object, not yet deleted, created by this library. Objects are only flagged when deleted, never
// freed while the library is loaded, so that a stale reference can never alias a newer one.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/jni.h"

namespace lumora::testjvm {

enum class Kind { kClass, kString, kArray, kThrowable };

// The word DeleteLocalRef records for a kind: "class", "string", "array", "throwable".
const char* kindName(Kind kind);

}  // namespace lumora::testjvm

// The opaque types of the JNI declarations, given a body here.
namespace lumora::jni {

struct Object {
  testjvm::Kind kind = testjvm::Kind::kClass;
  // For a class: the class it names ("java/lang/String"); else the class of the object.
  std::string className;
  // For a string: its text; for a throwable: what its toString() returns.
  std::u16string text;
  // For an array of strings: its elements, each a string's text or null.
  std::vector<std::optional<std::u16string>> elements;
  bool deleted = false;
};

struct MethodId {
  const char* name;
  const char* signature;
};

}  // namespace lumora::jni

namespace lumora::testjvm {

class Heap {
 public:
  jni::jobject newClass(std::string name);
  jni::jobject newString(std::u16string text);
  jni::jobject newArray(std::string elementClass, jni::jsize length,
                        const std::optional<std::u16string>& initial);
  jni::jobject newThrowable(std::string className, std::u16string text);

  // The object `ref` stands for, when it was handed out here and not deleted; else null.
  jni::Object* find(jni::jobject ref) const;
  // Deletes a reference that find() accepted.
  void remove(jni::Object* object);

  // A NUL-terminated copy of a string's text, owned here until unpinned (GetStringChars).
  const jni::jchar* pin(const jni::Object* string);
  // False when `chars` is not a copy pinned for `string`.
  bool unpin(const jni::Object* string, const jni::jchar* chars);
  std::size_t pinnedCount() const { return pinned_.size(); }

 private:
  jni::Object* add(Kind kind, std::string className);

  std::vector<std::unique_ptr<jni::Object>> objects_;
  std::unordered_set<const jni::Object*> live_;
  std::map<const jni::jchar*, std::pair<const jni::Object*, std::unique_ptr<jni::jchar[]>>> pinned_;
};

}  // namespace lumora::testjvm
