#pragma once
// The shell object over the file system: a folder opened by path, a snapshot of its items in the
// shell's order, each item's name and path, and the details the details panel asks for. A fresh
// object serves one operation and is released at its end; nothing of it lives between events.
//
// Members are virtual so that tests can stand a failing folder or item list in.

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

struct ShellEntry;

// One item: an entry of a snapshot, or empty (nothing was found).
class TFolderItem {
public:
    TFolderItem() = default;
    TFolderItem(std::shared_ptr<const ShellEntry> entry, QByteArray folderPath);

    bool IsEmpty() const { return !entry_; }
    // The item's name as the file system stores it. Raises on an empty item.
    QByteArray Name() const;
    // The folder path, a "/" and the name. Raises on an empty item.
    QByteArray Path() const;
    const ShellEntry* Entry() const { return entry_.get(); }

private:
    const ShellEntry& Checked() const;

    std::shared_ptr<const ShellEntry> entry_;
    QByteArray folderPath_;
};

// The item collection: a snapshot of the folder taken when `Items` was called.
class TFolderItems {
public:
    TFolderItems(QByteArray folderPath, std::vector<std::shared_ptr<const ShellEntry>> entries);
    virtual ~TFolderItems() = default;

    virtual int Count() const;
    // The item at an index from 0; an index outside the collection yields an empty item.
    virtual TFolderItem Item(int index) const;

private:
    QByteArray folderPath_;
    std::vector<std::shared_ptr<const ShellEntry>> entries_;
};

class TShellFolder {
public:
    explicit TShellFolder(QByteArray path);
    virtual ~TShellFolder() = default;

    const QByteArray& FolderPath() const { return path_; }
    // A snapshot of the folder's entries but "." and "..": sub-folders first, then files, each
    // group in natural order. Raises when the folder cannot be read.
    virtual std::shared_ptr<TFolderItems> Items();
    // A detail of an item as text, empty where nothing applies; never raises for an item.
    virtual QString GetDetailsOf(const TFolderItem& item, int column);

private:
    QByteArray path_;
};

class TShellApplication {
public:
    virtual ~TShellApplication() = default;
    // The folder at a path. Raises, naming the folder, when it is missing or cannot be read.
    virtual std::unique_ptr<TShellFolder> NameSpace(const QByteArray& path);
};

// The first item of the collection whose name equals `wanted` byte for byte, looking at the
// first `count` items in order; empty when none matches or count is not positive.
TFolderItem FindShellItem(const TFolderItems& items, int count, const QByteArray& wanted);

// Natural order of names: digit runs compare as numbers, letter case is ignored, and names the
// collation cannot tell apart are ordered by their bytes. Sub-folders come before files.
void SortShellEntries(std::vector<std::shared_ptr<const ShellEntry>>& entries);
