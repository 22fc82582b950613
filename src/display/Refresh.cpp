// The display refresh for the selection: the name field, the three photo frames, the details.

#include "display/DetailLabels.h"
#include "display/FitFrame.h"
#include "display/NameRules.h"
#include "model/RenameRules.h"
#include "platform/Controls.h"
#include "platform/Exception.h"
#include "platform/NarrowText.h"
#include "platform/Services.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"
#include "platform/TStringList.h"
#include "shell/Shell.h"
#include "ui/UMainMenu.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

QString CannotOpenFile(const QByteArray& path)
{
    return QStringLiteral("ファイル %1 は開けません").arg(DisplayText(path));
}

} // namespace

void TFMainMenu::ShowCurrentPhoto()
{
    ++refreshCount_;
    const int selection = ComboBox1->ItemIndex();
    const int count = ComboBox1->count();
    {
        // One shell object serves the three lookups; it is released when this scope ends.
        std::unique_ptr<TShellApplication> shell = services_.CreateShell();
        std::unique_ptr<TShellFolder> folder = shell->NameSpace(FolderPath);
        std::shared_ptr<TFolderItems> items = folder->Items();
        const int n = items->Count();

        const QByteArray& wanted = CurrentNames->Strings(selection);
        const TFolderItem item = FindShellItem(*items, n, wanted);
        Edit1->setText(DisplayText(NameWithoutExtension(item.IsEmpty() ? wanted : item.Name())));
        repaint(); // at once, before any picture is loaded
        if (item.IsEmpty()) {
            // No other item stands in for one that is gone.
            Image1->Clear();
            guard_.QueueReport(CannotOpenFile(JoinFolderPath(FolderPath, wanted)));
        } else {
            LoadFrame(Image1, item);
        }

        if (selection - 1 < 0)
            Image2->Clear();
        else
            LoadFrame(Image2, FindShellItem(*items, n, CurrentNames->Strings(selection - 1)));

        if (selection + 1 >= count)
            Image3->Clear();
        else
            LoadFrame(Image3, FindShellItem(*items, n, CurrentNames->Strings(selection + 1)));
    }
    ShowDetails();
}

void TFMainMenu::LoadFrame(TImage* box, const TFolderItem& item)
{
    if (item.IsEmpty() || !IsJpegName(item.Name())) {
        box->Clear();
        return;
    }
    AnchorLayout* layout = AnchorLayout::Of(box->parentWidget());
    layout->SetAlign(box, TAlign::alClient);
    auto picture = std::make_unique<TJPEGImage>();
    try {
        picture->LoadFromFile(item.Path());
    } catch (const Exception& e) {
        // A photo that cannot be loaded empties its frame, so that no other photo stands there
        // stretched; the refresh goes on with the other frames and the details.
        box->Clear();
        layout->SetAlign(box, TAlign::alNone);
        guard_.QueueReport(e.Message());
        return;
    }
    box->SetPicture(std::move(picture));
    layout->SetAlign(box, TAlign::alNone);
    FitFrame(box);
}

void TFMainMenu::ShowDetails()
{
    Memo2->clear();
    std::unique_ptr<TShellApplication> shell = services_.CreateShell();
    std::unique_ptr<TShellFolder> folder = shell->NameSpace(FolderPath);
    std::shared_ptr<TFolderItems> items = folder->Items();
    if (ComboBox1->count() == 0)
        return;
    const int n = items->Count();
    const TFolderItem item = FindShellItem(*items, n, CurrentNames->Strings(ComboBox1->ItemIndex()));
    // An item no longer found under its name is not described by another item's details.
    if (item.IsEmpty())
        return;
    for (const DetailRow& row : DetailRows())
        Memo2->appendPlainText(QString::fromUtf8(row.label) + folder->GetDetailsOf(item, row.column));
}
