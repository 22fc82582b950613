#pragma once
// A list of names (bytes) whose every access is checked: an index outside the list raises the
// program's Exception, never reads or writes outside the list.

#include "Exception.h"

#include <QByteArray>
#include <QList>

// The text of an index outside a list, shared by every list the program holds.
inline Exception ListIndexError(qsizetype index)
{
    return Exception(QString::fromUtf8("リストのインデックスが範囲を超えています (%1)").arg(index));
}

class TStringList {
public:
    void Add(const QByteArray& value) { items_.append(value); }
    int Count() const { return int(items_.size()); }
    void Clear() { items_.clear(); }

    const QByteArray& Strings(int index) const
    {
        Check(index);
        return items_[index];
    }
    const QByteArray& operator[](int index) const { return Strings(index); }

    void SetStrings(int index, const QByteArray& value)
    {
        Check(index);
        items_[index] = value;
    }

private:
    void Check(int index) const
    {
        if (index < 0 || index >= items_.size())
            throw ListIndexError(index);
    }

    QList<QByteArray> items_;
};
