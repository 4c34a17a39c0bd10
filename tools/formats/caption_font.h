// Captions for generated pictures: ASCII words drawn with a small pixel font of our own (5 × 7
// cells), so that window pictures and the letter sheet carry legible words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

// A picture being drawn: colours and alphas row by row from the top.
struct CaptionCanvas {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<PtxColor> colors;
    std::vector<std::uint8_t> alphas;

    CaptionCanvas(std::uint32_t w, std::uint32_t h, PtxColor fill, std::uint8_t alpha = 255);
    void Fill(int x, int y, int w, int h, PtxColor color, std::uint8_t alpha = 255);
    PtxImage Image(const std::string& name, std::uint32_t kind) const;
};

// Width in pixels of text at that scale (6 × scale a character, the last one's gap left off).
int CaptionWidth(const std::string& text, int scale);
// Draws text with its top-left at (x, y), each font pixel a scale × scale square; lower case is
// drawn as upper case, characters the font lacks as a gap. Pixels off the canvas are dropped.
void DrawCaption(CaptionCanvas& canvas, int x, int y, const std::string& text, int scale, PtxColor color);

}  // namespace qmtest
