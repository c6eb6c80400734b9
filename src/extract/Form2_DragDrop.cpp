#include "Form2.h"

void Form2::Image2_DragDrop(QWidget *, float, float) {}
