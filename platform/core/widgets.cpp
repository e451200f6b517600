// The input that reaches the platform's own widgets, routed to the one it is for: a modal box
// takes everything while it is up, then an open popup, then the menu bar.
#include "platform/core/widgets.h"

#include "platform/core/widget_parts.h"

namespace platform {

namespace {

// What the current stroke on the widgets started on.
enum class WidgetStroke { none, barButton, popup, usedUp, modal };
WidgetStroke widgetStroke = WidgetStroke::none;

int lastErrorCode = 0;

}  // namespace

namespace widget {

void setLastError(int code) {
  lastErrorCode = code;
}

}  // namespace widget

namespace core {

void widgetStylusDown(int x, int y) {
  widget::releaseBarButton();
  if (widget::boxOpen()) {
    widgetStroke = WidgetStroke::modal;
    widget::boxStylusDown(x, y);
  } else if (popupOpen()) {
    if (widget::popupContains(x, y)) {
      widgetStroke = WidgetStroke::popup;
    } else {
      // A tap beside the popup only closes it.
      widgetStroke = WidgetStroke::usedUp;
      widget::closePopup();
    }
  } else {
    widgetStroke = WidgetStroke::barButton;
    widget::barStylusDown(x, y);
  }
}

void widgetStylusUp(int x, int y) {
  const WidgetStroke stroke = widgetStroke;
  widgetStroke = WidgetStroke::none;
  switch (stroke) {
    case WidgetStroke::modal:
      widget::boxStylusUp(x, y);
      return;
    case WidgetStroke::popup:
      widget::popupStylusUp(x, y);
      return;
    case WidgetStroke::barButton:
      widget::barStylusUp(x, y);
      return;
    case WidgetStroke::usedUp:
    case WidgetStroke::none:
      return;
  }
}

void widgetKey(int code) {
  if (widget::boxOpen()) {
    widget::boxKey(code);
  } else if (popupOpen() && code == key::escape) {
    widget::closePopup();
  }
}

void modalOk() {
  widget::boxOk();
}

void modalClose() {
  widget::boxClose();
}

void redrawWidgets() {
  widget::redrawBar();
  redrawOverlays(widget::wholeScreen());
}

void redrawOverlays(const Rect& area) {
  widget::redrawPopup(area);
  widget::redrawBoxes(area);
}

void resetWidgets() {
  widget::resetMenuBar();
  widgetStroke = WidgetStroke::none;
  widget::resetDialogs();
  widget::resetAccelerators();
  lastErrorCode = 0;
}

}  // namespace core

int lastError() {
  return lastErrorCode;
}

}  // namespace platform
