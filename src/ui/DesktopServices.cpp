#include "DesktopServices.h"

#include "Texts.h"
#include "platform/FileSystem.h"
#include "shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace {

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromUtf8(kAppTitle), QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::Ok, owner);
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        box.move(screen->geometry().center() - box.rect().center());
    box.exec();
}

} // namespace

std::optional<QByteArray> DesktopServices::BrowseForFolder(QWidget* owner, const QString& prompt)
{
    const QString path = QFileDialog::getExistingDirectory(owner, prompt, QDir::homePath(),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (path.isEmpty())
        return std::nullopt;
    return QFile::encodeName(path);
}

void DesktopServices::ShowMessage(QWidget* owner, const QString& text)
{
    ShowBox(owner, QMessageBox::NoIcon, text);
}

void DesktopServices::ShowErrorReport(QWidget* owner, const QString& text)
{
    ShowBox(owner, QMessageBox::Critical, text);
}

std::unique_ptr<TShellApplication> DesktopServices::CreateShell()
{
    return std::make_unique<TShellApplication>();
}

int DesktopServices::ScreenDepth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

bool DesktopServices::DirectoryExists(const QByteArray& path)
{
    return ::DirectoryExists(path);
}

bool DesktopServices::FileExists(const QByteArray& path)
{
    return ::FileExists(path);
}

MoveOutcome DesktopServices::MoveFileNoReplace(const QByteArray& from, const QByteArray& to)
{
    const auto result = ::MoveFileNoReplace(from, to);
    return {result.succeeded, result.reason};
}
