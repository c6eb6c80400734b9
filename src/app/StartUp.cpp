// SPDX-License-Identifier: MIT
#include "StartUp.h"

#include "extract/Form2.h"
#include "ui/Services.h"

void startProgram(ui::Services &services) {
    services.window<Form2>();
}
