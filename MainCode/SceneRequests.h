// The scenes a part of the game asks for by what they are: each is built where its scene lives
// (Scene/, Menu/), so the field, the scripts and the screens that ask need not know one another.
// Each returns a new scene (null when a screen cannot be made) for the caller to hand to PushScene
// or ReplaceScene.
#pragma once

#include <cstdint>
#include <vector>

class TFieldLoop;
class TGameWnd;
class TLoop;

// Scene/
// Game over; the music id is the field's tune kept alive for it (negative: none).
TLoop* CreateDieLoop(TGameWnd* app, std::int32_t musicId);
// The hub between two parts of the game (see TChangeLoop).
TLoop* CreateChangeToTitle(TGameWnd* app, std::uint32_t musicId);
TLoop* CreateChangeToLoadSlot(TGameWnd* app, std::uint32_t slot, std::uint32_t musicId);
// colourMode 15 black, anything else white; direction 0xF000 covers the picture, anything else
// uncovers it.
TLoop* CreateChangeToEvent(TGameWnd* app, std::int32_t colourMode, std::uint32_t direction, std::uint32_t eventId,
                           std::int32_t musicId);

// Menu/
TLoop* CreatePauseMenu(TGameWnd* app, TFieldLoop* field);
TLoop* CreateBuyShop(TGameWnd* app, const std::vector<std::uint32_t>& goods);
TLoop* CreateSellShop(TGameWnd* app);
TLoop* CreateInn(TGameWnd* app, TFieldLoop* field);
// The save screens: saving at the end of a chapter, loading from the title, and the title's choice
// of the data a new chapter carries over.
TLoop* CreateSaveScreen(TGameWnd* app);
TLoop* CreateLoadScreen(TGameWnd* app);
TLoop* CreateCarryOverChoice(TGameWnd* app, std::int32_t chapter);
