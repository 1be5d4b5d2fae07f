#include "platform/drives.h"
#include "platform/widgets/listcontrols.h"
#include "platform/widgets/messagebox.h"
#include "tests/support/recording_prompter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using dorvik::widgets::DirListBox;
using dorvik::widgets::DriveListBox;
using dorvik::widgets::FileListBox;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

void touch(const QString &path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList entries(const QListWidget &list) {
    QStringList names;
    for (int row = 0; row < list.count(); ++row)
        names << list.item(row)->text();
    return names;
}

} // namespace

class ListControlsTest : public QObject {
    Q_OBJECT

private slots:
    void patternsFollowTheOldWildcardRules_data();
    void patternsFollowTheOldWildcardRules();
    void fileListShowsMatchingFilesOnly();
    void fileListSelectionAndRefresh();
    void directoryListShowsAncestorsThenSubdirectories();
    void directoryListClickSelectsDoubleClickOpens();
    void directoryListKeepsPathOnUnreadableDirectory();
    void driveListNamesTheVolumeOfAPath();
    void unreadableDriveReturnsToTheDirectoryListsDrive();
};

void ListControlsTest::patternsFollowTheOldWildcardRules_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("match");

    // "*.*" with its two trailing blanks lists every file, with or without a dot.
    QTest::newRow("all, dotted") << "*.*  "
                                 << "report.doc" << true;
    QTest::newRow("all, no dot") << "*.*  "
                                 << "README" << true;
    QTest::newRow("all, piece without dot") << "*.*  "
                                            << "data000" << true;
    QTest::newRow("000, piece") << "*.000"
                                << "setup.000" << true;
    QTest::newRow("000, no dot before") << "*.000"
                                        << "data000" << false;
    QTest::newRow("000, other index") << "*.000"
                                      << "setup.001" << false;
    QTest::newRow("000, longer") << "*.000"
                                 << "setup.0001" << false;
    QTest::newRow("exe, any case") << "*.exe"
                                   << "SETUP.EXE" << true;
    QTest::newRow("exe, suffix elsewhere") << "*.exe"
                                           << "a.exe.txt" << false;
    QTest::newRow("question mark") << "a?c"
                                   << "abc" << true;
    QTest::newRow("question mark needs one") << "a?c"
                                             << "ac" << false;
    QTest::newRow("list") << "*.exe; *.000"
                          << "x.000" << true;
    QTest::newRow("no extension") << "*."
                                  << "README" << true;
    QTest::newRow("no extension, dotted") << "*."
                                          << "a.b" << false;
}

void ListControlsTest::patternsFollowTheOldWildcardRules() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, match);
    QCOMPARE(FileListBox::matches(pattern, name), match);
}

void ListControlsTest::fileListShowsMatchingFilesOnly() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"b.001", "a.000", "c.exe", "noext", ".hidden"})
        touch(dir.filePath(name));
    QVERIFY(QDir(dir.path()).mkdir("sub.000"));

    FileListBox list;
    list.setPath(dir.path());
    list.setPattern("*.*  ");
    QCOMPARE(entries(list), (QStringList{"a.000", "b.001", "c.exe", "noext"}));
    list.setPattern("*.000");
    QCOMPARE(entries(list), QStringList{"a.000"});
    QCOMPARE(list.Pattern(), QString("*.000"));
}

void ListControlsTest::fileListSelectionAndRefresh() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    touch(dir.filePath("a.000"));
    touch(dir.filePath("b.000"));

    FileListBox list;
    list.setPath(dir.path() + "/"); // no trailing separator kept
    QCOMPARE(list.Path(), dir.path());
    QCOMPARE(list.FileName(), QString());

    QSignalSpy clicks(&list, &FileListBox::Click);
    QSignalSpy doubleClicks(&list, &FileListBox::DblClick);
    list.setFileName("b.000");
    QCOMPARE(list.FileName(), QString("b.000"));
    QCOMPARE(clicks.count(), 1);
    list.setFileName("missing");
    QCOMPARE(list.FileName(), QString("b.000"));

    // Refresh sees new files and keeps the selection; it emits nothing.
    touch(dir.filePath("c.000"));
    list.Refresh();
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.FileName(), QString("b.000"));
    QCOMPARE(clicks.count(), 1);

    // A selected file that has gone is no longer the FileName.
    QVERIFY(QFile::remove(dir.filePath("b.000")));
    list.Refresh();
    QCOMPARE(list.FileName(), QString());

    // A double click on a file, and Enter on the selection.
    list.show();
    QListWidgetItem *first = list.item(0);
    const QPoint centre = list.visualItemRect(first).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(list.FileName(), QString("a.000"));
    const int clicked = clicks.count();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(clicks.count(), clicked + 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(doubleClicks.count(), 1);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(doubleClicks.count(), 2);
    // The keypad's Enter too, but not with Ctrl held.
    QTest::keyClick(&list, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(doubleClicks.count(), 3);
    QTest::keyClick(&list, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(doubleClicks.count(), 3);

    // Another directory starts without a selection.
    list.setPath(QDir::tempPath());
    QCOMPARE(list.FileName(), QString());
}

void ListControlsTest::directoryListShowsAncestorsThenSubdirectories() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir base(dir.path());
    QVERIFY(base.mkpath("here/zeta"));
    QVERIFY(base.mkpath("here/Alpha"));
    QVERIFY(base.mkpath("here/.hidden"));
    touch(dir.filePath("here/file.txt"));
    const QString here = dir.filePath("here");

    DirListBox list;
    QSignalSpy changes(&list, &DirListBox::Change);
    QVERIFY(list.setPath(here + "/"));
    QCOMPARE(list.Path(), here);
    QCOMPARE(changes.count(), 1);

    // "/" and every ancestor, the directory itself, then its subdirectories.
    QStringList expected{"/"};
    QString path;
    for (const QString &part : here.split('/', Qt::SkipEmptyParts)) {
        path += '/' + part;
        expected << path;
    }
    expected << here + "/Alpha" << here + "/zeta";
    QStringList listed;
    for (int i = 0; i < list.ListCount(); ++i)
        listed << list.List(i);
    QCOMPARE(listed, expected);
    QCOMPARE(list.item(list.ListCount() - 1)->text(), QString("zeta"));

    const int self = list.currentDirectoryIndex();
    QCOMPARE(list.List(self), here);
    QCOMPARE(list.ListIndex(), self);
    QCOMPARE(list.List(-1), QString());
    QCOMPARE(list.List(list.ListCount()), QString());

    // Opening the same directory again is no change; a new one shows on Refresh.
    QVERIFY(list.setPath(here));
    QCOMPARE(changes.count(), 1);
    QVERIFY(base.mkpath("here/middle"));
    list.Refresh();
    QCOMPARE(list.List(self + 2), here + "/middle");
}

void ListControlsTest::directoryListClickSelectsDoubleClickOpens() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("one/two"));
    DirListBox list;
    QVERIFY(list.setPath(dir.path()));
    list.show();

    QSignalSpy clicks(&list, &DirListBox::Click);
    QSignalSpy changes(&list, &DirListBox::Change);
    const int one = list.currentDirectoryIndex() + 1;
    QCOMPARE(list.List(one), dir.filePath("one"));

    // A click selects without opening.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(one)).center());
    QCOMPARE(list.ListIndex(), one);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(list.Path(), dir.path());
    // Clicking it again is another click.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(one)).center());
    QCOMPARE(clicks.count(), 2);

    // A double click opens.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                       list.visualItemRect(list.item(one)).center());
    QCOMPARE(list.Path(), dir.filePath("one"));
    QCOMPARE(changes.count(), 1);

    // Arrow down selects the subdirectory, Enter opens it.
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.List(list.ListIndex()), dir.filePath("one/two"));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.Path(), dir.filePath("one/two"));
    QCOMPARE(changes.count(), 2);

    // setListIndex selects and clicks, the opened directory stays.
    clicks.clear();
    list.setListIndex(0);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(list.Path(), dir.filePath("one/two"));
}

void ListControlsTest::directoryListKeepsPathOnUnreadableDirectory() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    DirListBox list;
    QVERIFY(list.setPath(dir.path()));
    QSignalSpy changes(&list, &DirListBox::Change);
    QVERIFY(!list.setPath(dir.filePath("missing")));
    QVERIFY(!list.setPath(QString()));
    touch(dir.filePath("file"));
    QVERIFY(!list.setPath(dir.filePath("file")));
    QCOMPARE(list.Path(), dir.path());
    QCOMPARE(changes.count(), 0);
}

void ListControlsTest::driveListNamesTheVolumeOfAPath() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    DriveListBox drives;
    QVERIFY(drives.count() >= 1);
    QCOMPARE(drives.Drive(),
             QString::fromStdString(dorvik::platform::volumeOf(QDir::currentPath().toStdString())));

    QSignalSpy changes(&drives, &DriveListBox::Change);
    drives.setDrive(dir.path());
    QCOMPARE(drives.Drive(),
             QString::fromStdString(dorvik::platform::volumeOf(dir.path().toStdString())));
    drives.setDrive(dir.path()); // the same drive again: no change
    QVERIFY(changes.count() <= 1);

    // A list that has gone stale (a medium taken out since) is read anew
    // when it drops down, keeping the selection and raising no change.
    const int all = drives.count();
    const QString selected = drives.Drive();
    drives.addItem(QStringLiteral("/media/gone"), QStringLiteral("/media/gone"));
    changes.clear();
    QComboBox &combo = drives;
    combo.showPopup();
    combo.hidePopup();
    QCOMPARE(drives.count(), all);
    QCOMPARE(drives.Drive(), selected);
    QCOMPARE(changes.count(), 0);
}

void ListControlsTest::unreadableDriveReturnsToTheDirectoryListsDrive() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    dorvik::testing::RecordingPrompter prompter;
    dorvik::widgets::installPrompter(&prompter);

    DriveListBox drives;
    DirListBox directories;
    QVERIFY(directories.setPath(dir.path()));
    drives.setDrive(directories.Path());
    const QString before = drives.Drive();
    QSignalSpy changes(&drives, &DriveListBox::Change);

    // A drive with nothing behind it, such as an empty floppy drive.
    drives.addItem("/no-such-drive", QString("/no-such-drive"));
    drives.setCurrentIndex(drives.count() - 1);
    QCOMPARE(changes.count(), 1);
    QVERIFY(!dorvik::widgets::followDrive(drives, directories, nullptr));

    QCOMPARE(directories.Path(), dir.path());
    QCOMPARE(drives.Drive(), before);
    QCOMPARE(changes.count(), 1); // going back is no new change
    QCOMPARE(prompter.messages.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(prompter.messages[0].text).startsWith("/no-such-drive: "));

    // A readable drive moves the directory list.
    drives.setDrive(dir.path());
    QVERIFY(dorvik::widgets::followDrive(drives, directories, nullptr));
    QCOMPARE(prompter.messages.size(), std::size_t(1));
    dorvik::widgets::installPrompter(nullptr);
}

QTEST_MAIN(ListControlsTest)
#include "test_listcontrols.moc"
