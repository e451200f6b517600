// The second tab's message: the program runs in one tab at a time.
#include "platform/web/web.h"

#include "platform/core/system.h"
#include "platform/platform.h"

namespace platform::web {

void showAlreadyOpen() {
  // The shell stops before it opens the screen when another copy runs.
  if (!start()) return;
  // In the page's language, as the program itself would speak.
  const bool chinese = (defaultLanguageId() & 0x3f) == languageChinese;
  messageBox(
      nullptr,
      chinese ? u"Zandrel 已在另一个标签页中打开。" : u"Zandrel is already open in another tab.",
      u"Zandrel", box::ok);
}

}  // namespace platform::web
