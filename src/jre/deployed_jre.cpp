#include "jre/deployed_jre.h"

#include <cstddef>
#include <new>

#include "jre/properties_reader.h"
#include "platform/os.h"
#include "platform/path.h"
#include "shell/diagnostic_log.h"

namespace lumora {
namespace {

// Where the deployment registry records the JRE: the first argument is the platform key, the
// second the JRE version.
constexpr std::u16string_view kQueryFormat =
    u"/Registry/Key[@name='Machine']/Key[@name='INSTALL']/Key[@name='%s']/Key[@name='javaruntime']"
    u"/Key[@name='%s']/Value[@name='location']";

constexpr std::u16string_view kPlaceholder = u"%s";

// Hands the pieces of the formatted text to `emit`, in order.
template <typename Emit>
void forEachPiece(std::u16string_view format, std::initializer_list<std::u16string_view> arguments,
                  Emit emit) {
  const std::u16string_view* next = arguments.begin();
  std::size_t at = 0;
  for (;;) {
    const std::size_t found = format.find(kPlaceholder, at);
    if (found == std::u16string_view::npos || next == arguments.end()) {
      emit(format.substr(at));
      return;
    }
    emit(format.substr(at, found - at));
    emit(*next++);
    at = found + kPlaceholder.size();
  }
}

// The deployment tool's preferences file in the machine-wide application-data folder.
std::optional<std::u16string> preferencesPath() {
  std::optional<std::u16string> path = os::machineDataFolder();
  if (!path || !pathAppend(*path, localPath(u"Veltra\\VeltraSetupManager\\vsmpreferences.txt"))) {
    return std::nullopt;
  }
  return path;
}

// The deployment registry under the installation root; nothing when it does not fit a path.
std::optional<std::u16string> registryPath(const std::u16string& root) {
  if (root.size() >= os::kMaxPath) return std::nullopt;
  std::u16string path = root;
  if (!pathAppend(path, localPath(u"setupledger\\registry.xml"))) return std::nullopt;
  return path;
}

// Copies the location that the registry records into `jreFolder`. The owners are declared so
// that they are given back in this order: the data attribute, the attribute map, the name "data",
// the selected node, the query, the registry path, the document.
bool readRegistry(const std::u16string& path, std::u16string& jreFolder) {
  std::optional<xml::Document> document = xml::Document::create();
  if (!document) return false;
  DiagnosticLog::write(u"Successfully created MSXML document.\n");

  std::optional<xml::String> pathText = xml::String::make(path);
  if (!pathText || !document->load(*pathText)) return false;
  DiagnosticLog::write(u"Successfully loaded XML.\n");

  std::optional<xml::String> query = formatQuery(kQueryFormat, {u"win", u"9.4"});
  if (!query) return false;

  std::optional<xml::Node> node = document->selectSingleNode(*query);
  if (!node) return false;
  DiagnosticLog::write(u"Successfully selected node.\n");

  std::optional<xml::String> dataName;  // made after the map, given back after it
  std::optional<xml::AttributeMap> attributes = node->attributes();
  if (!attributes) return false;
  DiagnosticLog::write(u"Successfully selected attributes.\n");

  dataName = xml::String::make(u"data");
  if (!dataName) return false;
  std::optional<xml::Node> data = attributes->namedItem(*dataName);
  if (!data) return false;
  DiagnosticLog::write(u"Successfully retrieved data attribute.\n");

  std::optional<std::u16string> location = data->text();
  if (!location || location->size() >= os::kMaxPath) return false;
  jreFolder = *location;
  logLabelledValue(u"Successfully retrieved JRE location.\n", jreFolder);
  return true;
}

}  // namespace

std::optional<xml::String> formatQuery(std::u16string_view format,
                                       std::initializer_list<std::u16string_view> arguments) {
  std::u16string text;
  try {
    std::size_t length = 0;
    forEachPiece(format, arguments, [&](std::u16string_view piece) { length += piece.size(); });
    text.reserve(length);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  forEachPiece(format, arguments, [&](std::u16string_view piece) { text += piece; });
  std::optional<xml::String> query = xml::String::make(text);
  if (!query) return std::nullopt;
  logLabelledValue(u"Successfully created query.\n", text);
  return query;
}

bool findDeployedJre(std::u16string& jreFolder) {
  const std::optional<std::u16string> preferencesFile = preferencesPath();
  if (!preferencesFile) return false;
  logLabelledValue(u"Attempting to read vsmpreferences.txt.\n", *preferencesFile);

  // Outlives everything that the registry lookup obtains, and is discarded last.
  PropertyMap preferences;
  if (!PropertiesReader::read(*preferencesFile, preferences)) return false;
  DiagnosticLog::write(u"vsmpreferences.txt read successfully.\n");

  const auto root = preferences.find(u"VeltraHome");
  if (root == preferences.end()) return false;
  DiagnosticLog::write(u"VeltraHome property found successfully.\n");

  const std::optional<std::u16string> registryFile = registryPath(root->second);
  if (!registryFile) return false;
  logLabelledValue(u"Looking for deployment registry.\n", *registryFile);
  return readRegistry(*registryFile, jreFolder);
}

}  // namespace lumora
