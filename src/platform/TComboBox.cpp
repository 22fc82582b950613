#include "TComboBox.h"

#include "NarrowText.h"
#include "TStringList.h"

#include <QStandardItemModel>
#include <QVariant>

namespace {

// Marks a change made by our own code, so that the selection it moves is not taken for the user's.
class CodeChange {
public:
    explicit CodeChange(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~CodeChange() { flag_ = was_; }

private:
    bool& flag_;
    bool was_;
};

} // namespace

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    // Qt moves the selection first (currentIndexChanged) and then reports the choice (activated);
    // a choice that moved nothing comes without the first.
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!changingFromCode_)
            movedByUser_ = true;
    });
    connect(this, &QComboBox::activated, this, &TComboBox::UserActivated);
}

void TComboBox::SetItemIndex(int index)
{
    if (index < 0 || index >= count())
        index = -1;
    movedByUser_ = false;
    if (index == currentIndex())
        return;
    CodeChange change(changingFromCode_);
    setCurrentIndex(index);
}

void TComboBox::AddItem(const QByteArray& bytes)
{
    CodeChange change(changingFromCode_);
    const int before = currentIndex();
    addItem(DisplayText(bytes), QVariant(bytes));
    if (currentIndex() != before)
        setCurrentIndex(before);
}

void TComboBox::AddItems(const QList<QByteArray>& names)
{
    auto* items = qobject_cast<QStandardItemModel*>(model());
    if (!items) {
        for (const QByteArray& name : names)
            AddItem(name);
        return;
    }
    if (names.isEmpty())
        return;
    // The rows as QComboBox::addItem makes them: the text, and the bytes as the item's data.
    QList<QStandardItem*> rows;
    rows.reserve(names.size());
    for (const QByteArray& name : names) {
        auto* row = new QStandardItem(DisplayText(name));
        row->setData(QVariant(name), Qt::UserRole);
        rows.append(row);
    }
    CodeChange change(changingFromCode_);
    const int before = currentIndex();
    items->invisibleRootItem()->appendRows(rows);
    if (currentIndex() != before)
        setCurrentIndex(before);
}

QByteArray TComboBox::ItemBytes(int index) const
{
    if (index < 0 || index >= count())
        throw ListIndexError(index);
    return itemData(index).toByteArray();
}

void TComboBox::ClearItems()
{
    CodeChange change(changingFromCode_);
    clear();
    movedByUser_ = false;
}

void TComboBox::UserActivated(int)
{
    if (!movedByUser_)
        return;
    movedByUser_ = false;
    const std::function<void()> handler = OnChange; // the handler may replace OnChange
    if (!handler)
        return;
    if (EventGuard)
        EventGuard(handler);
    else
        handler();
}
