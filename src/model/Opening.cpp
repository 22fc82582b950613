// Opening a folder and listing its items.

#include "model/PositionText.h"
#include "platform/Controls.h"
#include "platform/NarrowText.h"
#include "platform/Services.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"
#include "shell/Shell.h"
#include "ui/Texts.h"
#include "ui/UMainMenu.h"

void TFMainMenu::mOpen1Click(QObject*)
{
    const std::optional<QByteArray> chosen = services_.BrowseForFolder(this, QString::fromUtf8(kFolderPrompt));
    if (!chosen || !services_.DirectoryExists(*chosen))
        return;
    FolderPath = *chosen;
    ComboBox1->ClearItems();
    ListFolder();
    UpDown1->SetPositionDirect(0);
    if (ComboBox1->count() > 0)
        ShowCurrentPhoto();
    setWindowTitle(QString::fromUtf8(kAppTitle) + '[' + DisplayText(FolderPath) + ']');
}

void TFMainMenu::ListFolder()
{
    CurrentNames = std::make_unique<TStringList>();
    {
        // Every shell object of the listing is released when this scope ends, also on an error.
        std::unique_ptr<TShellApplication> shell = services_.CreateShell();
        std::unique_ptr<TShellFolder> folder = shell->NameSpace(FolderPath);
        std::shared_ptr<TFolderItems> items = folder->Items();
        const int n = items->Count();
        // The list box takes the names in one go at the end; the names read before an error
        // are listed all the same.
        QList<QByteArray> listed;
        listed.reserve(n);
        try {
            for (int i = 0; i < n; ++i) {
                const TFolderItem item = items->Item(i);
                CurrentNames->Add(item.Name());
                listed.append(item.Name());
            }
        } catch (...) {
            ComboBox1->AddItems(listed);
            throw;
        }
        ComboBox1->AddItems(listed);
    }
    ComboBox1->SetItemIndex(0);
    WritePositionText();
}

void TFMainMenu::WritePositionText()
{
    StatusBar1->SetSimpleText(PositionText(ComboBox1->ItemIndex(), ComboBox1->count()));
}
