// What an enemy takes from the field scene: the view its gauge is culled and placed with, and the
// notice queue its steals are announced on. An area outside a field (an enemy checked on its own)
// gives its own camera's view and its player's notices.
#pragma once

class TAreaBase;
class TGetRender;
class TView;

// The field scene's view; for an area outside a field, its camera's (null when none).
TView* GetFieldView(TAreaBase* area);
// The field scene's notice queue; for an area outside a field, its player's (null when none).
TGetRender* GetFieldNotices(TAreaBase* area);
