#include "core/TitleColors.h"

long g_lTitleBackColor = 0;
long g_lTitleForeColor = 0;
