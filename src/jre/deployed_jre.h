// The JRE that the deployment tool installed: its preferences file names the installation root,
// under which the deployment registry (an XML document) records the JRE's folder.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xml_document.h"

namespace lumora {

// True when the deployed JRE's folder was found and stored in `jreFolder`; otherwise `jreFolder`
// is untouched. Each step it passes is written to the diagnostic log, so the last text there
// shows how far it got. On Windows COM must be initialised on the calling thread.
bool findDeployedJre(std::u16string& jreFolder);

// `format` with each "%s" replaced by the next of `arguments` (a "%s" beyond the last argument
// stays as it is), as a string for the XML engine. Logs "Successfully created query.\n", the
// text and "\n". Nothing, and no log text, when the text cannot be made.
std::optional<xml::String> formatQuery(std::u16string_view format,
                                       std::initializer_list<std::u16string_view> arguments);

}  // namespace lumora
