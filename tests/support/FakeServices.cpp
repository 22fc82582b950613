#include "FakeServices.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"

std::optional<QByteArray> FakeServices::BrowseForFolder(QWidget*, const QString& prompt)
{
    pickerPrompts << prompt;
    if (pickerAnswers.empty())
        return std::nullopt;
    auto answer = pickerAnswers.front();
    pickerAnswers.pop_front();
    return answer;
}

void FakeServices::ShowMessage(QWidget*, const QString& text)
{
    messages << text;
}

void FakeServices::ShowErrorReport(QWidget*, const QString& text)
{
    errorReports << text;
}

std::unique_ptr<TShellApplication> FakeServices::CreateShell()
{
    ++shellsCreated;
    return shellFactory ? shellFactory() : std::make_unique<TShellApplication>();
}

int FakeServices::ScreenDepth()
{
    return screenDepth;
}

bool FakeServices::DirectoryExists(const QByteArray& path)
{
    return ::DirectoryExists(path);
}

bool FakeServices::FileExists(const QByteArray& path)
{
    return fileExistsOverride ? fileExistsOverride(path) : ::FileExists(path);
}

MoveOutcome FakeServices::MoveFileNoReplace(const QByteArray& from, const QByteArray& to)
{
    const auto result = ::MoveFileNoReplace(from, to);
    return {result.succeeded, result.reason};
}

namespace {

class FailingItems : public TFolderItems {
public:
    FailingItems(const TFolderItems& real, int failAt) : TFolderItems(real), failAt_(failAt) {}
    TFolderItem Item(int index) const override
    {
        if (index >= failAt_)
            throw Exception(QStringLiteral("項目を読めません"));
        return TFolderItems::Item(index);
    }

private:
    int failAt_;
};

class FailingFolder : public TShellFolder {
public:
    FailingFolder(QByteArray path, int failAt) : TShellFolder(std::move(path)), failAt_(failAt) {}
    std::shared_ptr<TFolderItems> Items() override
    {
        return std::make_shared<FailingItems>(*TShellFolder::Items(), failAt_);
    }

private:
    int failAt_;
};

class FailingShell : public TShellApplication {
public:
    explicit FailingShell(int failAt) : failAt_(failAt) {}
    std::unique_ptr<TShellFolder> NameSpace(const QByteArray& path) override
    {
        if (failAt_ < 0)
            throw Exception(QStringLiteral("シェルを作成できません"));
        TShellApplication::NameSpace(path); // the real checks first
        return std::make_unique<FailingFolder>(path, failAt_);
    }

private:
    int failAt_;
};

} // namespace

std::unique_ptr<TShellApplication> MakeShellFailingAtItem(int failAt)
{
    return std::make_unique<FailingShell>(failAt);
}

std::unique_ptr<TShellApplication> MakeShellFailingNameSpace()
{
    return std::make_unique<FailingShell>(-1);
}
