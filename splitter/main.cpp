// Dorvik: cuts a large file into pieces and puts the pieces together again.
#include "platform/process.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/icon.h"

#include <QApplication>

int main(int argc, char **argv) {
    dorvik::platform::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvik"));
    QApplication::setWindowIcon(dorvik::splitter::programIcon());
    dorvik::splitter::Form1 main;
    return QApplication::exec();
}
