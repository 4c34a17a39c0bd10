// The pictures of the ending: "ending.ptx" with the twelve pages' pictures ("img00".."img11") and
// staff-roll images ("s_00".."s_11"); its logo is the title's ("title.ptx/vrrw_logo"). Generated:
// the staff-roll images carry only the words "SAMPLE DATA", "GENERATED" and page numbers.
#pragma once

#include <string>
#include <vector>

#include "formats/ptx_writer.h"

namespace qmtest {

inline constexpr unsigned kEndingPages = 12;

// Each page's picture, 256 × 256 opaque: its own sky colour, a hill and a sun whose place moves
// with the page, and the page's number large; then each page's staff-roll image, 256 × 256 words
// on a clear ground.
std::vector<PtxImage> EndingPictures();
// "ending.ptx" into root's texture folder.
void WriteEndingPictures(const std::string& root);

}  // namespace qmtest
