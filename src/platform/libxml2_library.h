// libxml2, loaded when the first XML document is made instead of when the launcher starts (POSIX).
// Most runs never read the deployment registry, and mapping libxml2 with what it depends on (ICU
// among others) costs every start-up several milliseconds. A machine without libxml2 then loses
// only the deployment registry as a source of the JRE, not the launcher.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

namespace lumora::xml::libxml2 {

// The library's entry points the XML seam uses, under their libxml2 names without "xml".
struct Library {
  decltype(&::xmlNewParserCtxt) NewParserCtxt;
  decltype(&::xmlFreeParserCtxt) FreeParserCtxt;
  decltype(&::xmlCtxtReadIO) CtxtReadIO;
  decltype(&::xmlStopParser) StopParser;
  decltype(&::xmlNewDoc) NewDoc;
  decltype(&::xmlFreeDoc) FreeDoc;
  decltype(&::xmlDocGetRootElement) DocGetRootElement;
  decltype(&::xmlNodeGetContent) NodeGetContent;
  decltype(&::xmlXPathNewContext) XPathNewContext;
  decltype(&::xmlXPathFreeContext) XPathFreeContext;
  decltype(&::xmlXPathEvalExpression) XPathEvalExpression;
  decltype(&::xmlXPathFreeObject) XPathFreeObject;
  xmlFreeFunc* Free;  // the library's allocator hook, a variable
};

// The library, loaded on the first call and kept for the rest of the process (its parser keeps
// global state); nothing when it or one of its entry points cannot be had.
const Library* library();

// The loaded library; only for code that holds a document, which library() made possible.
inline const Library& loaded() { return *library(); }

}  // namespace lumora::xml::libxml2
