// The GDI objects behind the handles. Only platform code includes this.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <unordered_set>

#include "platform/gdi/gdi.h"

// The opaque handle types of types.h are our object bases.
struct HGDIOBJ__ {
    virtual ~HGDIOBJ__() = default;
    bool stock = false;
    int selections = 0;  // DCs it is selected into
};

namespace platform::gdi {

struct Font : HGDIOBJ__ {
    LOGFONTA description{};
    FT_Face face = nullptr;
    std::string family;  // what fontconfig matched the face name to
    ~Font() override
    {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
    }
};

// Every live object made here (stock objects included); a handle not in it is not ours.
std::unordered_set<HGDIOBJ__*>& Objects();

}  // namespace platform::gdi
