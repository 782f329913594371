// How far the action a session's thread carries out has come, for front
// ends that show a long retrieval's progress. Kept apart from the public
// headers: only the session and the data windows use it.
#pragma once

#include <atomic>

namespace fh {

// The counter of rows read of the session whose action runs on this thread;
// null on threads that carry out no action.
extern thread_local std::atomic<long>* rows_read_here;

}  // namespace fh
