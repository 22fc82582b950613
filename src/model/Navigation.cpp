// Moving the selection: every move becomes a proposal to the up-down's change check.
//
// Folders beyond 32767 items. The up-down holds a signed 16-bit position, so it can mirror the
// indexes 0..32767 only. For those, everything goes through the up-down as it always does: the
// assignment is compared with the position held and raises the change check only when it differs.
// A selection above 32767 cannot be held, so MirrorSelection runs the change check itself with the
// real index (which is why the check takes an int), and once the check has accepted, sets the
// up-down directly to its top (held 32767, shown 100, the nearest end, as for any index beyond
// 100), so that its left arrow steps down to 99 as it does from any index above 100. That held
// 32767 then stands for no index the up-down can hold: until the up-down mirrors a selection
// again, a selection of 32767 is proposed to the check directly too, since the up-down would take
// an assignment of 32767 for no change. So the display and the position text follow the selection
// for any item count.

#include "platform/TComboBox.h"
#include "ui/UMainMenu.h"

namespace {
constexpr int kUpDownTop = 32767; // the highest position the up-down can hold
}

void TFMainMenu::UpDown1ChangingEx(QObject*, bool& allowChange, int newValue, TUpDownDirection)
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
    const int selection = ComboBox1->ItemIndex();
    const bool heldStandsForBeyond = upDownHeldForBeyond_ && UpDown1->Position() == kUpDownTop;
    if (selection < kUpDownTop || (selection == kUpDownTop && !heldStandsForBeyond)) {
        UpDown1->SetPosition(selection);
        if (UpDown1->Position() == selection)
            upDownHeldForBeyond_ = false;
        return;
    }
    bool allowChange = true;
    UpDown1ChangingEx(UpDown1, allowChange, selection, TUpDownDirection::None);
    if (!allowChange)
        return;
    UpDown1->SetPositionDirect(kUpDownTop);
    upDownHeldForBeyond_ = selection > kUpDownTop;
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
