#include "MetadataFixtures.h"

#include <QDebug>
#include <exiv2/exiv2.hpp>

namespace {

QByteArray Utf16(const QString& text, bool terminate, bool bigEndian = false)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        bytes.append(bigEndian ? hi : lo);
        bytes.append(bigEndian ? lo : hi);
    }
    if (terminate)
        bytes.append("\0\0", 2);
    return bytes;
}

void AddBytes(Exiv2::ExifData& exif, const char* key, Exiv2::TypeId type, const QByteArray& bytes)
{
    Exiv2::DataValue value(type);
    value.read(reinterpret_cast<const Exiv2::byte*>(bytes.constData()), long(bytes.size()), Exiv2::littleEndian);
    exif.add(Exiv2::ExifKey(key), &value);
}

void AddAscii(Exiv2::ExifData& exif, const char* key, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    Exiv2::AsciiValue value(bytes.toStdString());
    exif.add(Exiv2::ExifKey(key), &value);
}

void AddXp(Exiv2::ExifData& exif, const char* key, const QString& text)
{
    if (!text.isEmpty())
        AddBytes(exif, key, Exiv2::unsignedByte, Utf16(text, true));
}

void AddLangAlt(Exiv2::XmpData& xmp, const char* key, const QString& text)
{
    if (text.isEmpty())
        return;
    Exiv2::LangAltValue value;
    value.read("lang=x-default " + text.toStdString());
    xmp.add(Exiv2::XmpKey(key), &value);
}

void AddArray(Exiv2::XmpData& xmp, const char* key, Exiv2::TypeId type, const QStringList& items)
{
    if (items.isEmpty())
        return;
    Exiv2::XmpArrayValue value(type);
    for (const QString& item : items)
        value.read(item.toStdString());
    xmp.add(Exiv2::XmpKey(key), &value);
}

// The TIFF structure inside an EXIF block, in its own byte order.
struct Tiff {
    QByteArray* bytes;
    qsizetype base;
    bool little;
    quint32 Get16(qsizetype at) const
    {
        const auto b0 = uchar((*bytes)[base + at]), b1 = uchar((*bytes)[base + at + 1]);
        return little ? (b0 | b1 << 8) : (b1 | b0 << 8);
    }
    quint32 Get32(qsizetype at) const
    {
        return little ? (Get16(at) | Get16(at + 2) << 16) : (Get16(at) << 16 | Get16(at + 2));
    }
    void Put32(qsizetype at, quint32 v) const
    {
        for (int i = 0; i < 4; ++i) {
            const int shift = little ? 8 * i : 8 * (3 - i);
            (*bytes)[base + at + i] = char((v >> shift) & 0xFF);
        }
    }
};

// Finds the EXIF APP1 segment: offset of its marker and of its end.
bool FindExifSegment(const QByteArray& jpeg, qsizetype* start, qsizetype* end)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const uchar marker = uchar(jpeg[pos + 1]);
        if (marker == 0xDA || marker == 0xD9)
            return false;
        const qsizetype length = uchar(jpeg[pos + 2]) << 8 | uchar(jpeg[pos + 3]);
        if (marker == 0xE1 && jpeg.mid(pos + 4, 6) == QByteArray("Exif\0\0", 6)) {
            *start = pos;
            *end = pos + 2 + length;
            return *end <= jpeg.size();
        }
        pos += 2 + length;
    }
    return false;
}

} // namespace

QByteArray UnicodeUserComment(const QString& text, bool bigEndian)
{
    return QByteArray("UNICODE\0", 8) + Utf16(text, false, bigEndian);
}

QByteArray UndefinedUserComment(const QByteArray& text)
{
    return QByteArray(8, '\0') + text;
}

QByteArray AsciiUserComment(const QByteArray& text)
{
    return QByteArray("ASCII\0\0\0", 8) + text;
}

QByteArray AddMetadata(const QByteArray& jpeg, const PhotoMetadata& m)
{
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(jpeg.constData()), long(jpeg.size()));
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        AddXp(exif, "Exif.Image.XPAuthor", m.xpAuthor);
        AddXp(exif, "Exif.Image.XPTitle", m.xpTitle);
        AddXp(exif, "Exif.Image.XPSubject", m.xpSubject);
        AddXp(exif, "Exif.Image.XPKeywords", m.xpKeywords);
        AddXp(exif, "Exif.Image.XPComment", m.xpComment);
        AddAscii(exif, "Exif.Image.Artist", m.artist);
        AddAscii(exif, "Exif.Image.ImageDescription", m.imageDescription);
        AddAscii(exif, "Exif.Image.Model", m.model);
        AddAscii(exif, "Exif.Photo.DateTimeOriginal", m.dateTimeOriginal);
        AddAscii(exif, "Exif.Photo.DateTimeDigitized", m.dateTimeDigitized);
        if (!m.userComment.isEmpty())
            AddBytes(exif, "Exif.Photo.UserComment", Exiv2::undefined, m.userComment);
        Exiv2::XmpData& xmp = image->xmpData();
        AddArray(xmp, "Xmp.dc.creator", Exiv2::xmpSeq, m.xmpCreator);
        AddLangAlt(xmp, "Xmp.dc.title", m.xmpTitle);
        AddLangAlt(xmp, "Xmp.dc.description", m.xmpDescription);
        AddArray(xmp, "Xmp.dc.subject", Exiv2::xmpBag, m.xmpSubject);
        AddLangAlt(xmp, "Xmp.exif.UserComment", m.xmpUserComment);
        if (!m.jpegComment.isEmpty())
            image->setComment(m.jpegComment.toStdString());
        if (m.bigEndian)
            image->setByteOrder(Exiv2::bigEndian);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf buf = io.read(long(io.size()));
        return QByteArray(reinterpret_cast<const char*>(buf.pData_), qsizetype(buf.size_));
    } catch (const std::exception& e) {
        qWarning() << "AddMetadata:" << e.what();
        return {};
    }
}

QByteArray DamageExif(const QByteArray& jpeg, ExifDamage damage)
{
    qsizetype start = 0, end = 0;
    if (!FindExifSegment(jpeg, &start, &end))
        return {};
    QByteArray out = jpeg;
    const qsizetype base = start + 10; // marker, length, "Exif\0\0"
    Tiff tiff{&out, base, out.mid(base, 2) == "II"};
    const quint32 ifd0 = tiff.Get32(4);
    const quint32 entries = tiff.Get16(ifd0);
    switch (damage) {
    case ExifDamage::BrokenHeader:
        out[base] = 'X';
        out[base + 1] = 'X';
        break;
    case ExifDamage::Ifd0OutOfRange:
        tiff.Put32(4, 0xFFFFFF00u);
        break;
    case ExifDamage::HugeCounts:
        for (quint32 i = 0; i < entries; ++i)
            tiff.Put32(ifd0 + 2 + 12 * i + 4, 0x3FFFFFFFu);
        break;
    case ExifDamage::ExifIfdOutOfRange: {
        bool found = false;
        for (quint32 i = 0; i < entries; ++i) {
            const qsizetype entry = ifd0 + 2 + 12 * i;
            if (tiff.Get16(entry) == 0x8769) {
                tiff.Put32(entry + 8, 0xFFFFFF00u);
                found = true;
            }
        }
        if (!found)
            return {};
        break;
    }
    case ExifDamage::TruncatedBlock: {
        const qsizetype keep = 40;
        const qsizetype length = 2 + 6 + keep;
        QByteArray segment = out.mid(start, 10 + keep);
        segment[2] = char(length >> 8);
        segment[3] = char(length & 0xFF);
        out = out.left(start) + segment + out.mid(end);
        break;
    }
    case ExifDamage::TruncatedFile:
        out.truncate(base + (end - base) / 2);
        break;
    }
    return out;
}

qsizetype JpegHeaderLength(const QByteArray& jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        if (uchar(jpeg[pos + 1]) == 0xDA)
            return pos;
        pos += 2 + (uchar(jpeg[pos + 2]) << 8 | uchar(jpeg[pos + 3]));
    }
    return -1;
}
