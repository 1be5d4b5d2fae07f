// Dorvik: cuts a large file into pieces and puts the pieces together again.
#include "platform/process.h"
#include "platform/widgets/translations.h"
#include "splitter/windows/commandline.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/icon.h"

#include <QApplication>
#include <QFile>

int main(int argc, char **argv) {
    dorvik::platform::ignoreFileSizeSignal();

    // Read first: --help and --version work without a display.
    const auto line = dorvik::splitter::readCommandLine(argc, argv);
    if (line.action != dorvik::splitter::CommandLine::Action::Start)
        return dorvik::splitter::finish(line);

    // The toolkit sees no arguments: a file name is never taken for one of
    // its options.
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvik"));
    QApplication::setWindowIcon(dorvik::splitter::programIcon());
    // The windows in the user's language; the command line above stays English.
    dorvik::widgets::loadUserTranslations();
    dorvik::splitter::Form1 main;
    if (line.file)
        dorvik::splitter::openFile(main, QFile::decodeName(line.file->c_str()));
    return QApplication::exec();
}
