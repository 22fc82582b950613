#pragma once
// The detail columns the shell object answers from GetDetailsOf, read from the file system and,
// for pictures, from their metadata (EXIF, Windows XP tags, XMP, the JPEG comment).
//
// An item is read once (ItemDetails::Read): one statx (two for a symbolic link), the first 16 KiB
// for the type name, and for a picture one metadata read that touches only its header segments
// (a JPEG whose EXIF block Exiv2 refuses as a whole is read a second time without it, so that its
// other metadata and its pixel size still show). Every column is then answered from memory as text,
// empty where nothing applies. Nothing here throws for a broken, hostile, vanished or unreadable
// item: what cannot be read is empty. FIFOs, devices and sockets are never opened.
// GUI thread only (the type name briefly sets the default QLocale).

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>

// Column numbers as GetDetailsOf takes them.
namespace DetailColumn {
enum : int {
    Size = 1,
    Type = 2,
    Modified = 3,
    Created = 4,
    Accessed = 5,
    Attributes = 6,
    Status = 7,
    Owner = 8,
    Author = 9,
    Title = 10,
    Subject = 11,
    Category = 12,
    PageCount = 13,
    Comments = 14,
    CameraModel = 24,
    DateTaken = 25,
    Dimensions = 26,
    Width = 27,
    Height = 28,
    DateDigitized = 31,
};
} // namespace DetailColumn

class ItemDetails {
public:
    // An item of which nothing is known: every column empty.
    ItemDetails() = default;

    // Reads the item at `path` (bytes, as the file system takes them). A symbolic link is followed;
    // a dangling one is described as the link itself.
    static ItemDetails Read(const QByteArray& path);

    // The detail at `column` as text; empty for a column that does not apply or is unknown.
    QString Column(int column) const;

private:
    static constexpr int kColumns = 32;
    void Set(int column, const QString& text);
    std::array<QString, kColumns> columns_;
};

// A point in time as the date columns show it: "yyyy/MM/dd H:mm" (e.g. "2004/05/01 9:05"), in the
// time spec the value carries; empty for an invalid value.
QString DetailDateText(const QDateTime& time);

// A file size as the size column shows it: kilobytes rounded up, digits grouped by ",", e.g.
// "1,234 KB"; "0 KB" for an empty file.
QString DetailSizeText(qint64 bytes);

// The type name the MIME database gives for a MIME type name, in Japanese where the database has
// Japanese text and in English where not, whatever the user's locale and LANGUAGE say.
QString MimeTypeComment(const QString& mimeTypeName);
