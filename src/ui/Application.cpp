// SPDX-License-Identifier: MIT
#include "Application.h"

#include "Fonts.h"

#include <hokora/version.h>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

QByteArray requestedPlatform(const QByteArray &platformVariable, const QByteArray &display,
                             std::span<char *const> arguments) {
    if (!platformVariable.isEmpty() || display.isEmpty())
        return {};
    for (const char *argument : arguments) {
        // Qt takes the option with one dash or two.
        const QByteArrayView option(argument);
        if (option == "-platform" || option == "--platform")
            return {};
    }
    // Should the X server be out of reach, Qt goes on to Wayland.
    return QByteArrayLiteral("xcb;wayland");
}

bool loadStandardTranslations() {
    // The interface is Japanese whatever the locale, so are Qt's own texts
    // (OK, キャンセル) on standard buttons.
    static QTranslator translator;
    if (!translator.load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

void setUpApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("hokora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOKORA_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Hokora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/hokora.svg")));
    // The program ends only by ending at once, never because its last
    // visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);
    loadStandardTranslations();
    installFontSubstitutions();
    QApplication::setFont(makeFont(defaultFontSpec()));
}

} // namespace ui
