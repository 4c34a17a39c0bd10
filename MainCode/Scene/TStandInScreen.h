// What the stand-in scenes show until their real scenes exist: a black screen.
#pragma once

class TD3D8;

// Clears the screen to black and shows it; nothing while the device is lost.
void DrawStandInScreen(TD3D8* d3d);
