// The mouse pointer's place, for popup menus.
#pragma once

namespace mdlMouseClick {
// The cursor position in screen pixels.
void GetMousePos(long& x, long& y);
}  // namespace mdlMouseClick
