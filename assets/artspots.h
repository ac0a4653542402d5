#pragma once

// Where each cut-out picture belongs on its window, in the layout's design
// twips (15 twips = 1 pixel). Both the picture generator and the loader read
// this one table, so a highlight always lands on the spot it was cut from.

#include <array>
#include <string_view>

namespace ArtSpots {

struct Spot {
    std::string_view name;   // picture name, see art.h
    std::string_view source; // the skin it is cut from
    int left, top, width, height; // design twips
};

// Design twips to pixels: nearest, halves to even (the layout's own rounding).
constexpr int toPixels(int twips)
{
    const int q = twips / 15;
    const int r = twips % 15;
    return r * 2 > 15 ? q + 1 : q; // 15 is odd: no exact half exists
}

inline constexpr std::array kSpots{
    // Toolbar highlights; index 3 has no button.
    Spot{"button-light-0", "main", 360, 970, 555, 480},
    Spot{"button-light-1", "main", 990, 970, 555, 480},
    Spot{"button-light-2", "main", 1920, 970, 555, 480},
    Spot{"button-light-4", "main", 2560, 975, 555, 480},
    Spot{"button-light-5", "main", 3445, 975, 555, 480},
    Spot{"button-light-6", "main", 4150, 975, 555, 480},
    Spot{"button-light-7", "main", 4780, 975, 555, 480},
    // Menu titles.
    Spot{"menu-light-0", "main", 270, 630, 720, 270},
    Spot{"menu-light-1", "main", 1070, 630, 840, 270},
    Spot{"menu-light-2", "main", 1980, 630, 1020, 270},
    Spot{"menu-light-3", "main", 3090, 630, 930, 270},
    // Transport row, lit and pressed.
    Spot{"ctrl-light-0", "main", 300, 7240, 510, 480},
    Spot{"ctrl-light-1", "main", 960, 7240, 510, 480},
    Spot{"ctrl-light-2", "main", 1620, 7240, 510, 480},
    Spot{"ctrl-light-3", "main", 2280, 7240, 510, 480},
    Spot{"ctrl-light-4", "main", 2940, 7240, 510, 480},
    Spot{"ctrl-light-5", "main", 3600, 7240, 510, 480},
    Spot{"ctrl-light-6", "main", 9640, 7240, 1620, 480},
    Spot{"ctrl-press-0", "main", 300, 7240, 510, 480},
    Spot{"ctrl-press-1", "main", 960, 7240, 510, 480},
    Spot{"ctrl-press-2", "main", 1620, 7240, 510, 480},
    Spot{"ctrl-press-3", "main", 2280, 7240, 510, 480},
    Spot{"ctrl-press-4", "main", 2940, 7240, 510, 480},
    Spot{"ctrl-press-5", "main", 3600, 7240, 510, 480},
    Spot{"ctrl-press-6", "main", 9640, 7240, 1620, 480},
    // Window marks and the getting-started open picture.
    Spot{"min-light", "main", 10560, 180, 330, 330},
    Spot{"exit-light", "main", 10940, 180, 330, 330},
    Spot{"open-light", "main", 2190, 3300, 465, 540},
};

} // namespace ArtSpots
