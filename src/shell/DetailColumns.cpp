#include "shell/DetailColumns.h"

#include "platform/NarrowText.h"

#include <QLocale>
#include <QMimeDatabase>
#include <QMimeType>
#include <QStringList>

#include <exiv2/exiv2.hpp>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Text helpers

// Detail texts become single lines of the details panel: control characters (line breaks, tabs)
// turn into spaces, and blanks at either end are dropped.
QString CleanText(QString text)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return text.trimmed();
}

// Bytes that should be text but may be in any legacy encoding: up to the first NUL, decoded as
// UTF-8, else CP932 (Japanese cameras and Windows of the time wrote Shift-JIS), else with
// replacement characters.
QString LegacyText(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return CleanText(DisplayText(nul < 0 ? bytes : bytes.left(nul)));
}

// UTF-16 text in the given byte order, up to the first U+0000.
QString Utf16Text(const QByteArray& bytes, bool littleEndian)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = uchar(bytes[littleEndian ? i : i + 1]);
        const auto hi = uchar(bytes[littleEndian ? i + 1 : i]);
        const char16_t u = char16_t(lo | (hi << 8));
        if (u == 0)
            break;
        text.append(QChar(u));
    }
    return CleanText(text);
}

QString GroupedDigits(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

// "YYYY:MM:DD HH:MM[:SS]" as EXIF writes it (also with '-' or '/' between the date's parts, or a
// 'T' before the time). The camera's wall-clock time, with no zone: it is shown as written.
QDateTime ExifDateTime(const QByteArray& raw)
{
    const QByteArray s = raw.left(raw.indexOf('\0') < 0 ? raw.size() : raw.indexOf('\0')).trimmed();
    auto digits = [&](qsizetype at, qsizetype n, int* out) {
        if (at + n > s.size())
            return false;
        int v = 0;
        for (qsizetype i = at; i < at + n; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            v = v * 10 + (s[i] - '0');
        }
        *out = v;
        return true;
    };
    auto isDateSep = [&](qsizetype at) { return at < s.size() && (s[at] == ':' || s[at] == '-' || s[at] == '/'); };
    int year, month, day, hour, minute, second = 0;
    if (!digits(0, 4, &year) || !isDateSep(4) || !digits(5, 2, &month) || !isDateSep(7) || !digits(8, 2, &day))
        return {};
    if (s.size() <= 10 || (s[10] != ' ' && s[10] != 'T'))
        return {};
    if (!digits(11, 2, &hour) || s.size() <= 13 || s[13] != ':' || !digits(14, 2, &minute))
        return {};
    if (s.size() > 16 && s[16] == ':' && !digits(17, 2, &second))
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (year == 0 || !date.isValid() || !time.isValid())
        return {};
    // UTC as a carrier of the wall-clock time: no local-time rule shifts it.
    return QDateTime(date, time, Qt::UTC);
}

QDateTime FileTime(const struct statx_timestamp& t)
{
    return QDateTime::fromSecsSinceEpoch(qint64(t.tv_sec), Qt::LocalTime);
}

// The user name of a numeric owner, or the number where the user database has no name for it.
QString OwnerName(uid_t uid)
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0)
        size = 16384;
    for (int attempt = 0; attempt < 4; ++attempt, size *= 4) {
        std::vector<char> buffer(static_cast<size_t>(size));
        struct passwd pwd;
        struct passwd* result = nullptr;
        const int rc = getpwuid_r(uid, &pwd, buffer.data(), buffer.size(), &result);
        if (rc == ERANGE)
            continue;
        if (rc == 0 && result && result->pw_name && *result->pw_name)
            return DisplayText(QByteArray(result->pw_name));
        break;
    }
    return QString::number(uid);
}

QByteArray BaseName(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

// The first bytes of a regular file, for the MIME database's content rules (it looks at no more
// than this). Opened without blocking and checked again, so a FIFO put in the file's place is
// never waited on.
bool ReadHead(const QByteArray& path, QByteArray* head)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        head->resize(16384);
        qsizetype got = 0;
        while (got < head->size()) {
            const ssize_t n = ::read(fd, head->data() + got, size_t(head->size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            got += n;
        }
        head->truncate(got);
    }
    ::close(fd);
    return ok;
}

QString TypeText(const QByteArray& path, const QByteArray& name, mode_t mode, quint64 size)
{
    QMimeDatabase db;
    const char* special = nullptr;
    if (S_ISDIR(mode))
        special = "inode/directory";
    else if (S_ISLNK(mode))
        special = "inode/symlink";
    else if (S_ISFIFO(mode))
        special = "inode/fifo";
    else if (S_ISSOCK(mode))
        special = "inode/socket";
    else if (S_ISCHR(mode))
        special = "inode/chardevice";
    else if (S_ISBLK(mode))
        special = "inode/blockdevice";
    if (special)
        return MimeTypeComment(QString::fromLatin1(special));

    const QString shownName = DisplayText(name);
    QByteArray head;
    QMimeType type;
    if (size == 0 || ReadHead(path, &head))
        type = db.mimeTypeForFileNameAndData(shownName, head); // name first, then content
    else
        type = db.mimeTypeForFile(shownName, QMimeDatabase::MatchExtension); // unreadable: name only
    return MimeTypeComment(type.name());
}

// ---------------------------------------------------------------------------------------------
// Metadata

void SilenceExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
}

// Formats whose readers look only at header structures. Left out: EPS and XMP sidecars (their
// readers scan or load the whole file), CRW (loaded whole), and films, whose readers walk the
// whole container and are no pictures.
bool ReadsOnlyHeaders(int imageType)
{
    // The film types' numbers, from Exiv2's riffvideo.hpp, matroskavideo.hpp, quicktimevideo.hpp
    // and asfvideo.hpp (headers that do not compile on their own in 0.27).
    constexpr int riff = 20, mkv = 21, qtime = 22, asf = 24;
    switch (imageType) {
    case Exiv2::ImageType::eps:
    case Exiv2::ImageType::xmp:
    case Exiv2::ImageType::crw:
    case riff:
    case mkv:
    case qtime:
    case asf:
        return false;
    default:
        return imageType != Exiv2::ImageType::none;
    }
}

// The header segments of a JPEG file (from SOI up to the scan) with its EXIF segments left out,
// closed by EOI: a second reading for a photo whose EXIF block Exiv2 refuses as a whole, so that
// its XMP, comment and size still show. Empty where the header itself is broken.
QByteArray JpegHeaderWithoutExif(const QByteArray& path)
{
    constexpr qsizetype kLimit = 8 * 1024 * 1024;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.constData(), "rbe"), &std::fclose);
    if (!file)
        return {};
    auto byte = [&]() { return std::fgetc(file.get()); };
    if (byte() != 0xFF || byte() != 0xD8)
        return {};
    QByteArray out("\xFF\xD8", 2);
    for (;;) {
        int c = byte();
        if (c != 0xFF)
            return {};
        while (c == 0xFF) // fill bytes
            c = byte();
        if (c == EOF)
            return {};
        const uchar marker = uchar(c);
        if (marker == 0xDA || marker == 0xD9)
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            out.append(char(0xFF)).append(char(marker));
            continue;
        }
        const int hi = byte(), lo = byte();
        if (hi == EOF || lo == EOF || (hi << 8 | lo) < 2)
            return {};
        const qsizetype length = hi << 8 | lo;
        QByteArray payload(length - 2, '\0');
        if (std::fread(payload.data(), 1, size_t(payload.size()), file.get()) != size_t(payload.size()))
            return {};
        if (marker == 0xE1 && payload.startsWith(QByteArray("Exif\0", 5)))
            continue;
        out.append(char(0xFF)).append(char(marker)).append(char(hi)).append(char(lo)).append(payload);
        if (out.size() > kLimit)
            return {};
    }
    out.append("\xFF\xD9", 2);
    return out;
}

// Runs one extraction; a value that Exiv2 refuses to hand out leaves its column empty and the
// others untouched.
template <typename F>
QString Guarded(F&& extract)
{
    try {
        return extract();
    } catch (...) {
        return {};
    }
}

class PictureMetadata {
public:
    explicit PictureMetadata(Exiv2::Image& image) : image_(image), order_(image.byteOrder())
    {
        if (order_ == Exiv2::invalidByteOrder)
            order_ = Exiv2::littleEndian;
    }

    // The raw bytes of an EXIF value whose type may hold text (ASCII, BYTE, UNDEFINED).
    QByteArray ExifBytes(const char* key) const
    {
        const Exiv2::ExifData& exif = image_.exifData();
        const auto it = exif.findKey(Exiv2::ExifKey(key));
        if (it == exif.end())
            return {};
        const Exiv2::TypeId type = it->typeId();
        if (type != Exiv2::asciiString && type != Exiv2::unsignedByte && type != Exiv2::undefined)
            return {};
        const Exiv2::Value& value = it->value();
        const long size = value.size();
        if (size <= 0 || size > 1024 * 1024)
            return {};
        QByteArray bytes(qsizetype(size), '\0');
        value.copy(reinterpret_cast<Exiv2::byte*>(bytes.data()), order_);
        return bytes;
    }

    QString ExifText(const char* key) const { return LegacyText(ExifBytes(key)); }

    // Windows XP tags: UTF-16 little-endian, NUL-terminated, whatever the EXIF byte order.
    QString XpText(const char* key) const { return Utf16Text(ExifBytes(key), true); }

    // EXIF UserComment: an 8-byte character code, then the text.
    QString UserComment() const
    {
        const QByteArray raw = ExifBytes("Exif.Photo.UserComment");
        if (raw.size() <= 8)
            return {};
        const QByteArray code = raw.left(8);
        QByteArray text = raw.mid(8);
        if (code == QByteArray("ASCII\0\0\0", 8) || code == QByteArray(8, '\0'))
            return LegacyText(text);
        if (code == QByteArray("UNICODE\0", 8)) {
            bool little = order_ == Exiv2::littleEndian;
            if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF")) {
                little = text.startsWith("\xFF\xFE");
                text.remove(0, 2);
            }
            return Utf16Text(text, little);
        }
        return {}; // JIS and unknown codes: not shown rather than shown garbled
    }

    QString ExifDate(const char* key) const { return DetailDateText(ExifDateTime(ExifBytes(key))); }

    // XMP: a language alternative gives its x-default text (else its first non-empty one), an
    // array its items joined by "; ", a simple property its text.
    QString XmpText(const char* key) const
    {
        const Exiv2::XmpData& xmp = image_.xmpData();
        const auto it = xmp.findKey(Exiv2::XmpKey(key));
        if (it == xmp.end())
            return {};
        const Exiv2::Value& value = it->value();
        if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&value)) {
            const auto def = alt->value_.find("x-default");
            if (def != alt->value_.end()) {
                const QString text = CleanText(QString::fromStdString(def->second));
                if (!text.isEmpty())
                    return text;
            }
            for (const auto& entry : alt->value_) {
                const QString text = CleanText(QString::fromStdString(entry.second));
                if (!text.isEmpty())
                    return text;
            }
            return {};
        }
        if (const auto* array = dynamic_cast<const Exiv2::XmpArrayValue*>(&value)) {
            QStringList items;
            for (long i = 0; i < array->count(); ++i) {
                const QString item = CleanText(QString::fromStdString(array->toString(i)));
                if (!item.isEmpty())
                    items << item;
            }
            return items.join(QStringLiteral("; "));
        }
        return CleanText(QString::fromStdString(value.toString()));
    }

    QString JpegComment() const { return LegacyText(QByteArray::fromStdString(image_.comment())); }

private:
    Exiv2::Image& image_;
    Exiv2::ByteOrder order_;
};

// The first non-empty text of the sources, each read under its own guard.
template <typename... F>
QString FirstOf(F&&... sources)
{
    QString text;
    ((text.isEmpty() ? void(text = Guarded(sources)) : void()), ...);
    return text;
}

} // namespace

// ---------------------------------------------------------------------------------------------

QString DetailDateText(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    return time.toString(QStringLiteral("yyyy/MM/dd H:mm"));
}

QString DetailSizeText(qint64 bytes)
{
    if (bytes < 0)
        return {};
    const qint64 kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return GroupedDigits(kilobytes) + QStringLiteral(" KB");
}

QString MimeTypeComment(const QString& mimeTypeName)
{
    // QMimeType::comment() picks its language from the default QLocale (its name, then its UI
    // languages), falling back to the untranslated English text. For a locale made by name, those
    // come from the locale itself, not from LANG or LANGUAGE; so the default locale is Japanese
    // for the call and restored after it.
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeTypeName);
    if (!type.isValid())
        return {};
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QString comment = type.comment();
    QLocale::setDefault(saved);
    return CleanText(comment);
}

void ItemDetails::Set(int column, const QString& text)
{
    if (column >= 0 && column < kColumns)
        columns_[size_t(column)] = text;
}

QString ItemDetails::Column(int column) const
{
    if (column < 0 || column >= kColumns)
        return {};
    return columns_[size_t(column)];
}

ItemDetails ItemDetails::Read(const QByteArray& path)
{
    ItemDetails details;
    if (path.isEmpty() || path.contains('\0'))
        return details;

    // The item itself first: following a link reads it, which would stamp the link's access time
    // before we saw it. A link is then followed, and described as itself only where that fails.
    struct statx st {};
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (::statx(AT_FDCWD, path.constData(), AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW, mask, &st) != 0)
        return details; // vanished or unreachable: nothing is known
    if (S_ISLNK(st.stx_mode)) {
        struct statx target {};
        if (::statx(AT_FDCWD, path.constData(), AT_STATX_SYNC_AS_STAT, mask, &target) == 0)
            st = target;
    }

    const QByteArray name = BaseName(path);
    const mode_t mode = st.stx_mode;
    const bool regular = S_ISREG(mode);

    if (regular && (st.stx_mask & STATX_SIZE))
        details.Set(DetailColumn::Size, DetailSizeText(qint64(st.stx_size)));
    details.Set(DetailColumn::Type, TypeText(path, name, mode, st.stx_size));
    if (st.stx_mask & STATX_MTIME)
        details.Set(DetailColumn::Modified, DetailDateText(FileTime(st.stx_mtime)));
    // Some file systems (overlays among them) claim a birth time and report the epoch: that is
    // no creation date.
    if ((st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0))
        details.Set(DetailColumn::Created, DetailDateText(FileTime(st.stx_btime)));
    if (st.stx_mask & STATX_ATIME)
        details.Set(DetailColumn::Accessed, DetailDateText(FileTime(st.stx_atime)));

    QString attributes;
    if (!(mode & S_IWUSR))
        attributes += QLatin1Char('R');
    if (name.startsWith('.'))
        attributes += QLatin1Char('H');
    if (S_ISDIR(mode))
        attributes += QLatin1Char('D');
    if (regular)
        attributes += QLatin1Char('A');
    details.Set(DetailColumn::Attributes, attributes);

    if (st.stx_mask & STATX_UID)
        details.Set(DetailColumn::Owner, OwnerName(st.stx_uid));

    if (regular && st.stx_size > 0) {
        SilenceExiv2();
        try {
            // A FileIo of our own: ImageFactory::open(path) would take "-" for standard input and
            // "http://..." and the like for remote sources.
            Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(path.toStdString()));
            Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io); // looks at the first bytes
            QByteArray salvaged; // holds the bytes a second reading works on
            if (image.get() && ReadsOnlyHeaders(image->imageType())) {
                try {
                    image->readMetadata();
                } catch (const std::exception&) {
                    if (image->imageType() != Exiv2::ImageType::jpeg)
                        throw;
                    salvaged = JpegHeaderWithoutExif(path);
                    if (salvaged.isEmpty())
                        throw;
                    image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(salvaged.constData()),
                                                      long(salvaged.size()));
                    image->readMetadata();
                }
                const PictureMetadata meta(*image);
                using namespace DetailColumn;
                // Which source a column takes, in order: the Windows XP tag (what Windows itself
                // wrote and shows), then EXIF, then XMP, then (comments only) the JPEG comment.
                // Category has no field of its own in a photo; the nearest is its keywords.
                details.Set(Author, FirstOf([&] { return meta.XpText("Exif.Image.XPAuthor"); },
                                            [&] { return meta.ExifText("Exif.Image.Artist"); },
                                            [&] { return meta.XmpText("Xmp.dc.creator"); }));
                details.Set(Title, FirstOf([&] { return meta.XpText("Exif.Image.XPTitle"); },
                                           [&] { return meta.ExifText("Exif.Image.ImageDescription"); },
                                           [&] { return meta.XmpText("Xmp.dc.title"); }));
                details.Set(Subject, FirstOf([&] { return meta.XpText("Exif.Image.XPSubject"); },
                                             [&] { return meta.XmpText("Xmp.dc.description"); }));
                details.Set(Category, FirstOf([&] { return meta.XpText("Exif.Image.XPKeywords"); },
                                              [&] { return meta.XmpText("Xmp.dc.subject"); }));
                details.Set(Comments, FirstOf([&] { return meta.XpText("Exif.Image.XPComment"); },
                                              [&] { return meta.UserComment(); },
                                              [&] { return meta.XmpText("Xmp.exif.UserComment"); },
                                              [&] { return meta.JpegComment(); }));
                details.Set(CameraModel, Guarded([&] { return meta.ExifText("Exif.Image.Model"); }));
                details.Set(DateTaken, Guarded([&] { return meta.ExifDate("Exif.Photo.DateTimeOriginal"); }));
                details.Set(DateDigitized, Guarded([&] { return meta.ExifDate("Exif.Photo.DateTimeDigitized"); }));
                const int width = image->pixelWidth();
                const int height = image->pixelHeight();
                if (width > 0 && height > 0) {
                    details.Set(Dimensions, QStringLiteral("%1 x %2").arg(width).arg(height));
                    details.Set(Width, QStringLiteral("%1 ピクセル").arg(width));
                    details.Set(Height, QStringLiteral("%1 ピクセル").arg(height));
                }
            }
        } catch (const Exiv2::AnyError&) {
            // unreadable or broken metadata: its columns stay empty
        } catch (const std::exception&) {
        } catch (...) {
        }
    }
    return details;
}
