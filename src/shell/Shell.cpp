#include "Shell.h"

#include "ShellEntry.h"
#include "platform/Exception.h"
#include "platform/NarrowText.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <mutex>
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

// The last listing made, with the entries it was made from in the order the directory gave them.
struct LastListing {
    std::vector<ShellEntry> read;
    std::shared_ptr<const ShellListing> listing;
};

std::mutex gLastListingMutex;
std::shared_ptr<const LastListing> gLastListing;

std::shared_ptr<const LastListing> TakeLastListing()
{
    const std::lock_guard<std::mutex> lock(gLastListingMutex);
    return gLastListing;
}

void KeepLastListing(std::shared_ptr<const LastListing> last)
{
    const std::lock_guard<std::mutex> lock(gLastListingMutex);
    gLastListing = std::move(last);
}

std::shared_ptr<const ShellListing> MakeListing(std::vector<ShellEntry> entries)
{
    auto listing = std::make_shared<ShellListing>();
    SortShellEntries(entries);
    listing->indexOfName.reserve(qsizetype(entries.size()));
    // From the last entry to the first, so that a name given twice keeps its first index.
    for (size_t i = entries.size(); i-- > 0;)
        listing->indexOfName.insert(entries[i].name, int(i));
    listing->entries = std::move(entries);
    return listing;
}

// Collects a directory's entries as it gives them. While they are those of the last listing, in
// its sequence, nothing is copied; at the first difference the entries so far are taken over and
// collecting goes on from there.
class EntryCollector {
public:
    EntryCollector() : last_(TakeLastListing()), same_(last_ != nullptr) {}

    void Add(const char* name, size_t length, bool isFolder)
    {
        if (same_) {
            if (matched_ < last_->read.size()) {
                const ShellEntry& e = last_->read[matched_];
                if (e.isFolder == isFolder && size_t(e.name.size()) == length
                    && std::memcmp(e.name.constData(), name, length) == 0) {
                    ++matched_;
                    return;
                }
            }
            TakeOverMatched();
        }
        read_.push_back({QByteArray(name, qsizetype(length)), isFolder});
    }

    std::shared_ptr<const ShellListing> Finish()
    {
        if (same_ && matched_ == last_->read.size())
            return last_->listing;
        if (same_)
            TakeOverMatched(); // the directory gave fewer entries
        auto made = std::make_shared<LastListing>();
        made->listing = MakeListing(read_);
        made->read = std::move(read_);
        KeepLastListing(made);
        return made->listing;
    }

private:
    void TakeOverMatched()
    {
        same_ = false;
        read_.assign(last_->read.begin(), last_->read.begin() + std::ptrdiff_t(matched_));
    }

    std::shared_ptr<const LastListing> last_;
    bool same_;
    size_t matched_ = 0;
    std::vector<ShellEntry> read_;
};

} // namespace

TFolderItem::TFolderItem(std::shared_ptr<const ShellSnapshot> snapshot, int index)
    : snapshot_(std::move(snapshot)), index_(index)
{
}

const ShellEntry& TFolderItem::Checked() const
{
    if (!snapshot_)
        throw Exception(QStringLiteral("項目がありません"));
    return snapshot_->listing->entries[size_t(index_)];
}

QByteArray TFolderItem::Name() const
{
    return Checked().name;
}

QByteArray TFolderItem::Path() const
{
    const ShellEntry& entry = Checked();
    return JoinPath(snapshot_->folderPath, entry.name);
}

TFolderItems::TFolderItems(QByteArray folderPath, std::shared_ptr<const ShellListing> listing)
{
    auto snapshot = std::make_shared<ShellSnapshot>();
    snapshot->folderPath = std::move(folderPath);
    snapshot->listing = std::move(listing);
    snapshot_ = std::move(snapshot);
}

int TFolderItems::Count() const
{
    return int(snapshot_->listing->entries.size());
}

TFolderItem TFolderItems::Item(int index) const
{
    if (index < 0 || size_t(index) >= snapshot_->listing->entries.size())
        return {};
    return TFolderItem(snapshot_, index);
}

int TFolderItems::IndexOf(const QByteArray& name) const
{
    return snapshot_->listing->indexOfName.value(name, -1);
}

TShellFolder::TShellFolder(QByteArray path) : path_(std::move(path)) {}

std::shared_ptr<TFolderItems> TShellFolder::Items()
{
    DIR* dir = ::opendir(path_.constData());
    if (!dir)
        throw Exception(CannotOpenFolder(path_));
    EntryCollector collector;
    try {
        while (const dirent* d = ::readdir(dir)) {
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            collector.Add(name, std::strlen(name), IsFolderEntry(path_, d));
        }
    } catch (...) {
        ::closedir(dir);
        throw;
    }
    ::closedir(dir);
    return std::make_shared<TFolderItems>(path_, collector.Finish());
}

QString TShellFolder::GetDetailsOf(const TFolderItem& item, int column)
{
    if (item.IsEmpty())
        return {};
    auto& details = item.snapshot_->details;
    auto it = details.find(item.index_);
    if (it == details.end())
        it = details.emplace(item.index_, ItemDetails::Read(item.Path())).first;
    return it->second.Column(column);
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
    // Names are unique within a folder, so the first match of a walk is the one the index holds,
    // provided it lies among the first `count` items.
    const int index = items.IndexOf(wanted);
    if (index < 0 || index >= count)
        return {};
    return items.Item(index);
}

void SortShellEntries(std::vector<ShellEntry>& entries)
{
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // The keys stay in the order they were made and an order of indices is sorted, so that the
    // keys are freed in the order they were allocated; what the comparison reads first (folder
    // or not) lies in a small array of its own.
    const size_t n = entries.size();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(n);
    std::vector<char> folder(n);
    for (size_t i = 0; i < n; ++i) {
        keys.push_back(collator.sortKey(DisplayText(entries[i].name)));
        folder[i] = entries[i].isFolder;
    }
    std::vector<quint32> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = quint32(i);
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        if (folder[a] != folder[b])
            return folder[a] != 0;
        if (const int c = keys[a].compare(keys[b]))
            return c < 0;
        return entries[a].name < entries[b].name;
    });
    std::vector<ShellEntry> sorted;
    sorted.reserve(n);
    for (const quint32 i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}
