// Between the window core (window.cpp) and the widgets it hosts: the menu bar and its popup
// (menu_bar.cpp), dialogs and message boxes (dialogs.cpp), with the input routed to them by
// widgets.cpp. Positions are device pixels.
#pragma once

#include "platform/core/surface.h"
#include "platform/platform.h"

namespace platform::core {

// ---- provided by window.cpp ----

// A surface over the whole screen with an empty clip, origin (0, 0); null when none is free.
SurfaceObject* acquireScreenSurface();
// Frees the surface, presenting what it drew when `present` is set.
void releaseScreenSurface(SurfaceObject* surface, bool present);
// The main window while it lives, else null.
Window liveMainWindow();
// Adds a device rectangle (limited to the client area) to the main window's area to repaint.
void invalidateDeviceRect(const Rect& rect, bool erase);
// Limits the main window's pending repaint to its client area after the menu bar came or went.
void clientAreaChanged();

enum class ModalEnd { finished, idle, quit };
// Runs the message loop, dispatching posted messages and paints, until `finished()` turns true
// (finished), no input can come any more (idle), or a quit is taken (quit; it stays pending).
ModalEnd runModalLoop(bool (*finished)());

// ---- provided by the widgets ----

// Pixels at the bottom of the screen taken by a shown menu bar.
int menuBarReserved();
bool onMenuBar(int x, int y);
bool popupOpen();
bool modalActive();
// Input the core routes to the widgets: a stroke that starts on them, keys while a popup or a
// modal box is up, the top bar's "ok" and the host's close request while a modal box is up.
void widgetStylusDown(int x, int y);
void widgetStylusUp(int x, int y);
void widgetKey(int code);
void modalOk();
void modalClose();
// Draws again the menu bar, and the popup and the boxes over it, all of them.
void redrawWidgets();
// Draws the popup and the modal boxes again where they overlap `area`, without presenting; for
// drawing of the window underneath.
void redrawOverlays(const Rect& area);
// Forgets every widget (tests and tools that run several sessions).
void resetWidgets();

}  // namespace platform::core
