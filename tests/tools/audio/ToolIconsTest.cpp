// Every audio tool window carries an icon.
#include "AudioToolsFixture.h"
#include "tools/audio/g_frmAudioEditor.h"
#include "tools/audio/g_frmMicRecorder.h"
#include "tools/audio/g_frmParlo.h"
#include "tools/convert/g_frmAudioEditorProc.h"

using ToolIconsTest = AudioToolsTest;

TEST_F(ToolIconsTest, EveryAudioToolWindowHasAnIcon) {
  const std::pair<const char*, Form*> windows[] = {
      {"editor", &form<g_frmAudioEditor>()},
      {"recorder", &form<g_frmMicRecorder>()},
      {"speech", &form<g_frmParlo>()},
      {"conversion", &form<g_frmAudioEditorProc>()},
  };
  for (const auto& [name, window] : windows) {
    EXPECT_FALSE(window->windowIcon().pixmap(16, 16).isNull()) << name;
    window->Unload();
  }
}
