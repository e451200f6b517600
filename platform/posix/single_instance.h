// The single-instance claim on POSIX systems: an abstract Unix socket, "\0<name>-<uid>", bound and
// listening while this copy runs. The kernel frees the name when its holder ends, however it ends,
// and another copy can connect to it to ask the holder to raise its window.
#pragma once

#include "platform/host.h"

namespace platform::posix {

// Binds the name for this copy; heldByAnother when another process holds it. ZANDREL_INSTANCE,
// when set, replaces "<name>-<uid>" (tests keep clear of a copy the developer runs).
host::InstanceClaim claimInstance(const char16_t* name);
// Gives the name up.
void releaseInstance();
// Whether another process holds the name (one too busy to accept counts as holding it); false
// while this one holds it.
bool otherInstanceRunning(const char16_t* name);
// Sends "raise\n" to the holder. False when no holder takes it.
bool raiseOtherInstance(const char16_t* name);
// The listening socket while this copy holds the name, else -1.
int instanceSocket();
// Accepts and reads, without waiting, what other copies sent. Returns the number of raise
// requests that arrived since the last call.
int takeRaiseRequests();

}  // namespace platform::posix
