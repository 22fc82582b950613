#pragma once
// File names are bytes, exactly as the file system stores them. They are decoded only for the
// screen (UTF-8, else CP932, else UTF-8 with replacement characters), and the rules that look at a
// name's characters walk the characters of the encoding the name decodes in, so that the second
// byte of a CP932 character is never taken for '.', '\' or ':'.

#include <QByteArray>
#include <QString>

enum class NameEncoding { Utf8, Cp932, Unknown };

// Which encoding a name's bytes decode in: strict UTF-8 first, then strict CP932.
NameEncoding DetectEncoding(const QByteArray& bytes);

// The name as the user should read it.
QString DisplayText(const QByteArray& bytes);

// Text the user typed, as the bytes of a file name.
QByteArray NarrowFromTyped(const QString& text);

// Byte offset of the last character of the name that is one of `chars` (all ASCII), or -1.
qsizetype LastCharIndex(const QByteArray& name, const char* chars);

// Letters a-z turned into A-Z; every other character, and every byte of a double-byte
// character, unchanged.
QByteArray UpperAsciiLetters(const QByteArray& text);
