// The layer's own message window, for a display on which SDL cannot show its box (SDL's box draws
// with the X core fonts, which a bare X server may lack). Only platform code includes this.
#pragma once

#include <string>

namespace platform {

// Shows caption and text (CP932) in a small window with an OK button, drawn with the game's own
// font, and waits until OK is clicked, Enter, Space or Escape is pressed or the window is closed.
// Main thread only (the one that owns the message queue). False when no window could be shown.
bool ShowOwnMessageWindow(const std::string& cp932Caption, const std::string& cp932Text);

}  // namespace platform
