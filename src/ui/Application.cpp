#include "Application.h"

#include "Fonts.h"

#include <hokora/version.h>

#include <QApplication>
#include <QIcon>

namespace ui {

void setUpApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("hokora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOKORA_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Hokora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/hokora.svg")));
    // The program ends only by ending at once, never because its last
    // visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    QApplication::setFont(makeFont(defaultFontSpec()));
}

} // namespace ui
