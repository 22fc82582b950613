#pragma once
// The services the window reaches outside itself: the folder picker, the plain message box, the
// default error report, the shell object, the screen's colour depth and the file system. The
// program hands in the real ones; tests hand in fakes that answer from a script and record what
// was shown, so no test ever opens a modal dialog.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QWidget;
class TShellApplication;

struct MoveOutcome {
    bool moved = false;
    QString reason; // the system's reason when the move failed
};

class Services {
public:
    virtual ~Services() = default;

    // The folder picker: a chosen folder's path, or nothing when the user cancelled.
    virtual std::optional<QByteArray> BrowseForFolder(QWidget* owner, const QString& prompt) = 0;
    // A plain modal message: the application title as caption, no icon, one "OK" button.
    virtual void ShowMessage(QWidget* owner, const QString& text) = 0;
    // The default error report, its text already formed (see DefaultReportText).
    virtual void ShowErrorReport(QWidget* owner, const QString& text) = 0;
    // A fresh shell object.
    virtual std::unique_ptr<TShellApplication> CreateShell() = 0;
    // Bits per pixel of the screen, read at start.
    virtual int ScreenDepth() = 0;

    virtual bool DirectoryExists(const QByteArray& path) = 0;
    virtual bool FileExists(const QByteArray& path) = 0;
    // Moves a file within a folder; never replaces anything at the target.
    virtual MoveOutcome MoveFileNoReplace(const QByteArray& from, const QByteArray& to) = 0;
};
