#include <QApplication>
#include <QWidget>
namespace dorvik::splitter {
QWidget *createMainWindow();
}
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QWidget *w = dorvik::splitter::createMainWindow();
    w->show();
    return app.exec();
}
