// Placing a tool window's controls by twips, as the windows were drawn.
#pragma once
#include "platform/Form.h"

template <class W>
W* place(W* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
  return w;
}
