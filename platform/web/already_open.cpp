// The second tab's message: the program runs in one tab at a time.
#include "platform/web/web.h"

#include "platform/platform.h"

namespace platform::web {

void showAlreadyOpen() {
  // The shell stops before it opens the screen when another copy runs.
  if (!start()) return;
  messageBox(nullptr, u"Zandrel is already open in another tab.", u"Zandrel", box::ok);
}

}  // namespace platform::web
