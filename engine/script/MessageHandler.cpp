// Silent protected-call message handler.
#include "MessageHandler.h"

namespace lua_tinker {

int on_error(lua_State*) { return 0; }

}  // namespace lua_tinker
