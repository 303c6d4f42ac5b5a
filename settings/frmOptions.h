// The options window. It is loaded hidden at start-up, fills the option values
// as it loads, and only hides when closed until the program exits.
#pragma once
#include "platform/Form.h"

class frmOptions : public Form {
  Q_OBJECT
 public:
  frmOptions();
  // Reads every stored option into its control and the process-wide value.
  void GetOptions();
 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;
};
