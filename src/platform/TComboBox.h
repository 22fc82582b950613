#pragma once
// The drop-down list: a QComboBox that holds file names as bytes and raises its change event the
// way the program expects of a drop-down list.
//  - Setting the index from code (SetItemIndex) never raises OnChange; setting the index it
//    already has does nothing; an index outside 0..Items()-1 leaves no selection (-1).
//  - OnChange is raised only when the user has moved the selection (mouse or keyboard), after it
//    has moved. Qt reports a user's choice by `activated`, which it also emits when the user picks
//    in the popup the item that is already selected; such a pick moved nothing and raises nothing.
//  - Adding items never selects one (Qt would select the first item added to an empty box).
//  - Item access is bounds-checked and raises Exception, never undefined behaviour.

#include <QByteArray>
#include <QComboBox>
#include <QList>
#include <functional>

class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);

    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index);

    int Items() const { return count(); }
    void AddItem(const QByteArray& bytes); // shown as DisplayText(bytes)
    // The same for many names at once (one insertion into the model: fast for large folders).
    void AddItems(const QList<QByteArray>& names);
    QByteArray ItemBytes(int index) const; // raises Exception when out of range
    void ClearItems();

    // Raised after a user's change of the selection.
    std::function<void()> OnChange;
    // Runs each event handler: the owner sets one that catches and reports what the handler
    // raises, so that nothing is thrown through Qt. Unset, the handler is called directly.
    std::function<void(const std::function<void()>&)> EventGuard;

private:
    void UserActivated(int index);

    bool changingFromCode_ = false;
    bool movedByUser_ = false; // the selection moved since the last user choice, not by our code
};
