// The display refresh for the selection: the name field, the three photo frames, the details.

#include "display/DetailLabels.h"
#include "display/NameRules.h"
#include "platform/NarrowText.h"
#include "platform/Services.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"
#include "shell/Shell.h"
#include "ui/UMainMenu.h"

#include <QLineEdit>
#include <QPlainTextEdit>

void TFMainMenu::ShowCurrentPhoto()
{
    ++refreshCount_;
    const int selection = ComboBox1->ItemIndex();
    {
        std::unique_ptr<TShellApplication> shell = services_.CreateShell();
        std::unique_ptr<TShellFolder> folder = shell->NameSpace(FolderPath);
        std::shared_ptr<TFolderItems> items = folder->Items();
        const int n = items->Count();
        const TFolderItem item = FindShellItem(*items, n, CurrentNames->Strings(selection));
        Edit1->setText(DisplayText(NameWithoutExtension(item.IsEmpty() ? CurrentNames->Strings(selection) : item.Name())));
    }
    ShowDetails();
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
