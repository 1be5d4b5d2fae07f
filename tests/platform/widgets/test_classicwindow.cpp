// The window base of both programs: what its close box and Escape do, and
// that it stays a plain window to the window system (not a dialog).
#include "platform/widgets/classicwindow.h"

#include <QtTest>

using dorvik::widgets::ClassicWindow;
using dorvik::widgets::WindowLook;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

// A window whose unload handler counts its calls and answers `keep`.
class Probe : public ClassicWindow {
public:
    using ClassicWindow::ClassicWindow;
    bool Form_Unload() override {
        ++unloads;
        return !keep;
    }
    int unloads = 0;
    bool keep = false;
};

} // namespace

class ClassicWindowTest : public QObject {
    Q_OBJECT

private slots:
    void closeBox_data() {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<bool>("ending");
        QTest::addColumn<int>("unloads");
        QTest::addColumn<bool>("closed");
        QTest::newRow("handler lets it go") << false << false << 1 << true;
        QTest::newRow("handler keeps it") << true << false << 1 << false;
        QTest::newRow("program ending: no handler") << true << true << 0 << true;
    }

    void closeBox() {
        QFETCH(bool, keep);
        QFETCH(bool, ending);
        QFETCH(int, unloads);
        QFETCH(bool, closed);
        WindowLook look;
        look.closesWithoutUnload = [ending] { return ending; };
        Probe window(look);
        window.keep = keep;
        window.show();
        QCOMPARE(window.windowType(), Qt::Window);
        QVERIFY(!window.isModal());
        QTest::keyClick(&window, Qt::Key_Escape); // closes nothing
        QVERIFY(window.isVisible());
        QCOMPARE(window.unloads, 0);

        QCOMPARE(window.close(), closed);
        QCOMPARE(window.unloads, unloads);
        QCOMPARE(window.isUnloaded(), closed);
        QCOMPARE(window.isVisible(), !closed);
    }
};

QTEST_MAIN(ClassicWindowTest)
#include "test_classicwindow.moc"
