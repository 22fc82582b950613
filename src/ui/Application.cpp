#include "Application.h"

#include "Texts.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

void InitialiseApplication(QApplication& app)
{
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    // So that desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.porteo.Porteo"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // The window names the fonts of the Japanese desktop; here the IPA fonts stand in for them,
    // the fixed-pitch one drawing a double-width glyph in exactly two cells.
    QFont::insertSubstitution(QString::fromUtf8(kProportionalFont), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QString::fromUtf8(kFixedPitchFont), QStringLiteral("IPAGothic"));
    QFont font(QString::fromUtf8(kProportionalFont));
    font.setPixelSize(12);
    QApplication::setFont(font);

    // clBtnFace for the window's face.
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    palette.setColor(QPalette::Button, QColor(0xF0, 0xF0, 0xF0));
    QApplication::setPalette(palette);
    // Qt's own dialogs (the folder picker, the message boxes' buttons) in Japanese too.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    app.setQuitOnLastWindowClosed(true);
}
