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
struct ShellListing;
struct ShellSnapshot;

// One item: an entry of a snapshot, or empty (nothing was found).
class TFolderItem {
public:
    TFolderItem() = default;
    TFolderItem(std::shared_ptr<const ShellSnapshot> snapshot, int index);

    bool IsEmpty() const { return !snapshot_; }
    // The item's name as the file system stores it. Raises on an empty item.
    QByteArray Name() const;
    // The folder path, a "/" and the name. Raises on an empty item.
    QByteArray Path() const;

private:
    friend class TShellFolder;
    const ShellEntry& Checked() const;

    std::shared_ptr<const ShellSnapshot> snapshot_;
    int index_ = -1;
};

// The item collection: a snapshot of the folder taken when `Items` was called.
class TFolderItems {
public:
    TFolderItems(QByteArray folderPath, std::shared_ptr<const ShellListing> listing);
    virtual ~TFolderItems() = default;

    virtual int Count() const;
    // The item at an index from 0; an index outside the collection yields an empty item.
    virtual TFolderItem Item(int index) const;
    // The index of the first item whose name equals `name` byte for byte, or -1. A collection
    // that presents other items than its snapshot's must answer for those.
    virtual int IndexOf(const QByteArray& name) const;

private:
    std::shared_ptr<const ShellSnapshot> snapshot_;
};

class TShellFolder {
public:
    explicit TShellFolder(QByteArray path);
    virtual ~TShellFolder() = default;

    const QByteArray& FolderPath() const { return path_; }
    // A snapshot of the folder's entries but "." and "..": sub-folders first, then files, each
    // group in natural order. Raises when the folder cannot be read.
    // Every call reads the directory anew. The order depends on the entries alone, so the last
    // order worked out is kept with the entries it was made from and serves again, unsorted,
    // when the directory gives exactly those entries in the same sequence; any difference (an
    // entry added, removed or renamed, a file turned folder, another sequence) sorts anew.
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
// first `count` items (count: the collection's Count, or less) in order; empty when none matches
// or count is not positive. The same item a walk from index 0 would stop at, found through the
// collection's index of names.
TFolderItem FindShellItem(const TFolderItems& items, int count, const QByteArray& wanted);

// Natural order of names: digit runs compare as numbers, letter case is ignored, and names the
// collation cannot tell apart are ordered by their bytes. Sub-folders come before files.
void SortShellEntries(std::vector<ShellEntry>& entries);
