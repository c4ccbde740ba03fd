#include "jre/jre_search.h"

#include "jre/deployed_jre.h"
#include "jre/jre_path_files.h"
#include "jre/jvm_loader.h"
#include "jre/public_jre.h"
#include "platform/path.h"
#include "shell/diagnostic_log.h"

namespace lumora {
namespace {

// A candidate source writes its folder into the JRE folder and says whether it found one.
using Source = bool (*)(std::u16string& jreFolder);

struct Candidate {
  std::u16string_view announcement;
  Source source;
};

bool readUserJrePath(std::u16string& jreFolder) {
  std::optional<std::u16string> path = userJrePathFile();
  if (path) readJrePathFile(jreFolder, *path);
  // The folder is tried whatever the file gave: what an earlier source left is tried again.
  return true;
}

}  // namespace

bool searchForJre(JvmContext& context, JvmOptionList& options) {
  DiagnosticLog::write(u"Looking for Lumora private JRE.\n");
  if (createJvmFromJre(localPath(u".\\jre"), context, options)) return true;

  // One JRE folder serves every later candidate and is never cleared between them, so a source
  // that finds nothing leaves the text of an earlier one in place.
  std::u16string jreFolder;
  static constexpr Candidate kCandidates[] = {
      {u"Looking for JRE configured in install directory.\n", readInstallJrePath},
      {u"Looking for Veltra Deployed private JRE.\n", findDeployedJre},
      {u"Looking for public JRE in registry.\n", queryPublicJre},
      {u"Looking for JRE specified in user profile.\n", readUserJrePath},
  };
  for (const Candidate& candidate : kCandidates) {
    DiagnosticLog::write(candidate.announcement);
    if (candidate.source(jreFolder) && createJvmFromJre(jreFolder, context, options)) return true;
  }

  // The prompt comes back after every chosen folder that yields no JVM, until the user cancels.
  for (;;) {
    DiagnosticLog::write(u"Prompting for JRE.\n");
    if (!promptForJre(jreFolder)) return false;
    if (createJvmFromJre(jreFolder, context, options)) break;
  }
  DiagnosticLog::write(u"Saving preferred JRE location to user profile.\n");
  saveUserJrePath(jreFolder);
  return true;
}

}  // namespace lumora
