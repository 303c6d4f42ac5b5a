// The output-format window: one page per output format. Loaded hidden at
// start-up, fills the output-format store as it loads, and only hides when
// closed until the program exits.
#pragma once
#include "platform/Form.h"

class g_frmAudioProp : public Form {
  Q_OBJECT
 public:
  g_frmAudioProp();
  // Reads the stored settings of every format into the pages and the store.
  void GetOptions();
 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;
};
