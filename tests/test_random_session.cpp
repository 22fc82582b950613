// A long random session through the real window: thousands of user actions chosen by a seeded
// generator (F1 with the picker answering one of several folders or cancelling, F3, F4, F5 and
// the button with typed names of every kind, list picks, arrow clicks, slideshow ticks, window
// resizes) while, between them, files in the open folder are deleted, renamed, created,
// truncated or replaced by a folder behind the program's back.
//
// A model follows the session: what is on disk in each folder, and what the window should hold.
// After every action it checks that
//  - the opening names are what the last listing gave, never reordered, and the current names
//    are as many and each what the program's renames made it;
//  - the selection, the up-down position and the position text name the same item;
//  - a refresh ran exactly when one was due, and the name field, the details panel and the frames
//    show the item named (an item that is gone is described by nothing);
//  - the rename showed exactly the message due, and a name the program gave is the name of a file
//    on disk unless something outside touched that file;
//  - nothing on disk changed but what the renames and the outside actions did, and the file
//    contents in the folders (each file holds a payload of its own) changed only by what the
//    outside actions did: no rename lost or overwrote a file.
//
// PORTEO_SESSION_SEED (default 1) and PORTEO_SESSION_ACTIONS (default 3000) choose the session. On a
// failure the test prints the seed and the shortest action sequence that still shows the fault,
// found by delta debugging over the recorded actions, each try replayed from fresh folders.

#include "WindowDriver.h"

#include "Fixtures.h"
#include "display/NameRules.h"
#include "model/RenameRules.h"
#include "platform/Controls.h"
#include "platform/Exception.h"
#include "platform/NarrowText.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"
#include "platform/TStringList.h"
#include "platform/TUpDown.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Kind {
    Open, Previous, Next, RenameKey, RenameButton, ListPick, ListKey, ArrowLeft, ArrowRight, Tick, Resize,
    OutsideDelete, OutsideRename, OutsideCreate, OutsideTruncate, OutsideFolder,
};

// One action; `a` and `b` are read against the state the action meets (a key that picks one of
// the names there are, a number modulo what there is), so that any subsequence of a session can be
// replayed.
struct Action {
    Kind kind;
    quint32 a;
    quint32 b;
};

QString Describe(const Action& x)
{
    switch (x.kind) {
    case Kind::Open: return QStringLiteral("F1, picker answer #%1").arg(x.a);
    case Kind::Previous: return QStringLiteral("F3");
    case Kind::Next: return QStringLiteral("F4");
    case Kind::RenameKey: return QStringLiteral("type name kind %1/%2, F5").arg(x.a).arg(x.b);
    case Kind::RenameButton: return QStringLiteral("type name kind %1/%2, click 変更").arg(x.a).arg(x.b);
    case Kind::ListPick: return QStringLiteral("pick list item #%1").arg(x.a);
    case Kind::ListKey: return QStringLiteral("list key #%1").arg(x.a);
    case Kind::ArrowLeft: return QStringLiteral("click up-down left arrow");
    case Kind::ArrowRight: return QStringLiteral("click up-down right arrow");
    case Kind::Tick: return QStringLiteral("slideshow tick");
    case Kind::Resize: return QStringLiteral("resize #%1/%2").arg(x.a).arg(x.b);
    case Kind::OutsideDelete: return QStringLiteral("outside: delete file #%1").arg(x.a);
    case Kind::OutsideRename: return QStringLiteral("outside: rename file #%1").arg(x.a);
    case Kind::OutsideCreate: return QStringLiteral("outside: create file kind %1").arg(x.a);
    case Kind::OutsideTruncate: return QStringLiteral("outside: truncate file #%1 to #%2").arg(x.a).arg(x.b);
    case Kind::OutsideFolder: return QStringLiteral("outside: replace file #%1 by a folder").arg(x.a);
    }
    return {};
}

// The name an action's key picks among names (rendezvous hashing): the same name whatever other
// names come and go, so that dropping an unrelated action while shrinking leaves the choice.
int Choose(quint32 key, const QList<QByteArray>& names)
{
    int best = 0;
    size_t bestHash = 0;
    for (int i = 0; i < names.size(); ++i) {
        const size_t h = qHash(names[i], size_t(key) * 0x9E3779B97F4A7C15ull + 1);
        if (i == 0 || h < bestHash) {
            best = i;
            bestHash = h;
        }
    }
    return best;
}

std::vector<Action> MakeSession(quint32 seed, int count)
{
    // Weights of the kinds, in the order of Kind.
    static const std::vector<int> weights = {4, 8, 10, 9, 3, 8, 5, 6, 7, 9, 2, 4, 4, 5, 3, 2};
    std::mt19937 random(seed);
    std::discrete_distribution<int> kind(weights.begin(), weights.end());
    std::vector<Action> actions;
    actions.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto k = Kind(kind(random));
        actions.push_back({k, quint32(random()), quint32(random())});
    }
    return actions;
}

// --- What is on disk -----------------------------------------------------------------------

struct Entry {
    bool folder = false;
    QByteArray content;       // a file's bytes; a folder's entries, one name a line (none expected)
    bool soundPhoto = false;  // a whole photo as the fixture wrote it
    bool operator==(const Entry& o) const { return folder == o.folder && content == o.content; }
};
using Folder = std::map<QByteArray, Entry>;

QByteArray ReadAll(const QByteArray& path)
{
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return "<unreadable>";
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

QList<QByteArray> Names(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* d = ::readdir(dir)) {
            const QByteArray name(d->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Folder Scan(const QByteArray& path)
{
    Folder folder;
    for (const QByteArray& name : Names(path)) {
        const QByteArray full = path + '/' + name;
        struct stat st {};
        Entry e;
        if (::lstat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            e.folder = true;
            e.content = Names(full).join('\n');
        } else {
            e.content = ReadAll(full);
        }
        folder[name] = e;
    }
    return folder;
}

// Every regular file's content under a folder, however deep.
void CollectContents(const QByteArray& path, std::map<QByteArray, int>* contents)
{
    for (const QByteArray& name : Names(path)) {
        const QByteArray full = path + '/' + name;
        struct stat st {};
        if (::lstat(full.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            CollectContents(full, contents);
        else
            ++(*contents)[ReadAll(full)];
    }
}

QString ShowContents(const std::map<QByteArray, int>& contents)
{
    QStringList parts;
    for (const auto& [content, count] : contents)
        parts << QStringLiteral("%1x %2").arg(count).arg(QString::fromLatin1(content.right(16).toHex()));
    return parts.join(QStringLiteral(", "));
}

const QString kBadCharacter = QStringLiteral("ファイル名に使えない文字が含まれています。");
const QString kDuplicate = QStringLiteral("ファイル名が重複しています。");
const QString kBlank = QStringLiteral("名前が空白です。");
const QString kMoveFailed = QStringLiteral("ファイル名を変更できませんでした。\n");

// --- The session ---------------------------------------------------------------------------

struct Failure {
    int action;   // index of the action after which the check failed
    QString what; // "<check>: <details>"
    QString Check() const { return what.section(QLatin1Char(':'), 0, 0); }
};

class Session {
public:
    explicit Session(QStringList* log) : log_(log)
    {
        photo_ = EncodeJpeg({.width = 8, .height = 6, .quality = 80});
        // A: photos of every extension spelling, names that are not photos, CP932 names, a
        // broken and an empty photo, sub-folders (one named like a photo).
        MakeFolder("A");
        for (const char* name : {"IMG_0001.jpg", "IMG_0002.JPG", "b.JpEg", "photo.Jpeg", "a.b.jpg", ".jpg",
                                 "\x95\x5c.jpg" /* 表.jpg in CP932 */, "\x8e\xca\x90\x5e.JPG" /* 写真.JPG */})
            AddPhoto(0, name);
        AddText(0, "notes");
        AddText(0, "c.png");
        AddText(0, "broken.jpg");
        AddFile(0, "empty.jpg", {}, false);
        AddSubFolder(0, "sub");
        AddSubFolder(0, "dir.jpg");
        MakeFolder("B"); // empty
        MakeFolder("C");
        AddPhoto(2, "only.jpg");
        // D: more items than the up-down's range of 0..100.
        MakeFolder("D");
        for (int i = 0; i < 100; ++i)
            AddText(3, QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')).toUtf8());
        for (const char* name : {"p1.jpg", "p2.jpg", "p3.JPG"})
            AddPhoto(3, name);
        notFolder_ = root_.File("file.txt");
        WriteBytes(notFolder_, "not a folder");
        CollectContents(root_.Path(), &contents_);
        for (const QByteArray& name : Names(root_.Path()))
            rootNames_ << name;

        driver_.emplace();
    }

    std::optional<Failure> Run(const std::vector<Action>& actions)
    {
        for (int i = 0; i < int(actions.size()); ++i) {
            QString failed;
            try {
                failed = Step(actions[size_t(i)]);
            } catch (const Exception& e) {
                failed = QStringLiteral("exception: ") + e.Message();
            } catch (const std::exception& e) {
                failed = QStringLiteral("exception: ") + QString::fromUtf8(e.what());
            }
            if (!failed.isEmpty())
                return Failure{i, failed};
        }
        return std::nullopt;
    }

private:
    TFMainMenu* W() const { return driver_->window.get(); }
    FakeServices& Services() { return driver_->services; }
    int Count() const { return int(opening_.size()); }

    void Log(const QString& text)
    {
        if (log_)
            *log_ << text;
    }

    void MakeFolder(const char* name)
    {
        root_.AddFolder(name);
        folderPaths_ << root_.File(name);
        disk_.emplace_back();
    }
    QByteArray Payload() { return "payload:" + QByteArray::number(++payloads_) + '\n'; }
    void AddFile(int folder, const QByteArray& name, const QByteArray& content, bool photo)
    {
        WriteBytes(folderPaths_[folder] + '/' + name, content);
        disk_[size_t(folder)][name] = Entry{false, content, photo};
    }
    void AddPhoto(int folder, const QByteArray& name) { AddFile(folder, name, photo_ + Payload(), true); }
    void AddText(int folder, const QByteArray& name) { AddFile(folder, name, Payload(), false); }
    void AddSubFolder(int folder, const QByteArray& name)
    {
        QCOMPARE(::mkdir((folderPaths_[folder] + '/' + name).constData(), 0755), 0);
        disk_[size_t(folder)][name] = Entry{true, {}, false};
    }

    // The regular files of the open folder, in byte order.
    QList<QByteArray> OpenFiles() const
    {
        QList<QByteArray> files;
        if (open_ >= 0)
            for (const auto& [name, e] : disk_[size_t(open_)])
                if (!e.folder)
                    files << name;
        return files;
    }

    void TouchedOutside(const QByteArray& name)
    {
        for (int i = 0; i < Count(); ++i)
            if (current_[i] == name)
                touched_[i] = true;
    }

    // Whether an item other than the selected one holds `name` as its current name.
    bool HeldByAnother(const QByteArray& name) const
    {
        for (int i = 0; i < Count(); ++i)
            if (i != sel_ && current_[i] == name)
                return true;
        return false;
    }

    // MirrorSelection after the list's selection has become sel_: whether it refreshed.
    bool Mirror()
    {
        const qint16 value = qint16(sel_);
        if (value == position_)
            return false;
        if (value > Count() - 1 || value < 0)
            return false;
        position_ = value;
        shown_ = std::clamp(int(value), 0, 100);
        return true;
    }

    // Whether a frame showing `name` of the open folder must hold a picture (nullopt: either).
    std::optional<bool> FrameHolds(const QByteArray& name) const
    {
        if (!IsJpegName(name))
            return false;
        const Folder& folder = disk_[size_t(open_)];
        const auto it = folder.find(name);
        if (it == folder.end() || it->second.folder || it->second.content.isEmpty())
            return false;
        if (it->second.soundPhoto)
            return true;
        if (!it->second.content.startsWith("\xFF\xD8"))
            return false;
        return std::nullopt; // a truncated photo: its header may or may not have survived
    }

    QString TypedName(quint32 kind, quint32 param)
    {
        switch (kind % 9) {
        case 0:
        case 1: {
            static const char* const ordinary[] = {"trip", "2004.05.01", "a b", "IMG_9999", "x", "Trip"};
            return QString::fromUtf8(ordinary[param % 6]) + QString::number(param % 5);
        }
        case 2: { // the base name of a file that is there
            const QList<QByteArray> files = OpenFiles();
            if (files.isEmpty())
                return QStringLiteral("nothing");
            return DisplayText(NameWithoutExtension(files[Choose(param, files)]));
        }
        case 3: return QString();
        case 4: return QString(int(1 + param % 3), QLatin1Char(' '));
        case 5: return param % 2 ? QStringLiteral("a/b") : QStringLiteral("../escape");
        case 6: return QString(int(200 + param % 80), QLatin1Char('n')); // beyond 255 bytes or not
        case 7: return (param % 2 ? QStringLiteral("写真") : QStringLiteral("表示")) + QString::number(param % 3);
        default: return QStringLiteral("a.b");
        }
    }

    QString Step(const Action& x)
    {
        TFMainMenu* w = W();
        const int refreshesBefore = w->RefreshCount();
        const qsizetype messagesBefore = Services().messages.size();
        const qsizetype reportsBefore = Services().errorReports.size();
        const QString edit1Before = w->Edit1->text();
        const QString memoBefore = w->Memo2->toPlainText();
        bool refreshed = false;
        QStringList messages;                 // the messages due
        std::optional<QString> edit1;         // the name field's text due, when it changes
        std::optional<QString> edit2;         // the typed name's text due after the action
        QString what = Describe(x);

        switch (x.kind) {
        case Kind::Open: {
            const int answers = int(folderPaths_.size()) + 4;
            const int k = int(x.a % quint32(answers));
            std::optional<QByteArray> answer;
            int folder = -1;
            if (k < folderPaths_.size()) {
                answer = folderPaths_[k];
                folder = k;
            } else if (k == folderPaths_.size()) {
                answer = folderPaths_[0] + '/'; // the same folder, spelled with a trailing "/"
                folder = 0;
            } else if (k == folderPaths_.size() + 1) {
                answer = notFolder_;
            } else if (k == folderPaths_.size() + 2) {
                answer = root_.File("missing");
            } // else: cancelled
            what = QStringLiteral("F1, picker answers %1").arg(answer ? DisplayText(*answer) : QStringLiteral("cancel"));
            Services().pickerAnswers.push_back(answer);
            driver_->Key(Qt::Key_F1);
            if (folder >= 0) {
                open_ = folder;
                openPath_ = *answer;
                opening_.clear();
                for (int i = 0; i < w->ComboBox1->Items(); ++i)
                    opening_ << w->ComboBox1->ItemBytes(i);
                // The listing: every entry of the folder once, sub-folders first.
                QList<QByteArray> listed = opening_, there;
                std::sort(listed.begin(), listed.end());
                for (const auto& [name, e] : disk_[size_t(folder)])
                    there << name;
                if (listed != there)
                    return QStringLiteral("listing: %1 lists %2 items, the folder holds %3")
                        .arg(DisplayText(openPath_)).arg(listed.size()).arg(there.size());
                bool filesBegun = false;
                for (const QByteArray& name : opening_) {
                    const bool isFolder = disk_[size_t(folder)].at(name).folder;
                    if (isFolder && filesBegun)
                        return QStringLiteral("listing: sub-folder %1 after a file").arg(DisplayText(name));
                    filesBegun = filesBegun || !isFolder;
                }
                current_ = opening_;
                given_ = QList<bool>(Count(), false);
                touched_ = QList<bool>(Count(), false);
                sel_ = Count() > 0 ? 0 : -1;
                position_ = 0;
                shown_ = 0;
                refreshed = Count() > 0;
                listed_ = true;
            }
            break;
        }
        case Kind::Previous:
            driver_->Key(Qt::Key_F3);
            if (Count() > 0 && sel_ != 0) {
                --sel_;
                refreshed = Mirror();
            }
            break;
        case Kind::Next:
            driver_->Key(Qt::Key_F4);
            if (sel_ < Count() - 1) {
                ++sel_;
                refreshed = Mirror();
            }
            break;
        case Kind::Tick:
            driver_->Tick();
            if (Count() > 0) {
                sel_ = sel_ < Count() - 1 ? sel_ + 1 : 0;
                refreshed = Mirror();
            } else {
                Mirror();
            }
            break;
        case Kind::ListPick:
        case Kind::ListKey: {
            if (Count() == 0)
                return {};
            int target = sel_;
            if (x.kind == Kind::ListPick) {
                target = Choose(x.a, opening_);
                what = QStringLiteral("pick %1 in the list").arg(DisplayText(opening_[target]));
                driver_->ChooseInList(target);
            } else {
                static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End};
                const Qt::Key key = keys[x.a % 4];
                what = QStringLiteral("key %1 in the list").arg(QKeySequence(key).toString());
                QTest::keyClick(w->ComboBox1, key);
                if (key == Qt::Key_Down)
                    target = std::min(sel_ + 1, Count() - 1);
                else if (key == Qt::Key_Up)
                    target = std::max(sel_ - 1, 0);
                else
                    target = key == Qt::Key_Home ? 0 : Count() - 1;
            }
            if (target != sel_) {
                sel_ = target;
                refreshed = Mirror();
            }
            break;
        }
        case Kind::ArrowLeft:
        case Kind::ArrowRight: {
            const bool right = x.kind == Kind::ArrowRight;
            QTest::mouseClick(right ? w->UpDown1->RightButton() : w->UpDown1->LeftButton(), Qt::LeftButton);
            const int proposed = shown_ + (right ? 1 : -1);
            if (proposed >= 0 && proposed <= Count() - 1) {
                sel_ = proposed;
                refreshed = true;
                position_ = qint16(proposed); // held also beyond 100: the selection's mirror
                shown_ = std::min(proposed, 100);
            }
            break;
        }
        case Kind::Resize: {
            const QSize size(120 + int(x.a % 1000), 90 + int(x.b % 800));
            what = QStringLiteral("resize to %1 x %2").arg(size.width()).arg(size.height());
            w->resize(size);
            break;
        }
        case Kind::RenameKey:
        case Kind::RenameButton: {
            const QString typed = TypedName(x.a, x.b);
            what = QStringLiteral("type \"%1\", %2").arg(typed.size() > 40 ? typed.left(8) + QStringLiteral("…(%1)").arg(typed.size()) : typed,
                                                       x.kind == Kind::RenameKey ? QStringLiteral("F5") : QStringLiteral("click 変更"));
            w->Edit2->setText(typed);
            if (x.kind == Kind::RenameKey)
                driver_->Key(Qt::Key_F5);
            else
                QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
            edit2 = typed;
            if (Count() == 0 || sel_ < 0)
                break;
            const QByteArray bytes = NarrowFromTyped(typed);
            Folder& folder = disk_[size_t(open_)];
            const QByteArray newName = NewFileName(bytes, opening_[sel_]);
            const auto atTarget = folder.find(newName);
            if (HoldsPathSeparator(bytes)) {
                messages << kBadCharacter;
            } else if (atTarget != folder.end() ? !atTarget->second.folder : HeldByAnother(newName)) {
                // A file at the target, or another item's name with nothing there; a folder at the
                // target is no duplicate (the move refuses it).
                messages << kDuplicate;
            } else if (bytes.isEmpty()) {
                messages << kBlank;
            } else {
                const auto source = folder.find(current_[sel_]);
                if (source != folder.end() && atTarget == folder.end() && newName.size() <= 255) {
                    const Entry moved = source->second;
                    folder.erase(source);
                    folder[newName] = moved;
                    what += QStringLiteral(": %1 -> %2").arg(DisplayText(current_[sel_]), DisplayText(newName));
                    current_[sel_] = newName;
                    given_[sel_] = true;
                    touched_[sel_] = false;
                    edit1 = typed;
                    edit2 = QString();
                } else {
                    messages << kMoveFailed;
                }
            }
            break;
        }
        case Kind::OutsideDelete:
        case Kind::OutsideRename:
        case Kind::OutsideTruncate:
        case Kind::OutsideFolder: {
            const QList<QByteArray> files = OpenFiles();
            if (files.isEmpty())
                return {};
            const QByteArray name = files[Choose(x.a, files)];
            const QByteArray path = folderPaths_[open_] + '/' + name;
            Folder& folder = disk_[size_t(open_)];
            Entry& e = folder.at(name);
            TouchedOutside(name);
            if (x.kind == Kind::OutsideRename) {
                const QByteArray to = "moved_" + QByteArray::number(++renames_) + DisplayExtension(name).toLower();
                what = QStringLiteral("outside: rename %1 to %2").arg(DisplayText(name), DisplayText(to));
                if (::rename(path.constData(), (folderPaths_[open_] + '/' + to).constData()) != 0)
                    return QStringLiteral("fixture: cannot rename %1").arg(DisplayText(name));
                folder[to] = e;
                folder.erase(name);
                TouchedOutside(to);
                break;
            }
            --contents_[e.content];
            if (contents_[e.content] == 0)
                contents_.erase(e.content);
            if (x.kind == Kind::OutsideDelete) {
                what = QStringLiteral("outside: delete %1").arg(DisplayText(name));
                if (::unlink(path.constData()) != 0)
                    return QStringLiteral("fixture: cannot delete %1").arg(DisplayText(name));
                folder.erase(name);
            } else if (x.kind == Kind::OutsideTruncate) {
                const qsizetype length = qsizetype(x.b % quint32(e.content.size() + 1));
                what = QStringLiteral("outside: truncate %1 to %2 bytes").arg(DisplayText(name)).arg(length);
                if (::truncate(path.constData(), length) != 0)
                    return QStringLiteral("fixture: cannot truncate %1").arg(DisplayText(name));
                e.soundPhoto = e.soundPhoto && length == e.content.size();
                e.content.truncate(length);
                ++contents_[e.content];
            } else {
                what = QStringLiteral("outside: replace %1 by a folder").arg(DisplayText(name));
                if (::unlink(path.constData()) != 0 || ::mkdir(path.constData(), 0755) != 0)
                    return QStringLiteral("fixture: cannot replace %1").arg(DisplayText(name));
                e = Entry{true, {}, false};
            }
            break;
        }
        case Kind::OutsideCreate: {
            if (open_ < 0)
                return {};
            const bool photo = x.a % 2 == 0;
            const QByteArray name = "new_" + QByteArray::number(++creates_) + (photo ? ".jpg" : ".txt");
            what = QStringLiteral("outside: create %1").arg(DisplayText(name));
            const QByteArray content = photo ? photo_ + Payload() : Payload();
            WriteBytes(folderPaths_[open_] + '/' + name, content);
            disk_[size_t(open_)][name] = Entry{false, content, photo};
            ++contents_[content];
            TouchedOutside(name);
            break;
        }
        }
        Log(what);
        QCoreApplication::processEvents();

        const auto fail = [&](const QString& text) { return text + QStringLiteral(" (after: ") + what + ')'; };

        // The lists.
        if (w->ComboBox1->Items() != Count())
            return fail(QStringLiteral("opening names: %1 in the list, %2 due").arg(w->ComboBox1->Items()).arg(Count()));
        for (int i = 0; i < Count(); ++i)
            if (w->ComboBox1->ItemBytes(i) != opening_[i])
                return fail(QStringLiteral("opening names: item %1 is %2, %3 due")
                                .arg(i).arg(DisplayText(w->ComboBox1->ItemBytes(i)), DisplayText(opening_[i])));
        if (listed_) {
            if (!w->CurrentNames || w->CurrentNames->Count() != Count())
                return fail(QStringLiteral("current names: not as many as the opening names"));
            for (int i = 0; i < Count(); ++i)
                if (w->CurrentNames->Strings(i) != current_[i])
                    return fail(QStringLiteral("current names: item %1 is %2, %3 due")
                                    .arg(i).arg(DisplayText(w->CurrentNames->Strings(i)), DisplayText(current_[i])));
        }

        // The selection and what names it.
        if (w->ComboBox1->ItemIndex() != sel_)
            return fail(QStringLiteral("selection: %1, %2 due").arg(w->ComboBox1->ItemIndex()).arg(sel_));
        if (w->UpDown1->Position() != position_ || w->UpDown1->ShownPosition() != shown_)
            return fail(QStringLiteral("up-down: holds %1 shows %2, %3 and %4 due")
                            .arg(w->UpDown1->Position()).arg(w->UpDown1->ShownPosition()).arg(position_).arg(shown_));
        const QString position = listed_ ? QStringLiteral("[選択]%1/[合計]%2").arg(sel_ + 1).arg(Count()) : QString();
        if (driver_->PositionText() != position)
            return fail(QStringLiteral("position text: %1, %2 due").arg(driver_->PositionText(), position));
        const QString caption = open_ >= 0 ? QStringLiteral("ぽるてお[") + DisplayText(openPath_) + ']' : QStringLiteral("ぽるてお");
        if (driver_->Caption() != caption)
            return fail(QStringLiteral("caption: %1, %2 due").arg(driver_->Caption(), caption));

        // The refresh.
        const int refreshes = w->RefreshCount() - refreshesBefore;
        if (refreshes != (refreshed ? 1 : 0))
            return fail(QStringLiteral("refresh: %1 ran, %2 due").arg(refreshes).arg(refreshed ? 1 : 0));
        if (refreshed) {
            const QByteArray& name = current_[sel_];
            const QString due = DisplayText(NameWithoutExtension(name));
            if (w->Edit1->text() != due)
                return fail(QStringLiteral("name field: %1, %2 due").arg(w->Edit1->text(), due));
            const bool there = disk_[size_t(open_)].count(name) != 0;
            const QString memo = w->Memo2->toPlainText();
            if (there ? memo.split('\n').size() != 20 : !memo.isEmpty())
                return fail(QStringLiteral("details: %1 lines for %2 item").arg(memo.isEmpty() ? 0 : memo.split('\n').size())
                                .arg(there ? QStringLiteral("an") : QStringLiteral("a vanished")));
            const std::optional<bool> frames[3] = {
                FrameHolds(name),
                sel_ > 0 ? FrameHolds(current_[sel_ - 1]) : std::optional<bool>(false),
                sel_ + 1 < Count() ? FrameHolds(current_[sel_ + 1]) : std::optional<bool>(false),
            };
            TImage* boxes[3] = {w->Image1, w->Image2, w->Image3};
            for (int f = 0; f < 3; ++f)
                if (frames[f] && (boxes[f]->Picture() != nullptr) != *frames[f])
                    return fail(QStringLiteral("frame %1: %2 a picture").arg(f).arg(*frames[f] ? "lacks" : "holds"));
        } else if (w->Edit1->text() != edit1.value_or(edit1Before) || w->Memo2->toPlainText() != memoBefore) {
            return fail(QStringLiteral("name field or details changed without a refresh"));
        }
        if (edit2 && w->Edit2->text() != *edit2)
            return fail(QStringLiteral("typed name: %1, %2 due").arg(w->Edit2->text(), *edit2));

        // The messages.
        const QStringList shown = Services().messages.mid(messagesBefore);
        bool messagesMatch = shown.size() == messages.size();
        for (int i = 0; messagesMatch && i < shown.size(); ++i)
            messagesMatch = messages[i] == kMoveFailed ? shown[i].startsWith(kMoveFailed) && shown[i] != kMoveFailed
                                                       : shown[i] == messages[i];
        if (!messagesMatch)
            return fail(QStringLiteral("messages: [%1], [%2] due").arg(shown.join(" | "), messages.join(" | ")));
        static const QRegularExpression report(QStringLiteral(
            "^(JPEG エラー #\\d+\\.|ファイル .* は開けません\\.?|ファイル .* は大きすぎて表示できません\\.?)$"));
        for (const QString& text : Services().errorReports.mid(reportsBefore))
            if (!report.match(text).hasMatch())
                return fail(QStringLiteral("error report: %1").arg(text));

        // The disk.
        for (int f = 0; f < folderPaths_.size(); ++f) {
            const Folder actual = Scan(folderPaths_[f]);
            if (actual != disk_[size_t(f)]) {
                QStringList differences;
                for (const auto& [name, e] : disk_[size_t(f)])
                    if (!actual.count(name) || !(actual.at(name) == e))
                        differences << QStringLiteral("%1 %2").arg(DisplayText(name), actual.count(name) ? "changed" : "missing");
                for (const auto& [name, e] : actual)
                    if (!disk_[size_t(f)].count(name))
                        differences << QStringLiteral("%1 appeared").arg(DisplayText(name));
                return fail(QStringLiteral("disk: in %1: %2").arg(DisplayText(folderPaths_[f]), differences.join(", ")));
            }
        }
        if (Names(root_.Path()) != rootNames_)
            return fail(QStringLiteral("disk: the folders' parent changed"));
        std::map<QByteArray, int> contents;
        CollectContents(root_.Path(), &contents);
        if (contents != contents_)
            return fail(QStringLiteral("contents: %1, %2 due").arg(ShowContents(contents), ShowContents(contents_)));
        for (int i = 0; i < Count(); ++i)
            if (given_[i] && !touched_[i]) {
                struct stat st {};
                const QByteArray path = folderPaths_[open_] + '/' + current_[i];
                if (::lstat(path.constData(), &st) != 0)
                    return fail(QStringLiteral("given name: %1 names nothing on disk").arg(DisplayText(current_[i])));
            }
        return {};
    }

    QStringList* log_;
    FixtureFolder root_;
    QByteArray photo_;
    QList<QByteArray> folderPaths_;
    QByteArray notFolder_;
    QList<QByteArray> rootNames_;
    std::vector<Folder> disk_;
    std::map<QByteArray, int> contents_; // changed only by the outside actions
    int payloads_ = 0, renames_ = 0, creates_ = 0;

    int open_ = -1; // the folder the window has open, by index
    QByteArray openPath_;
    bool listed_ = false;
    QList<QByteArray> opening_, current_;
    QList<bool> given_, touched_;
    int sel_ = -1;
    qint16 position_ = 0;
    int shown_ = 0;

    std::optional<WindowDriver> driver_;
};

std::optional<Failure> Replay(const std::vector<Action>& actions, QStringList* log = nullptr)
{
    Session session(log);
    return session.Run(actions);
}

// Delta debugging (ddmin) over the actions: the shortest sequence found that still fails the same
// check.
std::vector<Action> Shrink(std::vector<Action> actions, const QString& check)
{
    // At most this many replays: the sequence found by then is shown.
    int budget = 600;
    const auto fails = [&](const std::vector<Action>& candidate) {
        if (budget-- <= 0)
            return false;
        const std::optional<Failure> f = Replay(candidate);
        if (f && f->Check() == check) {
            // Only what leads up to the failure matters.
            actions.assign(candidate.begin(), candidate.begin() + f->action + 1);
            return true;
        }
        return false;
    };
    size_t chunks = 2;
    while (actions.size() >= 2) {
        const size_t size = actions.size();
        const size_t chunk = (size + chunks - 1) / chunks;
        bool reduced = false;
        for (size_t start = 0; start < size && !reduced; start += chunk) {
            std::vector<Action> candidate(actions.begin(), actions.begin() + qsizetype(start));
            candidate.insert(candidate.end(), actions.begin() + qsizetype(std::min(size, start + chunk)), actions.end());
            if (fails(candidate)) { // `actions` is now the candidate up to its failure
                chunks = std::max<size_t>(chunks - 1, 2);
                reduced = true;
            }
        }
        if (!reduced) {
            if (chunks >= size)
                break;
            chunks = std::min(chunks * 2, size);
        }
    }
    return actions;
}

// A long session and its shrinking take longer than Qt Test's watchdog allows a test function by
// default (5 minutes); the limit that counts is the one the caller sets (CTest's TIMEOUT).
const bool kWatchdogDisarmed = qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")
    || qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(24 * 3600 * 1000));

quint32 EnvNumber(const char* name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

} // namespace

class TestRandomSession : public QObject {
    Q_OBJECT

private slots:
    void session()
    {
        const quint32 seed = EnvNumber("PORTEO_SESSION_SEED", 1);
        const int count = int(EnvNumber("PORTEO_SESSION_ACTIONS", 3000));
        qInfo("random session: seed %u, %d actions", seed, count);
        const std::vector<Action> actions = MakeSession(seed, count);
        const std::optional<Failure> failure = Replay(actions);
        if (!failure)
            return;
        qWarning("seed %u: action %d failed: %s", seed, failure->action + 1, qPrintable(failure->what));
        const std::vector<Action> failing(actions.begin(), actions.begin() + failure->action + 1);
        const std::vector<Action> shortest = Shrink(failing, failure->Check());
        QStringList log;
        const std::optional<Failure> shown = Replay(shortest, &log);
        QString text = QStringLiteral("seed %1, %2 actions: action %3 failed: %4\nshortest sequence (%5 actions):")
                           .arg(seed).arg(count).arg(failure->action + 1).arg(failure->what).arg(shortest.size());
        for (int i = 0; i < log.size(); ++i)
            text += QStringLiteral("\n  %1. %2").arg(i + 1).arg(log[i]);
        if (shown)
            text += QStringLiteral("\nfails with: ") + shown->what;
        QFAIL(qPrintable(text));
    }
};

PORTEO_TEST_MAIN(TestRandomSession)
#include "test_random_session.moc"
