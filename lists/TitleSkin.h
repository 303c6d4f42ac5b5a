// The look the item windows share: title strip and title colours, window back colour.
#pragma once

class Form;
class QLabel;
class QWidget;

namespace TitleSkin {
void Apply(Form& window, QWidget* picTitle, QLabel* lblTitle);
}
