// The named mutex that keeps one copy of the program running: the host claims the name (on the
// desktop an abstract socket, which the kernel frees when its holder dies).
#include "platform/host.h"
#include "platform/platform.h"

namespace platform {

struct MutexObject {
  bool owns;
};

namespace {

MutexObject owningMutex{true};
MutexObject otherMutex{false};
int owningHandles = 0;

}  // namespace

Mutex createNamedMutex(const char16_t* name, bool& alreadyExisted) {
  alreadyExisted = false;
  if (name == nullptr || name[0] == 0) return nullptr;
  switch (host::claimInstance(name)) {
    case host::InstanceClaim::claimed:
      ++owningHandles;
      return &owningMutex;
    case host::InstanceClaim::heldByAnother:
      alreadyExisted = true;
      return &otherMutex;
    case host::InstanceClaim::failed:
      break;
  }
  return nullptr;
}

void closeHandle(Mutex mutex) {
  if (mutex != &owningMutex || owningHandles == 0) return;
  if (--owningHandles == 0) host::releaseInstance();
}

}  // namespace platform
