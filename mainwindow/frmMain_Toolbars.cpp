// The main window's toolbars.
#include "mainwindow/frmMain.h"

// The toolbars join in a later step; until then there are none.
void frmMain::BuildToolbars() {}

int frmMain::LayoutToolbars(const QRect&) { return 0; }
