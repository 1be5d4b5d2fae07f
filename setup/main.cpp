// setup: installs Dorvik from the directory it is started in.
#include "platform/process.h"
#include "platform/widgets/translations.h"
#include "setup/installer.h"

#include <QApplication>

int main(int argc, char **argv) {
    dorvik::platform::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("setup");
    dorvik::widgets::loadUserTranslations();
    // The installer ends by its own hand (every way out goes through
    // Installer::end), not when a window happens to be the last one.
    app.setQuitOnLastWindowClosed(false);
    dorvik::setup::Installer installer;
    installer.start();
    return app.exec();
}
