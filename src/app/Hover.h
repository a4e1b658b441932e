#pragma once
// Pointer rules for mouse moves over the main window. Neither rule touches the
// pointer while the hourglass shows, so a long operation keeps its busy look.
#include "shell/Pointer.h"

namespace quorvane {

// Over a push button: the custom (hand) pointer.
void HoverOverButton(PointerHost& host);
// Over the background, a frame or the tab control: the default arrow.
void HoverOverBackground(PointerHost& host);

} // namespace quorvane
