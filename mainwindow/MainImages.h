// The main window's pictures: the menu and tree image list and the grid image
// list, filled once at load and shared by every window.
#pragma once

class cImageList;

namespace MainImages {
// Menu, toolbar, tree and status-bar pictures, by the indexes the menus use.
void FillMenuImages(cImageList& list);
// Grid pictures: 0 unmarked, 1 marked, 3 audio item, 4 data track.
void FillGridImages(cImageList& list);
}  // namespace MainImages
