#include "settings/g_frmAudioProp.h"

#include "core/mdlModes.h"

g_frmAudioProp::g_frmAudioProp() { setObjectName("g_frmAudioProp"); }

void g_frmAudioProp::Form_Load() { GetOptions(); }

void g_frmAudioProp::GetOptions() {}

void g_frmAudioProp::Form_Unload(int& Cancel) {
  if (g_bExiting) return;
  Cancel = 1;
  Hide();
}
