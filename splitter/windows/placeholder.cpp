#include <QWidget>
namespace dorvik::splitter {
QWidget *createMainWindow() {
    auto *w = new QWidget;
    w->setWindowTitle("Dorvik");
    return w;
}
} // namespace dorvik::splitter
