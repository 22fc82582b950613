#include "NarrowText.h"

#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

bool IsStrictUtf8(const QByteArray& bytes)
{
    // Plain ASCII, as most file names are, is UTF-8 as it stands.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// Strict CP932 decode through iconv; false when any byte sequence is not CP932.
bool DecodeCp932(const QByteArray& bytes, QString* out)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray utf8(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* outPtr = utf8.data();
    size_t outLeft = size_t(utf8.size());
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1) || inLeft != 0)
        return false;
    utf8.truncate(utf8.size() - qsizetype(outLeft));
    if (out)
        *out = QString::fromUtf8(utf8);
    return true;
}

bool IsCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

NameEncoding DetectEncoding(const QByteArray& bytes)
{
    if (IsStrictUtf8(bytes))
        return NameEncoding::Utf8;
    if (DecodeCp932(bytes, nullptr))
        return NameEncoding::Cp932;
    return NameEncoding::Unknown;
}

QString DisplayText(const QByteArray& bytes)
{
    if (IsStrictUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString text;
    if (DecodeCp932(bytes, &text))
        return text;
    return QString::fromUtf8(bytes); // replacement characters where the bytes are not UTF-8
}

QByteArray NarrowFromTyped(const QString& text)
{
    return text.toUtf8();
}

qsizetype LastCharIndex(const QByteArray& name, const char* chars)
{
    // In UTF-8 (and in bytes of no known encoding) an ASCII byte is always a whole character.
    // In CP932 a lead byte takes the next byte with it, whatever that byte is.
    const bool cp932 = DetectEncoding(name) == NameEncoding::Cp932;
    qsizetype found = -1;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (cp932 && IsCp932LeadByte(c)) {
            ++i;
            continue;
        }
        if (c != 0 && c < 0x80 && std::strchr(chars, char(c)))
            found = i;
    }
    return found;
}

QByteArray UpperAsciiLetters(const QByteArray& text)
{
    const bool cp932 = DetectEncoding(text) == NameEncoding::Cp932;
    QByteArray out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (cp932 && IsCp932LeadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z')
            out[i] = char(c - 'a' + 'A');
    }
    return out;
}
