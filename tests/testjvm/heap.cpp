#include "heap.h"

#include <utility>

namespace lumora::testjvm {

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::kClass:
      return "class";
    case Kind::kString:
      return "string";
    case Kind::kArray:
      return "array";
    case Kind::kThrowable:
      return "throwable";
  }
  return "other";
}

jni::jobject Heap::newClass(std::string name) { return add(Kind::kClass, std::move(name)); }

jni::jobject Heap::newString(std::u16string text) {
  jni::Object* object = add(Kind::kString, "java/lang/String");
  object->text = std::move(text);
  return object;
}

jni::jobject Heap::newArray(std::string elementClass, jni::jsize length,
                            const std::optional<std::u16string>& initial) {
  jni::Object* object = add(Kind::kArray, "[L" + elementClass + ";");
  object->elements.assign(static_cast<std::size_t>(length), initial);
  return object;
}

jni::jobject Heap::newThrowable(std::string className, std::u16string text) {
  jni::Object* object = add(Kind::kThrowable, std::move(className));
  object->text = std::move(text);
  return object;
}

jni::Object* Heap::find(jni::jobject ref) const { return live_.contains(ref) ? ref : nullptr; }

void Heap::remove(jni::Object* object) {
  object->deleted = true;
  live_.erase(object);
}

const jni::jchar* Heap::pin(const jni::Object* string) {
  // Terminated, as a real JVM's copy is.
  const std::u16string& text = string->text;
  auto copy = std::make_unique<jni::jchar[]>(text.size() + 1);
  text.copy(copy.get(), text.size());
  copy[text.size()] = u'\0';
  const jni::jchar* chars = copy.get();
  pinned_.emplace(chars, std::make_pair(string, std::move(copy)));
  return chars;
}

bool Heap::unpin(const jni::Object* string, const jni::jchar* chars) {
  auto it = pinned_.find(chars);
  if (it == pinned_.end() || it->second.first != string) return false;
  pinned_.erase(it);
  return true;
}

jni::Object* Heap::add(Kind kind, std::string className) {
  auto object = std::make_unique<jni::Object>();
  object->kind = kind;
  object->className = std::move(className);
  objects_.push_back(std::move(object));
  live_.insert(objects_.back().get());
  return objects_.back().get();
}

}  // namespace lumora::testjvm
