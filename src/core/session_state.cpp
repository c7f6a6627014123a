#include "core/session_state.h"

namespace zemble {

SessionState& session() {
    static SessionState state;
    return state;
}

} // namespace zemble
