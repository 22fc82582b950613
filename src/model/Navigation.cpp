// Moving the selection: every move becomes a proposal to the up-down's change check.

#include "platform/TComboBox.h"
#include "ui/UMainMenu.h"

void TFMainMenu::UpDown1ChangingEx(QObject*, bool& allowChange, qint16 newValue, TUpDownDirection)
{
    const int n = ComboBox1->count();
    if (newValue > n - 1 || newValue < 0) {
        allowChange = false;
        return;
    }
    ComboBox1->SetItemIndex(newValue);
    ShowCurrentPhoto();
    WritePositionText();
}

void TFMainMenu::MirrorSelection()
{
    UpDown1->SetPosition(ComboBox1->ItemIndex());
}

void TFMainMenu::ComboBox1Change(QObject*)
{
    MirrorSelection();
}

void TFMainMenu::SelectPrevious()
{
    if (ComboBox1->ItemIndex() == 0)
        return;
    ComboBox1->SetItemIndex(ComboBox1->ItemIndex() - 1);
    MirrorSelection();
}

void TFMainMenu::SelectNext()
{
    if (ComboBox1->ItemIndex() >= ComboBox1->count() - 1)
        return;
    ComboBox1->SetItemIndex(ComboBox1->ItemIndex() + 1);
    MirrorSelection();
}

void TFMainMenu::SelectNextOrFirst()
{
    if (ComboBox1->ItemIndex() < ComboBox1->count() - 1)
        ComboBox1->SetItemIndex(ComboBox1->ItemIndex() + 1);
    else
        ComboBox1->SetItemIndex(0);
    MirrorSelection();
}
