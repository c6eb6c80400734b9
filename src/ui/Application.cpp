#include "Application.h"

#include "Fonts.h"

#include <QApplication>
#include <QIcon>

namespace ui {

void setUpApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("hokora"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00.0001"));
    QCoreApplication::setOrganizationName(QStringLiteral("Hokora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/hokora.svg")));
    // The program ends only by ending at once, never because its last
    // visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    QApplication::setFont(makeFont(defaultFontSpec()));
}

} // namespace ui
