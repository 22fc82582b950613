#pragma once
// Services that answer from a script and record what the window showed.

#include "platform/Services.h"
#include "shell/Shell.h"

#include <QStringList>
#include <deque>
#include <functional>

class FakeServices : public Services {
public:
    // Answers of the folder picker, one a call; an empty optional is a cancel. With none left
    // the picker cancels.
    std::deque<std::optional<QByteArray>> pickerAnswers;
    QStringList pickerPrompts;
    QStringList messages;     // plain message boxes, in order
    QStringList errorReports; // default error reports, in order
    int screenDepth = 24;
    int shellsCreated = 0;
    // Makes the shell object; the real one unless a test stands another in.
    std::function<std::unique_ptr<TShellApplication>()> shellFactory;
    // Replaces the file-existence test (a race in which the test answers "no").
    std::function<bool(const QByteArray&)> fileExistsOverride;

    std::optional<QByteArray> BrowseForFolder(QWidget* owner, const QString& prompt) override;
    void ShowMessage(QWidget* owner, const QString& text) override;
    void ShowErrorReport(QWidget* owner, const QString& text) override;
    std::unique_ptr<TShellApplication> CreateShell() override;
    int ScreenDepth() override;
    bool DirectoryExists(const QByteArray& path) override;
    bool FileExists(const QByteArray& path) override;
    MoveOutcome MoveFileNoReplace(const QByteArray& from, const QByteArray& to) override;
};

// A shell whose item collection raises at index `failAt` (0 fails before the first item).
std::unique_ptr<TShellApplication> MakeShellFailingAtItem(int failAt);
// A shell whose NameSpace raises.
std::unique_ptr<TShellApplication> MakeShellFailingNameSpace();
