// The window base of both programs: a plain window to the window system (not
// a dialog), deaf to Escape, kept by its unload handler. Closing through the
// handler and closing while the program ends are proven by each program's
// window tests.
#include "platform/widgets/classicwindow.h"

#include <QtTest>

using dorvik::widgets::ClassicWindow;
using dorvik::widgets::WindowLook;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

// A window whose unload handler counts its calls and keeps it open.
class Keeper : public ClassicWindow {
public:
    using ClassicWindow::ClassicWindow;
    bool Form_Unload() override {
        ++unloads;
        return false;
    }
    int unloads = 0;
};

} // namespace

class ClassicWindowTest : public QObject {
    Q_OBJECT

private slots:
    void plainWindowThatOnlyItsHandlerCloses() {
        Keeper window{WindowLook()};
        window.show();
        QCOMPARE(window.windowType(), Qt::Window);
        QVERIFY(!window.isModal());
        QTest::keyClick(&window, Qt::Key_Escape); // closes nothing, asks nothing
        QVERIFY(window.isVisible());
        QCOMPARE(window.unloads, 0);

        QVERIFY(!window.close());
        QCOMPARE(window.unloads, 1);
        QVERIFY(!window.isUnloaded());
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(ClassicWindowTest)
#include "test_classicwindow.moc"
