#include "settings/frmOptions.h"

#include "core/mdlModes.h"
#include "platform/Services.h"
#include "settings/OptionValues.h"

frmOptions::frmOptions() { setObjectName("frmOptions"); }

void frmOptions::Form_Load() { GetOptions(); }

void frmOptions::GetOptions() {
  if (g_sItemsListFolder.isEmpty()) g_sItemsListFolder = ProgramFolder() + "/Main/";
}

void frmOptions::Form_Unload(int& Cancel) {
  if (g_bExiting) return;
  Cancel = 1;
  Hide();
}
