#include "platform/widgets/listcontrols.h"

#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/widgets/classicwindow.h"
#include "platform/widgets/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

namespace dorvik::widgets {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 10;

// An absolute path without "." or ".." parts and without a trailing
// separator, except for the root.
QString normalized(const QString &path) {
    return QDir::cleanPath(QDir(path).absolutePath());
}

QString std2q(const std::string &s) {
    return QString::fromStdString(s);
}
std::string q2std(const QString &s) {
    return s.toStdString();
}

bool isMountPoint(const QString &path) {
    return std2q(platform::volumeOf(q2std(path))) == path;
}

bool readableDirectory(const QString &path) {
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

// Indents each entry of the directory list by its depth in the tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(shifted.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(index);
        return size;
    }

private:
    static int indent(const QModelIndex &index) {
        return index.data(kDepthRole).toInt() * kIndentPixels;
    }
};

// Case-insensitive match of '*' and '?' wildcards; every other character
// stands for itself.
bool wildcardMatch(const QString &pattern, const QString &name) {
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

// ---- DriveListBox -------------------------------------------------------------

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            emit Change();
    });
    Refresh();
    const QSignalBlocker block(this);
    setDrive(QDir::currentPath());
}

QString DriveListBox::Drive() const {
    return currentData(kPathRole).toString();
}

void DriveListBox::setDrive(const QString &path) {
    const QString mount = std2q(platform::volumeOf(q2std(normalized(path))));
    int index = findData(mount, kPathRole);
    if (index < 0) {
        // A volume the list leaves out (a pseudo file system, say) that a
        // path lies on: list it so that Drive names it.
        filling_ = true;
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), mount, mount);
        filling_ = false;
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveListBox::Refresh() {
    const QString selected = Drive();
    filling_ = true;
    clear();
    for (const platform::Volume &volume : platform::volumes()) {
        const QString mount = std2q(volume.mountPoint);
        const auto icon = volume.removable ? QStyle::SP_DriveFDIcon : QStyle::SP_DriveHDIcon;
        addItem(style()->standardIcon(icon), mount, mount);
    }
    if (count() == 0)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), QStringLiteral("/"),
                QStringLiteral("/"));
    const int index = findData(selected, kPathRole);
    setCurrentIndex(index >= 0 ? index : 0);
    filling_ = false;
    if (!selected.isEmpty() && Drive() != selected)
        emit Change();
}

void DriveListBox::showPopup() {
    Refresh();
    QComboBox::showPopup();
}

// ---- DirListBox -----------------------------------------------------------------

DirListBox::DirListBox(QWidget *parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_)
            emit Click();
    });
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { openEntry(row(item)); });
    const QString start = normalized(QDir::currentPath());
    if (!open(start))
        open(QDir::rootPath());
}

QString DirListBox::Path() const {
    return path_;
}

bool DirListBox::setPath(const QString &path) {
    if (path.isEmpty())
        return false;
    QString target = normalized(path);
    // A drive's name opens the drive's current directory.
    if (isMountPoint(target))
        target = normalized(std2q(platform::driveCurrentDirectory(q2std(target))));
    return open(target);
}

QString DirListBox::List(int index) const {
    const QListWidgetItem *entry = item(index);
    return entry ? entry->data(kPathRole).toString() : QString();
}

int DirListBox::ListIndex() const {
    return currentRow();
}

void DirListBox::setListIndex(int index) {
    if (index < 0 || index >= count())
        return;
    if (index == currentRow()) {
        emit Click();
        return;
    }
    setCurrentRow(index); // emits Click()
}

int DirListBox::ListCount() const {
    return count();
}

int DirListBox::currentDirectoryIndex() const {
    for (int row = 0; row < count(); ++row)
        if (List(row) == path_)
            return row;
    return -1;
}

void DirListBox::Refresh() {
    const QString selected = List(currentRow());
    if (!readableDirectory(path_))
        return;
    const QDir dir(path_);
    fill(path_, dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
    for (int row = 0; row < count(); ++row) {
        if (List(row) == selected) {
            filling_ = true;
            setCurrentRow(row);
            filling_ = false;
            break;
        }
    }
}

bool DirListBox::openEntry(int index) {
    const QString target = List(index);
    return !target.isEmpty() && open(target);
}

void DirListBox::keyPressEvent(QKeyEvent *event) {
    if (isEnter(event)) {
        openEntry(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::mousePressEvent(QMouseEvent *event) {
    const int before = currentRow();
    QListWidget::mousePressEvent(event);
    // A click on the entry that is already selected is a click all the same.
    if (event->button() == Qt::LeftButton && currentRow() == before &&
        itemAt(event->position().toPoint()) == item(before))
        emit Click();
}

bool DirListBox::open(const QString &directory) {
    if (!readableDirectory(directory))
        return false;
    const QDir dir(directory);
    const QStringList subdirectories =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const bool changed = directory != path_;
    path_ = directory;
    fill(directory, subdirectories);
    if (changed)
        emit Change();
    return true;
}

void DirListBox::fill(const QString &directory, const QStringList &subdirectories) {
    filling_ = true;
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QIcon &icon, const QString &name, const QString &path, int depth) {
        auto *entry = new QListWidgetItem(icon, name, this);
        entry->setData(kPathRole, path);
        entry->setData(kDepthRole, depth);
        entry->setToolTip(path);
    };

    // The root, then each ancestor, down to the directory itself.
    const QString root = QDir::rootPath();
    add(openIcon, root, root, 0);
    const QStringList parts = directory.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (int i = 0; i < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        add(openIcon, parts[i], path, i + 1);
    }
    const int here = count() - 1;
    const QString prefix = directory.endsWith(QLatin1Char('/')) ? directory : directory + '/';
    for (const QString &name : subdirectories)
        add(closedIcon, name, prefix + name, static_cast<int>(parts.size()) + 1);
    setCurrentRow(here);
    scrollToItem(item(here));
    filling_ = false;
}

// ---- FileListBox ------------------------------------------------------------------

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!filling_ && !FileName().isEmpty())
            emit Click();
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit DblClick(); });
    path_ = normalized(QDir::currentPath());
    reread(QString());
}

QString FileListBox::Path() const {
    return path_;
}

void FileListBox::setPath(const QString &path) {
    path_ = path.isEmpty() ? path_ : normalized(path);
    reread(QString());
}

QString FileListBox::Pattern() const {
    return pattern_;
}

void FileListBox::setPattern(const QString &pattern) {
    pattern_ = pattern;
    reread(QString());
}

QString FileListBox::FileName() const {
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileListBox::setFileName(const QString &name) {
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return;
    if (found.first()->isSelected()) {
        emit Click();
        return;
    }
    setCurrentItem(found.first()); // selects it: emits Click()
}

void FileListBox::Refresh() {
    reread(FileName());
}

bool FileListBox::matches(const QString &pattern, const QString &name) {
    const QStringList parts = pattern.split(QLatin1Char(';'));
    bool any = false;
    for (const QString &part : parts) {
        const QString p = part.trimmed();
        if (p.isEmpty())
            continue;
        any = true;
        if (p == QLatin1String("*.*") || wildcardMatch(p, name))
            return true;
        // "name." stands for a name without an extension.
        if (p.endsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('.')) &&
            wildcardMatch(p, name + QLatin1Char('.')))
            return true;
    }
    return !any; // no pattern at all lists everything
}

void FileListBox::keyPressEvent(QKeyEvent *event) {
    if (isEnter(event)) {
        if (!FileName().isEmpty())
            emit DblClick();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::mousePressEvent(QMouseEvent *event) {
    const QString before = FileName();
    QListWidget::mousePressEvent(event);
    const QListWidgetItem *under = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && under && !before.isEmpty() &&
        under->text() == before && FileName() == before)
        emit Click();
}

void FileListBox::reread(const QString &keep) {
    filling_ = true;
    clear();
    const QDir dir(path_);
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &file : files) {
        if (matches(pattern_, file.fileName())) {
            addItem(file.fileName());
            item(count() - 1)->setToolTip(file.fileName());
        }
    }
    if (!keep.isEmpty()) {
        const QList<QListWidgetItem *> found = findItems(keep, Qt::MatchExactly);
        if (!found.isEmpty())
            setCurrentItem(found.first());
    }
    filling_ = false;
}

// ---- drive and directory lists together --------------------------------------------

bool followDrive(DriveListBox &drives, DirListBox &directories, QWidget *parent) {
    const QString drive = drives.Drive();
    const platform::Status readable = platform::checkDriveReadable(q2std(drive));
    if (readable.ok() && directories.setPath(drive))
        return true;

    const QString reason = readable.ok()
                               ? DriveListBox::tr("%1: the drive cannot be read").arg(drive)
                               : std2q(readable.message());
    platform::Message message;
    message.text = q2std(DriveListBox::tr("%1\nThe list stays on %2.")
                             .arg(reason, std2q(platform::volumeOf(q2std(directories.Path())))));
    message.icon = platform::Icon::Exclamation;
    messageBox(parent, message);

    const QSignalBlocker block(&drives);
    drives.setDrive(directories.Path());
    return false;
}

} // namespace dorvik::widgets
