// SPDX-License-Identifier: MIT
#include "app/StartUp.h"
#include "ui/Application.h"
#include "ui/QtPlatform.h"
#include "ui/Services.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    ui::setUpApplication();
    ui::QtPlatform platform;
    ui::Services services(platform);
    startProgram(services);
    return QApplication::exec();
}
