// The letter sheet's cells as the HUD draws them on the generated folder. The HUD fills the empty
// places of its numbers with the sheet's last cell, the filler; there it must show nothing.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "dx/dx8/3d/TTexturePackage.h"
#include "make-sample-data/SampleData.h"
#include "support/engine_recorders.h"

namespace qmtest {

struct SheetCells {
    int letters = 0;      // draws of the other cells
    int filler = 0;       // draws of the filler
    int fillerShown = 0;  // of those, draws whose cell has a pixel that is not clear
    float right = 0.0F;   // the right edge of the rightmost cell drawn
};

inline SheetCells CountSheetCells(const std::vector<TSpriteDrawRecord>& draws, const std::filesystem::path& folder)
{
    TIndexedImage sheet;
    const std::string package = (folder / sample::kTextureFolder / "sprite.ptx").string();
    EXPECT_TRUE(TTexturePackage::ReadImage(package, "word", &sheet));
    EXPECT_TRUE(sheet.HasAlphaLayer());
    SheetCells cells;
    // Eight cells a side; the filler is the last, bottom right.
    const std::uint32_t side = sheet.width / 8;
    for (const TSpriteDrawRecord& d : draws) {
        if (d.texture != "sprite.ptx/word") {
            continue;
        }
        cells.right = std::max(cells.right, d.x + d.w);
        const auto column = static_cast<std::uint32_t>(std::lround(d.u0 * 8.0F));
        const auto row = static_cast<std::uint32_t>(std::lround(d.v0 * 8.0F));
        if (column != 7 || row != 7) {
            ++cells.letters;
            continue;
        }
        ++cells.filler;
        bool shown = false;
        for (std::uint32_t y = row * side; y < (row + 1) * side && sheet.HasAlphaLayer(); ++y) {
            for (std::uint32_t x = column * side; x < (column + 1) * side; ++x) {
                shown = shown || sheet.alpha[y * sheet.width + x] != 0;
            }
        }
        cells.fillerShown += shown ? 1 : 0;
    }
    return cells;
}

}  // namespace qmtest
