#include "Shell.h"

#include "ShellEntry.h"
#include "platform/Exception.h"
#include "platform/NarrowText.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace {

QByteArray JoinPath(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString CannotOpenFolder(const QByteArray& path)
{
    return QStringLiteral("フォルダ %1 を開けません").arg(DisplayText(path));
}

// Whether an entry is a sub-folder, asking the file system only when the directory listing
// does not say (and following symbolic links, as a file manager does).
bool IsFolderEntry(const QByteArray& folder, const dirent* d)
{
    if (d->d_type == DT_DIR)
        return true;
    if (d->d_type != DT_UNKNOWN && d->d_type != DT_LNK)
        return false;
    struct stat st {};
    return ::stat(JoinPath(folder, QByteArray(d->d_name)).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TFolderItem::TFolderItem(std::shared_ptr<const ShellEntry> entry, QByteArray folderPath)
    : entry_(std::move(entry)), folderPath_(std::move(folderPath))
{
}

const ShellEntry& TFolderItem::Checked() const
{
    if (!entry_)
        throw Exception(QStringLiteral("項目がありません"));
    return *entry_;
}

QByteArray TFolderItem::Name() const
{
    return Checked().name;
}

QByteArray TFolderItem::Path() const
{
    return JoinPath(folderPath_, Checked().name);
}

TFolderItems::TFolderItems(QByteArray folderPath, std::vector<std::shared_ptr<const ShellEntry>> entries)
    : folderPath_(std::move(folderPath)), entries_(std::move(entries))
{
}

int TFolderItems::Count() const
{
    return int(entries_.size());
}

TFolderItem TFolderItems::Item(int index) const
{
    if (index < 0 || size_t(index) >= entries_.size())
        return {};
    return TFolderItem(entries_[size_t(index)], folderPath_);
}

TShellFolder::TShellFolder(QByteArray path) : path_(std::move(path)) {}

std::shared_ptr<TFolderItems> TShellFolder::Items()
{
    DIR* dir = ::opendir(path_.constData());
    if (!dir)
        throw Exception(CannotOpenFolder(path_));
    std::vector<std::shared_ptr<const ShellEntry>> entries;
    while (const dirent* d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name == "." || name == "..")
            continue;
        auto entry = std::make_shared<ShellEntry>();
        entry->name = name;
        entry->isFolder = IsFolderEntry(path_, d);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    SortShellEntries(entries);
    return std::make_shared<TFolderItems>(path_, std::move(entries));
}

QString TShellFolder::GetDetailsOf(const TFolderItem& item, int column)
{
    const ShellEntry* entry = item.Entry();
    if (!entry)
        return {};
    if (!entry->details)
        entry->details = ItemDetails::Read(item.Path());
    return entry->details->Column(column);
}

std::unique_ptr<TShellFolder> TShellApplication::NameSpace(const QByteArray& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw Exception(CannotOpenFolder(path));
    return std::make_unique<TShellFolder>(path);
}

TFolderItem FindShellItem(const TFolderItems& items, int count, const QByteArray& wanted)
{
    for (int i = 0; i < count; ++i) {
        TFolderItem item = items.Item(i);
        if (item.Name() == wanted)
            return item;
    }
    return {};
}

void SortShellEntries(std::vector<std::shared_ptr<const ShellEntry>>& entries)
{
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    struct Keyed {
        std::shared_ptr<const ShellEntry> entry;
        QCollatorSortKey key;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (auto& e : entries)
        keyed.push_back({e, collator.sortKey(DisplayText(e->name))});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.entry->isFolder != b.entry->isFolder)
            return a.entry->isFolder;
        if (const int c = a.key.compare(b.key))
            return c < 0;
        return a.entry->name < b.entry->name;
    });
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = std::move(keyed[i].entry);
}
