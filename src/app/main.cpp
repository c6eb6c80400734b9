// SPDX-License-Identifier: MIT
#include "app/StartUp.h"
#include "ui/Application.h"
#include "ui/QtPlatform.h"
#include "ui/Services.h"

#include <QApplication>

#include <malloc.h>
#include <span>

namespace {

// The library's decoding threads allocate and free their windows and chunks
// member after member; by default the allocator hands the freed memory back
// to the system and faults it in again for the next member, which on an
// archive of many small files costs a tenth of the extraction.
void keepFreedMemory() {
    constexpr int kLargestFromHeap = 32 * 1024 * 1024;
    constexpr int kKeptFree = 64 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargestFromHeap);
    mallopt(M_TRIM_THRESHOLD, kKeptFree);
}

} // namespace

int main(int argc, char *argv[]) {
    keepFreedMemory();
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
