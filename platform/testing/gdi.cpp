#include "platform/testing/gdi.h"

#include "platform/gdi/gdi_internal.h"

namespace platform {

const char* GdiFontFamily(HFONT handle)
{
    if (handle == nullptr || gdi::Objects().count(handle) == 0) {
        return "";
    }
    auto* font = dynamic_cast<gdi::Font*>(handle);
    return font != nullptr ? font->family.c_str() : "";
}

}  // namespace platform
