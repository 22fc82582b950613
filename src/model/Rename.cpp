// Renaming the selected file to the typed base name with its extension, upper-cased.

#include "model/RenameRules.h"
#include "platform/NarrowText.h"
#include "platform/Services.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"
#include "ui/UMainMenu.h"

#include <QLineEdit>

void TFMainMenu::BitBtn1Click(QObject*)
{
    const int selection = ComboBox1->ItemIndex();
    // Nothing to rename without items, or after a listing that ended before a selection was made.
    if (ComboBox1->count() == 0 || selection < 0)
        return;
    const QByteArray typed = NarrowFromTyped(Edit2->text());
    // A "/" would move the file out of the folder.
    if (HoldsPathSeparator(typed)) {
        services_.ShowMessage(this, QStringLiteral("ファイル名に使えない文字が含まれています。"));
        return;
    }
    const QByteArray newName = NewFileName(typed, ComboBox1->ItemBytes(selection));
    const QByteArray target = JoinFolderPath(FolderPath, newName);
    // The name of another item of the list is taken too, also when its file has gone from the
    // folder behind the program's back: two items naming one file, a later rename of the one would
    // move the other's file. (A folder at the target is no duplicate: the move refuses it.)
    bool taken = services_.FileExists(target);
    if (!taken && !services_.DirectoryExists(target))
        for (int i = 0; !taken && i < CurrentNames->Count(); ++i)
            taken = i != selection && CurrentNames->Strings(i) == newName;
    if (taken) {
        services_.ShowMessage(this, QStringLiteral("ファイル名が重複しています。"));
        return;
    }
    if (typed.isEmpty()) {
        services_.ShowMessage(this, QStringLiteral("名前が空白です。"));
        return;
    }
    const QByteArray source = JoinFolderPath(FolderPath, CurrentNames->Strings(selection));
    const MoveOutcome outcome = services_.MoveFileNoReplace(source, target);
    if (!outcome.moved) {
        // The file stays where it was, so its current name stays too.
        services_.ShowMessage(this, QStringLiteral("ファイル名を変更できませんでした。\n") + outcome.reason);
        return;
    }
    Edit1->setText(Edit2->text());
    Edit2->clear();
    CurrentNames->SetStrings(selection, newName);
}
