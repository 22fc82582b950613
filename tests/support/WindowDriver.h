#pragma once
// Drives the real window as a user would, with fake services.

#include "FakeServices.h"
#include "ui/UMainMenu.h"

#include <QApplication>
#include <QtTest>
#include <memory>

// The program's application set-up, then the test class; for the window-level test binaries.
#define PORTEO_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        InitialiseForTests(app);                                                                   \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

void InitialiseForTests(QApplication& app);

struct WindowDriver {
    FakeServices services;
    std::unique_ptr<TFMainMenu> window;

    WindowDriver();
    // Chooses "フォルダ選択(&O)" with the picker answering `path` (nothing: cancel).
    void Open(const std::optional<QByteArray>& path);
    // Presses a key as the keyboard would: the window sees it first, then the focused control.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // What a pick of `row` in the list's popup does, without the popup: the list moves, then
    // reports the choice (PickInList in ListPick.h goes through the real popup).
    void ChooseInList(int row);
    // One slideshow tick, as the timer gives it (through its connection and the handler guard).
    void Tick();
    QStringList ListNames() const;   // the opening names as shown
    QString PositionText() const;    // the status bar's text
    QString Caption() const;
};
