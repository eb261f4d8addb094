// The map browser of `quiltra edit`: what a map or mask button of a layered texture opens. It
// offers None, the host's five picture maps with their parameters (colours, scale, octaves,
// seed, direction, bump; a bitmap's file through the standard file dialog) and a layered
// texture of its own, starting from what the slot holds, and a small live preview of the
// picture map being chosen.
//
// Colours are typed as in scene files, "r g b" or "r g b a", linear values; "..." next to a
// colour opens the standard colour dialog on its sRGB-encoded look (as pictures show it). A
// gradient takes one colour per line.
#pragma once

#include "picture_params.h"

#include <functional>
#include <string>

#include <windows.h>

class Texmap;

namespace quiltra {

// The browser's list, in its order.
enum class MapKind { None, Constant, Checker, Gradient, Noise, Bitmap, Layered, Other };

struct MapChoice {
    MapKind kind = MapKind::None;
    PictureParams params; // the picture maps' parameters (kind Constant to Bitmap)
};

// What the browser starts from for a slot holding `map` (null: None). A map that is neither a
// picture map nor a layered texture is Other, which the browser shows unselected.
MapChoice ChoiceOf(Texmap* map);

// Control ids of the browser (tests answer it with them).
enum MapBrowserControl {
    kBrowserKinds = 100, // list box, item i is MapKind i
    kBrowserColor1 = 110,
    kBrowserColor1Pick,
    kBrowserColor2,
    kBrowserColor2Pick,
    kBrowserStops,
    kBrowserScale,
    kBrowserOctaves,
    kBrowserSeed,
    kBrowserDirection,
    kBrowserBump,
    kBrowserPerturb,
    kBrowserFile,
    kBrowserFileBrowse,
    kBrowserLinear,
    kBrowserNote,
    // A small picture of the map being chosen, following its fields as they are typed (a
    // static control holding a bitmap, sRGB-encoded, over a grey checker board where the map
    // is transparent; the checker board alone for None, Layered texture and what does not
    // read).
    kBrowserPreview
};

// The browser's window title for a slot.
std::wstring MapBrowserTitle(const std::wstring& slotName);

// Shows the browser (modal) for a slot, starting from `choice`. OK reads the fields and hands
// the choice to `apply`; a field that does not read, or an InputError thrown by `apply` (a
// bitmap that does not load), is reported in a message box and the browser stays open, the
// slot unchanged. Returns true with `choice` set to what was applied; false on Cancel.
bool BrowseMap(HWND owner, const std::wstring& slotName, MapChoice& choice,
               const std::function<void(const MapChoice&)>& apply);

} // namespace quiltra
