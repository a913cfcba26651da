// The query page's queries, for the cancellation window that repeats them.
#pragma once

namespace desk {

// Fills the query list again by the query LastQueryKind names, with the
// boxes and pickers as they are now. False when no query has run yet.
bool RepeatLastQuery();

}  // namespace desk
