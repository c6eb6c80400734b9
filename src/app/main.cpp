// SPDX-License-Identifier: MIT
#include "app/StartUp.h"
#include "process/heap.h"
#include "ui/Application.h"
#include "ui/QtPlatform.h"
#include "ui/Services.h"

#include <QApplication>

#include <span>

int main(int argc, char *argv[]) {
    process::prepareHeap();
    const QByteArray plugin = ui::requestedPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"),
                                                    std::span(argv, argc).subspan(1));
    if (!plugin.isEmpty())
        qputenv("QT_QPA_PLATFORM", plugin);
    QApplication application(argc, argv);
    ui::setUpApplication();
    ui::QtPlatform platform;
    ui::Services services(platform);
    startProgram(services);
    return QApplication::exec();
}
