#include "jvmconfig/single_user_token.h"

#include "platform/os.h"

namespace lumora {

bool makeSingleUserToken(JvmContext& context) {
  std::optional<std::u16string> guid = os::newGuidText();
  std::optional<std::string> token = guid ? os::toNarrow(*guid) : std::nullopt;
  if (!token) return false;
  context.token = std::move(token);
  return true;
}

}  // namespace lumora
