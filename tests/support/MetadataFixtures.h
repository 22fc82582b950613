#pragma once
// Photo metadata that the tests write themselves with Exiv2: EXIF, Windows XP tags, XMP and the
// JPEG comment; and ways to damage a photo's EXIF block.

#include <QByteArray>
#include <QString>
#include <QStringList>

// What to write; empty fields are left out.
struct PhotoMetadata {
    // Windows XP tags (IFD0, BYTE, UTF-16LE with a terminating NUL).
    QString xpAuthor, xpTitle, xpSubject, xpKeywords, xpComment;
    // EXIF ASCII fields, as bytes (a NUL is appended).
    QByteArray artist, imageDescription, model;
    QByteArray dateTimeOriginal, dateTimeDigitized; // "2004:05:01 09:05:00"
    // EXIF UserComment, the whole value with its 8-byte character code (see below).
    QByteArray userComment;
    // XMP.
    QStringList xmpCreator;  // dc:creator, a sequence
    QString xmpTitle;        // dc:title, x-default
    QString xmpDescription;  // dc:description, x-default
    QStringList xmpSubject;  // dc:subject, a bag (keywords)
    QString xmpUserComment;  // exif:UserComment, x-default
    // The JPEG comment marker (COM), as bytes.
    QByteArray jpegComment;
    // The EXIF block in Motorola (big-endian) byte order rather than Intel order.
    bool bigEndian = false;
};

// UserComment values: "UNICODE\0" + UTF-16 (in the EXIF block's byte order), "ASCII\0\0\0" +
// the bytes, and eight NULs (character code undefined) + the bytes.
QByteArray UnicodeUserComment(const QString& text, bool bigEndian = false);
QByteArray AsciiUserComment(const QByteArray& text);
QByteArray UndefinedUserComment(const QByteArray& text);

// The JPEG `jpeg` with `metadata` added by Exiv2 (in memory). Empty on failure (with a warning).
QByteArray AddMetadata(const QByteArray& jpeg, const PhotoMetadata& metadata);

enum class ExifDamage {
    BrokenHeader,      // the TIFF byte-order mark replaced by "XX"
    Ifd0OutOfRange,    // IFD0's offset far beyond the block
    HugeCounts,        // every IFD0 entry claims 0x3FFFFFFF components
    ExifIfdOutOfRange, // the Exif sub-IFD pointer far beyond the block (IFD0 stays sound)
    TruncatedBlock,    // the EXIF block cut to its first 40 TIFF bytes, segment length fixed up
    TruncatedFile,     // the file cut in the middle of the EXIF segment
};

// The photo with its EXIF APP1 segment damaged; empty when the photo has no EXIF segment.
QByteArray DamageExif(const QByteArray& jpeg, ExifDamage damage);

// Byte offset just past the last segment before the scan (SOS): the header part of the photo.
qsizetype JpegHeaderLength(const QByteArray& jpeg);
