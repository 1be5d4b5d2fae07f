// The window base both programs' windows derive from: the close box and its
// unload handler, the default button and Escape.
#include "platform/widgets/classicwindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using dorvik::widgets::ClassicWindow;
using dorvik::widgets::WindowLook;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

// A window whose unload handler counts its calls and answers `keep`.
class Probe : public ClassicWindow {
public:
    explicit Probe(const WindowLook &look) : ClassicWindow(look) {
        ok = commandButton("OK", "OK", {0, 0, 900, 300}, true);
        other = commandButton("Other", "Other", {0, 400, 900, 300});
        field = new QLineEdit(this);
        giveEnterToDefaultButton(field);
    }
    bool Form_Unload() override {
        ++unloads;
        return !keep;
    }
    QPushButton *ok;
    QPushButton *other;
    QLineEdit *field;
    int unloads = 0;
    bool keep = false;
};

} // namespace

class ClassicWindowTest : public QObject {
    Q_OBJECT

private slots:
    void closeBoxRunsTheUnloadHandler_data();
    void closeBoxRunsTheUnloadHandler();
    void enterAndEscape();
    void lookDressesTheWindow();
};

void ClassicWindowTest::closeBoxRunsTheUnloadHandler_data() {
    QTest::addColumn<bool>("keep");
    QTest::addColumn<bool>("ending");
    QTest::addColumn<int>("unloads");
    QTest::addColumn<bool>("closed");
    QTest::newRow("handler lets it go") << false << false << 1 << true;
    QTest::newRow("handler keeps it") << true << false << 1 << false;
    QTest::newRow("program ending: no handler") << true << true << 0 << true;
}

void ClassicWindowTest::closeBoxRunsTheUnloadHandler() {
    QFETCH(bool, keep);
    QFETCH(bool, ending);
    QFETCH(int, unloads);
    QFETCH(bool, closed);
    WindowLook look;
    look.closesWithoutUnload = [ending] { return ending; };
    Probe window(look);
    window.keep = keep;
    window.show();
    QCOMPARE(window.close(), closed);
    QCOMPARE(window.unloads, unloads);
    QCOMPARE(window.isUnloaded(), closed);
    QCOMPARE(window.isVisible(), !closed);
}

void ClassicWindowTest::enterAndEscape() {
    Probe window{WindowLook()};
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy ok(window.ok, &QPushButton::clicked);
    QSignalSpy other(window.other, &QPushButton::clicked);
    QCOMPARE(window.defaultButton(), window.ok);

    QTest::keyClick(&window, Qt::Key_Return);
    QTest::keyClick(window.field, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(ok.count(), 2);
    QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier); // not Enter
    QCOMPARE(ok.count(), 2);
    window.other->setFocus();
    QTest::keyClick(window.other, Qt::Key_Return); // the focused button
    QCOMPARE(other.count(), 1);
    QCOMPARE(ok.count(), 2);
    window.ok->setEnabled(false);
    QTest::keyClick(window.field, Qt::Key_Return);
    QCOMPARE(ok.count(), 2);

    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QCOMPARE(window.unloads, 0);
}

void ClassicWindowTest::lookDressesTheWindow() {
    WindowLook look;
    look.name = "Form9";
    look.clientWidth = 1500;
    look.clientHeight = 750;
    look.titleBar = WindowLook::TitleBar::Close;
    ClassicWindow window(look);
    QCOMPARE(window.objectName(), QString("Form9"));
    QCOMPARE(window.size(), dorvik::widgets::twipsRect(0, 0, 1500, 750).size());
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.isWindow());
    QVERIFY(!window.isModal());
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(window.windowType(), Qt::Window); // not a dialog to the window system
}

QTEST_MAIN(ClassicWindowTest)
#include "test_classicwindow.moc"
