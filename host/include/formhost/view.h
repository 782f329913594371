// The read model of every front end: a session's windows, their controls,
// data windows with columns and rows, menus and the pending message box, as
// JSON with texts in UTF-8. Kept apart from session.h so that modules never
// see the JSON library.
#pragma once

#include <nlohmann/json.hpp>

#include "formhost/export.h"

namespace fh {

class Session;

// Read on the session's thread, or while it waits idle (Session::wait_idle).
FH_API nlohmann::json view(const Session& session);

}  // namespace fh
