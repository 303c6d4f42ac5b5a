// The colours of every window's title strip and of the progress bars, as
// Windows colour numbers. The options window fills them from its swatches.
#pragma once

extern long g_lTitleBackColor;
extern long g_lTitleForeColor;
