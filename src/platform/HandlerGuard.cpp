#include "HandlerGuard.h"

#include "Exception.h"

#include <QTimer>
#include <exception>

QString DefaultReportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + '.';
    return message;
}

HandlerGuard::HandlerGuard(std::function<void(const QString&)> showReport)
    : showReport_(std::move(showReport))
{
}

void HandlerGuard::Run(const std::function<void()>& handler) noexcept
{
    // A handler can run inside another one's modal loop (a tick while a message box is open):
    // each run shows its own reports when it returns.
    QStringList outer;
    outer.swap(queued_);
    ++depth_;
    try {
        handler();
    } catch (const Exception& e) {
        Show(e.Message());
    } catch (const std::exception& e) {
        Show(QString::fromUtf8(e.what()));
    } catch (...) {
        Show(QStringLiteral("不明なエラーが発生しました"));
    }
    --depth_;
    QStringList mine;
    mine.swap(queued_);
    queued_ = std::move(outer);
    for (const QString& message : mine)
        Show(message);
}

void HandlerGuard::QueueReport(const QString& message)
{
    if (depth_ > 0) {
        if (!queued_.contains(message))
            queued_ << message;
        return;
    }
    QTimer::singleShot(0, context_.get(), [this, message] { Show(message); });
}

void HandlerGuard::Show(const QString& message) noexcept
{
    try {
        showReport_(DefaultReportText(message));
    } catch (...) {
        // Showing the report failed: nothing more can be told.
    }
}
