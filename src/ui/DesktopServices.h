#pragma once
// The real services: Qt's dialogs, the file-system shell object, the screen, the file system.

#include "platform/Services.h"

class DesktopServices : public Services {
public:
    std::optional<QByteArray> BrowseForFolder(QWidget* owner, const QString& prompt) override;
    void ShowMessage(QWidget* owner, const QString& text) override;
    void ShowErrorReport(QWidget* owner, const QString& text) override;
    std::unique_ptr<TShellApplication> CreateShell() override;
    int ScreenDepth() override;
    bool DirectoryExists(const QByteArray& path) override;
    bool FileExists(const QByteArray& path) override;
    MoveOutcome MoveFileNoReplace(const QByteArray& from, const QByteArray& to) override;
};
