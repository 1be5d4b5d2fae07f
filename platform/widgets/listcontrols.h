// The drive, directory and file lists that both programs' choosers are built
// from. Their properties and notifications keep the names the windows use
// (Drive, Path, List, ListIndex, Pattern, FileName, Refresh; Change, Click,
// DblClick), as Qt properties and signals.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

class QKeyEvent;
class QMouseEvent;

namespace dorvik::widgets {

// Lists the drives (mounted volumes, "/" first). Drive is the selected
// drive's name (its mount point). Selecting another entry, by the user or by
// setDrive(), emits Change().
class DriveListBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Drive READ Drive WRITE setDrive NOTIFY Change)
public:
    explicit DriveListBox(QWidget *parent = nullptr);
    QString Drive() const;
    // Selects the drive that holds `path` (a mount point or any path on it).
    void setDrive(const QString &path);
    // Re-reads the list of drives, keeping the selection where possible.
    void Refresh();
signals:
    void Change();

protected:
    // The list is read anew each time it drops down, so that a medium
    // mounted meanwhile shows up.
    void showPopup() override;

private:
    bool filling_ = false;
};

// Shows a directory: its ancestors from the root down, the directory itself,
// then its subdirectories (sorted). Entries are full paths, shown as names.
// Path has no trailing separator except for a root ("/"). A click (also on
// the entry already selected) or an arrow key selects an entry and emits
// Click(); a double click or Enter opens it,
// which sets Path and emits Change().
class DirListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath NOTIFY Change)
    Q_PROPERTY(int ListIndex READ ListIndex WRITE setListIndex NOTIFY Click)
    Q_PROPERTY(int ListCount READ ListCount)
public:
    explicit DirListBox(QWidget *parent = nullptr);
    QString Path() const;
    // Opens `path`. A drive's mount point opens that drive's current
    // directory. A directory that cannot be read leaves Path unchanged and
    // returns false. Emits Change() when Path changed.
    bool setPath(const QString &path);
    // Full path of the entry at `index`; "" outside the list.
    QString List(int index) const;
    int ListIndex() const;
    // Selects entry `index` and emits Click().
    void setListIndex(int index);
    int ListCount() const;
    // Index of the entry that is the opened directory itself.
    int currentDirectoryIndex() const;
    // Re-reads the opened directory.
    void Refresh();
    // Opens the entry at `index` exactly as a double click does (a mount
    // point opens itself, not the drive's current directory). Returns false
    // when it cannot be read.
    bool openEntry(int index);
signals:
    void Change();
    void Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool open(const QString &directory);
    void fill(const QString &directory, const QStringList &subdirectories);
    QString path_;
    bool filling_ = false;
};

// Lists the files of Path whose names match Pattern. Pattern uses the old
// wildcard meaning: '*' and '?' as usual, "*.*" matches every file (also
// names without a dot), trailing blanks are ignored, and several patterns
// may be separated by ';'. FileName is the selected file's bare name, ""
// when none is selected.
class FileListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath)
    Q_PROPERTY(QString Pattern READ Pattern WRITE setPattern)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName NOTIFY Click)
public:
    explicit FileListBox(QWidget *parent = nullptr);
    QString Path() const;
    void setPath(const QString &path); // re-reads the list
    QString Pattern() const;
    void setPattern(const QString &pattern); // re-reads the list
    QString FileName() const;
    // Selects the file of that name if listed (emits Click()).
    void setFileName(const QString &name);
    // Re-reads the directory, keeping the selection when the file is still there.
    void Refresh();
    // Whether `name` matches `pattern` by the rules above.
    static bool matches(const QString &pattern, const QString &name);
signals:
    void Click();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void reread(const QString &keep);
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    bool filling_ = false;
};

// Makes `directories` follow the drive chosen in `drives`: opens that drive's
// current directory. A drive that cannot be read (no medium, not ready) is
// reported through the message seam over `parent`, and the drive list goes
// back, without a Change(), to the drive that holds the opened directory.
// Returns whether the directory list moved to the chosen drive.
bool followDrive(DriveListBox &drives, DirListBox &directories, QWidget *parent);

} // namespace dorvik::widgets
