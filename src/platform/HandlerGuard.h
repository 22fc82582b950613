#pragma once
// Every event handler of the window is entered through one guard: what the handler raises ends
// the handler and is shown in the default error report, and never crosses a Qt frame. A handler
// may also queue a report to be shown once it has returned (a refresh that carried on past a
// photo it could not load, for one).

#include <QString>
#include <QStringList>
#include <QObject>
#include <functional>
#include <memory>

// The report's text: the message, with "." appended when it is not empty and its last character
// orders after ".".
QString DefaultReportText(const QString& message);

class HandlerGuard {
public:
    explicit HandlerGuard(std::function<void(const QString& reportText)> showReport);

    // Runs one handler; reports what it raised, then what it queued.
    void Run(const std::function<void()>& handler) noexcept;

    // Shows the report after the running handler has returned; outside any handler, from the
    // event loop as soon as it is free. The same text queued twice by one handler shows once.
    void QueueReport(const QString& message);

private:
    void Show(const QString& message) noexcept;

    std::function<void(const QString&)> showReport_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>(); // ends pending reports with the guard
    int depth_ = 0;
    QStringList queued_;
};
