// The XML document seam with libxml2 and its XPath 1.0 engine (POSIX).
#include <memory>
#include <new>

#include "platform/libxml2_library.h"
#include "platform/os.h"
#include "platform/unicode.h"
#include "platform/xml_document.h"

namespace lumora::xml {
namespace {

// The file is read through our own file type: it refuses folders, devices and pipes, and no
// compressed or remote input is ever opened on the parser's behalf.
int readFromFile(void* context, char* buffer, int length) {
  if (length <= 0) return 0;
  std::optional<std::size_t> count =
      static_cast<os::File*>(context)->read(buffer, static_cast<std::size_t>(length));
  return count ? static_cast<int>(*count) : -1;
}

// Set when the document declares a DTD; the parser stops at the DOCTYPE, before any declaration
// of its internal subset is read, so entities are never declared, expanded or fetched.
struct ParseState {
  bool declaresDtd = false;
};

void refuseDtd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  static_cast<ParseState*>(parser->_private)->declaresDtd = true;
  libxml2::loaded().StopParser(parser);
}

struct ParserDeleter {
  void operator()(xmlParserCtxtPtr parser) const { libxml2::loaded().FreeParserCtxt(parser); }
};
struct DocDeleter {
  void operator()(xmlDocPtr doc) const { libxml2::loaded().FreeDoc(doc); }
};
struct XPathContextDeleter {
  void operator()(xmlXPathContextPtr context) const { libxml2::loaded().XPathFreeContext(context); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObjectPtr object) const { libxml2::loaded().XPathFreeObject(object); }
};
struct XmlCharDeleter {
  void operator()(xmlChar* text) const { (*libxml2::loaded().Free)(text); }
};

// No network, no entity substitution, no DTD loading or default attributes; errors are not
// printed. The parser's default size limits (ten megabytes for a text, a comment or an attribute
// value) would refuse well-formed documents that MSXML reads, so they are lifted: with DTDs
// refused nothing can expand, and memory stays in proportion to the file.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;

std::unique_ptr<xmlDoc, DocDeleter> parse(os::File& file) {
  std::unique_ptr<xmlParserCtxt, ParserDeleter> parser(libxml2::loaded().NewParserCtxt());
  if (parser == nullptr || parser->sax == nullptr) return nullptr;
  ParseState state;
  parser->_private = &state;
  parser->sax->internalSubset = refuseDtd;
  std::unique_ptr<xmlDoc, DocDeleter> doc(
      libxml2::loaded().CtxtReadIO(parser.get(), readFromFile, nullptr, &file, nullptr, nullptr, kParseOptions));
  // A stopped parse can still hand back the part it built, so the flag decides, and a document
  // that somehow carries a subset is refused all the same.
  if (doc == nullptr || state.declaresDtd || !parser->wellFormed || !parser->nsWellFormed ||
      doc->intSubset != nullptr || doc->extSubset != nullptr ||
      libxml2::loaded().DocGetRootElement(doc.get()) == nullptr) {
    return nullptr;
  }
  return doc;
}

const std::u16string& textOf(void* handle) { return *static_cast<std::u16string*>(handle); }

std::u16string fromXmlChar(const xmlChar* text) {
  return utf8ToUtf16(reinterpret_cast<const char*>(text));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// String

std::optional<String> String::make(std::u16string_view text) {
  try {
    return String(new std::u16string(text));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

void String::Traits::release(void* handle) { delete static_cast<std::u16string*>(handle); }

// ---------------------------------------------------------------------------------------------
// Node: points into its document, which frees it.

void Node::Traits::release(void*) {}

std::optional<AttributeMap> Node::attributes() const {
  auto* node = static_cast<xmlNodePtr>(handle_.get());
  if (node->type != XML_ELEMENT_NODE) return std::nullopt;
  return AttributeMap(node);
}

std::optional<std::u16string> Node::text() const {
  std::unique_ptr<xmlChar, XmlCharDeleter> content(
      libxml2::loaded().NodeGetContent(static_cast<xmlNodePtr>(handle_.get())));
  if (content == nullptr) return std::nullopt;
  return fromXmlChar(content.get());
}

// ---------------------------------------------------------------------------------------------
// AttributeMap: the element itself, whose attribute list it is.

void AttributeMap::Traits::release(void*) {}

std::optional<Node> AttributeMap::namedItem(const String& name) const {
  const std::string wanted = utf16ToUtf8(textOf(name.handle_.get()));
  auto* element = static_cast<xmlNodePtr>(handle_.get());
  for (xmlAttrPtr attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    // The qualified name: a prefixed attribute is named "prefix:local".
    std::string qualified;
    if (attribute->ns != nullptr && attribute->ns->prefix != nullptr) {
      qualified = reinterpret_cast<const char*>(attribute->ns->prefix);
      qualified += ':';
    }
    qualified += reinterpret_cast<const char*>(attribute->name);
    if (qualified == wanted) return Node(attribute);
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Document

std::optional<Document> Document::create() {
  const libxml2::Library* library = libxml2::library();
  if (library == nullptr) return std::nullopt;
  xmlDocPtr doc = library->NewDoc(BAD_CAST "1.0");
  if (doc == nullptr) return std::nullopt;
  return Document(doc);
}

void Document::Traits::release(void* handle) { libxml2::loaded().FreeDoc(static_cast<xmlDocPtr>(handle)); }

bool Document::load(const String& path) {
  std::optional<os::File> file = os::File::openForReading(textOf(path.handle_.get()));
  if (!file) return false;
  std::unique_ptr<xmlDoc, DocDeleter> doc = parse(*file);
  if (doc == nullptr) return false;
  handle_.reset(doc.release());
  return true;
}

std::optional<Node> Document::selectSingleNode(const String& query) const {
  auto* doc = static_cast<xmlDocPtr>(handle_.get());
  const std::string expression = utf16ToUtf8(textOf(query.handle_.get()));
  std::unique_ptr<xmlXPathContext, XPathContextDeleter> context(libxml2::loaded().XPathNewContext(doc));
  if (context == nullptr) return std::nullopt;
  std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
      libxml2::loaded().XPathEvalExpression(BAD_CAST expression.c_str(), context.get()));
  // A node-set result comes sorted in document order.
  if (result == nullptr || result->type != XPATH_NODESET || result->nodesetval == nullptr ||
      result->nodesetval->nodeNr == 0) {
    return std::nullopt;
  }
  return Node(result->nodesetval->nodeTab[0]);
}

}  // namespace lumora::xml
