#include "jvmconfig/jvm_context.h"

#include "jre/jre_search.h"
#include "jvmconfig/jvm_options.h"
#include "jvmconfig/single_user_token.h"

namespace lumora {

void setUpJvmContext(JvmContext& context) {
  context = JvmContext{};
  if (!makeSingleUserToken(context)) return;
  // The options live only until the search returns: the JVM copies what it needs at creation.
  JvmOptionList options;
  if (buildJvmOptions(context, options)) searchForJre(context, options);
}

}  // namespace lumora
