// The XML document seam with MSXML 6.0 through COM (Windows).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which they build on.
#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include "platform/xml_document.h"

namespace lumora::xml {
namespace {

// MinGW's msxml2.h knows neither the 6.0 document class nor IXMLDOMDocument3. The object is asked
// for IXMLDOMDocument3 and used through IXMLDOMDocument, from which that interface derives.
constexpr CLSID kDomDocument60 = {
    0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr IID kIXMLDOMDocument3 = {
    0x2933BF96, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Owns a BSTR that a COM call hands out.
class Bstr {
 public:
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(text_); }
  BSTR* out() { return &text_; }
  // A null BSTR is the empty text.
  std::u16string text() const {
    return std::u16string(reinterpret_cast<const char16_t*>(text_), SysStringLen(text_));
  }

 private:
  BSTR text_ = nullptr;
};

BSTR bstrOf(const void* handle) { return static_cast<BSTR>(const_cast<void*>(handle)); }

void releaseInterface(void* handle) { static_cast<IUnknown*>(handle)->Release(); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// String

std::optional<String> String::make(std::u16string_view text) {
  BSTR made = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (made == nullptr) return std::nullopt;
  return String(made);
}

void String::Traits::release(void* handle) { SysFreeString(static_cast<BSTR>(handle)); }

// ---------------------------------------------------------------------------------------------
// Node

void Node::Traits::release(void* handle) { releaseInterface(handle); }

std::optional<AttributeMap> Node::attributes() const {
  IXMLDOMNamedNodeMap* map = nullptr;
  const HRESULT status = static_cast<IXMLDOMNode*>(handle_.get())->get_attributes(&map);
  if (FAILED(status) || map == nullptr) return std::nullopt;
  return AttributeMap(map);
}

std::optional<std::u16string> Node::text() const {
  Bstr text;
  if (FAILED(static_cast<IXMLDOMNode*>(handle_.get())->get_text(text.out()))) {
    return std::nullopt;
  }
  return text.text();
}

// ---------------------------------------------------------------------------------------------
// AttributeMap

void AttributeMap::Traits::release(void* handle) { releaseInterface(handle); }

std::optional<Node> AttributeMap::namedItem(const String& name) const {
  IXMLDOMNode* item = nullptr;
  const HRESULT status = static_cast<IXMLDOMNamedNodeMap*>(handle_.get())
                             ->getNamedItem(bstrOf(name.handle_.get()), &item);
  if (FAILED(status) || item == nullptr) return std::nullopt;
  return Node(item);
}

// ---------------------------------------------------------------------------------------------
// Document: every property keeps its default (DTDs prohibited, nothing resolved).

std::optional<Document> Document::create() {
  void* document = nullptr;
  const HRESULT status =
      CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                       kIXMLDOMDocument3, &document);
  if (FAILED(status) || document == nullptr) return std::nullopt;
  return Document(document);
}

void Document::Traits::release(void* handle) { releaseInterface(handle); }

bool Document::load(const String& path) {
  auto* document = static_cast<IXMLDOMDocument*>(handle_.get());
  // The VARIANT only lends the path: the String owns it, so the VARIANT is not cleared.
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = bstrOf(path.handle_.get());
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT status = document->load(source, &loaded);
  if (FAILED(status) || loaded != VARIANT_TRUE) return false;
  // MSXML 6.0 on Windows refuses a DTD while loading (ProhibitDTD), but other implementations of
  // the class, such as Wine's, load it; such a document is refused here all the same.
  IXMLDOMDocumentType* doctype = nullptr;
  if (FAILED(document->get_doctype(&doctype))) return false;
  if (doctype == nullptr) return true;
  doctype->Release();
  return false;
}

std::optional<Node> Document::selectSingleNode(const String& query) const {
  IXMLDOMNode* node = nullptr;
  const HRESULT status = static_cast<IXMLDOMDocument*>(handle_.get())
                             ->selectSingleNode(bstrOf(query.handle_.get()), &node);
  if (FAILED(status) || node == nullptr) return std::nullopt;
  return Node(node);
}

}  // namespace lumora::xml
