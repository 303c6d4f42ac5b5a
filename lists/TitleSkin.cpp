#include "lists/TitleSkin.h"

#include <QLabel>

#include "core/TitleColors.h"
#include "core/mdlModes.h"
#include "platform/Form.h"

namespace TitleSkin {
void Apply(Form& window, QWidget* picTitle, QLabel* lblTitle) {
  QPalette tp = picTitle->palette();
  tp.setColor(QPalette::Window, ColorFromNumber(g_lTitleBackColor));
  picTitle->setPalette(tp);
  picTitle->setAutoFillBackground(true);
  lblTitle->setStyleSheet(QString("color: %1;").arg(ColorFromNumber(g_lTitleForeColor).name()));
  if (!g_sFormBackColor.isEmpty()) window.SetBackColor(g_sFormBackColor.toLong());
}
}  // namespace TitleSkin
