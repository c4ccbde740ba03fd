// The narrow view of an XML document object model that reading the deployment registry needs:
// create a document, load a file into it, select the first node that an XPath 1.0 query matches,
// and read an attribute's text. Each step has its own result, so that the caller can tell how
// far it got. xml_document_msxml.cpp implements it with MSXML 6.0 through COM (Windows), and
// xml_document_libxml2.cpp with libxml2 and its XPath engine (POSIX); CMake picks one.
//
// Every object that the engine hands out has an owner here that gives it back when destroyed, so
// a caller controls the order of release by the order in which it declares its owners (the last
// declared goes first). Nodes and attribute maps belong to their document and must not outlive
// the Document that produced them.
//
// Documents that declare a DTD (an internal subset or an external one) are refused as not
// well-formed, on both targets: entity declarations are never expanded and nothing is fetched.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lumora::xml {
namespace detail {

// Owns one engine object or string; `Traits::release`, defined by the backend, gives it back.
template <typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(void* handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  void* get() const { return handle_; }
  void reset(void* handle = nullptr) {
    if (handle_ != nullptr) Traits::release(handle_);
    handle_ = handle;
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace detail

class AttributeMap;
class Document;
class Node;

// A text in the form the engine takes it: a BSTR with MSXML; with libxml2 the UTF-16 text itself,
// converted where the engine needs it.
class String {
 public:
  // Nothing when the engine's string cannot be allocated.
  static std::optional<String> make(std::u16string_view text);

 private:
  friend class AttributeMap;
  friend class Document;
  struct Traits {
    static void release(void* handle);
  };
  explicit String(void* handle) : handle_(handle) {}
  detail::UniqueHandle<Traits> handle_;
};

// A node of a document: an element that a query selected, or an attribute.
class Node {
 public:
  // The attributes of an element; nothing when the node has none to give (it is no element) or
  // they cannot be had.
  std::optional<AttributeMap> attributes() const;

  // The node's text in UTF-16; for an attribute, its value as the parser normalised it (an empty
  // value gives an empty text). Nothing when the text cannot be had.
  std::optional<std::u16string> text() const;

 private:
  friend class AttributeMap;
  friend class Document;
  struct Traits {
    static void release(void* handle);
  };
  explicit Node(void* handle) : handle_(handle) {}
  detail::UniqueHandle<Traits> handle_;
};

// The attributes of an element.
class AttributeMap {
 public:
  // The attribute with the qualified name `name` (so "data" does not match "x:data"); nothing
  // when there is none or it cannot be had.
  std::optional<Node> namedItem(const String& name) const;

 private:
  friend class Node;
  struct Traits {
    static void release(void* handle);
  };
  explicit AttributeMap(void* handle) : handle_(handle) {}
  detail::UniqueHandle<Traits> handle_;
};

class Document {
 public:
  // A new, empty document. Nothing when the engine cannot make one (with MSXML: MSXML 6.0 is
  // missing, or COM is not initialised on this thread).
  static std::optional<Document> create();

  // Parses the file at `path` into the document. False when the file is missing or is no
  // readable file, or the document is not well-formed (namespaces included), has no document
  // element or declares a DTD; the document is then of no further use.
  bool load(const String& path);

  // The first node in document order that the XPath 1.0 expression `query` selects; nothing when
  // it selects none or cannot be evaluated.
  std::optional<Node> selectSingleNode(const String& query) const;

 private:
  struct Traits {
    static void release(void* handle);
  };
  explicit Document(void* handle) : handle_(handle) {}
  detail::UniqueHandle<Traits> handle_;
};

}  // namespace lumora::xml
