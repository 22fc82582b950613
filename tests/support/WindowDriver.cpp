#include "WindowDriver.h"

#include "platform/Controls.h"
#include "platform/TComboBox.h"
#include "ui/Application.h"

#include <QAction>

void InitialiseForTests(QApplication& app)
{
    InitialiseApplication(app);
}

WindowDriver::WindowDriver() : window(std::make_unique<TFMainMenu>(services))
{
    FMainMenu = window.get();
    window->show();
}

void WindowDriver::Open(const std::optional<QByteArray>& path)
{
    services.pickerAnswers.push_back(path);
    window->mOpen1->trigger();
}

void WindowDriver::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    // Through the window's platform window, as a real key arrives: the window previews it, then
    // the focused widget gets it.
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

void WindowDriver::ChooseInList(int row)
{
    window->ComboBox1->setCurrentIndex(row);
    emit window->ComboBox1->activated(row);
}

void WindowDriver::Tick()
{
    QVERIFY(QMetaObject::invokeMethod(window->Timer1, "timeout", Qt::DirectConnection));
}

QStringList WindowDriver::ListNames() const
{
    QStringList names;
    for (int i = 0; i < window->ComboBox1->count(); ++i)
        names << window->ComboBox1->itemText(i);
    return names;
}

QString WindowDriver::PositionText() const
{
    return window->StatusBar1->SimpleText();
}

QString WindowDriver::Caption() const
{
    return window->windowTitle();
}
