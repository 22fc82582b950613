#pragma once
// The one window of the program. It owns every control, the folder model (FolderPath, the
// current names, and through ComboBox1 the opening names and the selection) and the slideshow
// timer. Its handlers are defined in the folder of the area they belong to: opening and
// navigation in src/model, the refresh and the details panel in src/display, the window, menus
// and keys in src/ui.

#include "platform/HandlerGuard.h"
#include "platform/TUpDown.h"

#include <QByteArray>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class Services;
class TComboBox;
class TFolderItem;
class TImage;
class TPanel;
class TStaticText;
class TStatusBar;
class TStringList;

class TFMainMenu : public QMainWindow {
    Q_OBJECT
public:
    explicit TFMainMenu(Services& services, QWidget* parent = nullptr);
    ~TFMainMenu() override;

    // The folder model.
    QByteArray FolderPath;
    std::unique_ptr<TStringList> CurrentNames;

    // Controls, by their design names.
    QWidget* Client = nullptr; // the client area below the menu bar, 746 x 666 at design
    TStatusBar* StatusBar1 = nullptr;
    TPanel* Panel2 = nullptr;
    TStaticText* StaticText3 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TUpDown* UpDown1 = nullptr;
    TStaticText* StaticText1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TStaticText* StaticText2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TPanel* Panel3 = nullptr;
    TPanel* pPhoto1 = nullptr;
    TImage* Image1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    TPanel* Panel1 = nullptr;
    TImage* Image2 = nullptr;
    TPanel* Panel4 = nullptr;
    TImage* Image3 = nullptr;
    QTimer* Timer1 = nullptr;

    // Menu.
    QMenu* File1 = nullptr;
    QAction* mOpen1 = nullptr;
    QAction* N1 = nullptr;
    QAction* mExit1 = nullptr;
    QMenu* Show1 = nullptr;
    QAction* S1 = nullptr;
    QAction* E1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* M1 = nullptr;
    QAction* N2 = nullptr;
    QAction* V1 = nullptr;

    // Event handlers (each entered through the handler guard when Qt raises it).
    void FormCreate(QObject* sender);
    void FormClose(QObject* sender);
    void FormKeyDown(QObject* sender, int key, Qt::KeyboardModifiers shift);
    void mOpen1Click(QObject* sender);
    void mExit1Click(QObject* sender);
    void S1Click(QObject* sender);
    void E1Click(QObject* sender);
    void M1Click(QObject* sender);
    void V1Click(QObject* sender);
    void ComboBox1Change(QObject* sender);
    // The change check. The up-down proposes 16-bit values; MirrorSelection proposes a selection
    // beyond what the up-down can hold by itself, so the proposal is an int.
    void UpDown1ChangingEx(QObject* sender, bool& allowChange, int newValue, TUpDownDirection direction);
    void BitBtn1Click(QObject* sender);
    void Timer1Timer(QObject* sender);

    // Navigation, for the keys and the slideshow.
    void MirrorSelection();
    void SelectPrevious();
    void SelectNext();
    void SelectNextOrFirst();

    // How many display refreshes have run (tests count them where "refreshes nothing" matters).
    int RefreshCount() const { return refreshCount_; }

    HandlerGuard& Guard() { return guard_; }
    Services& Svc() { return services_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void ListFolder();
    void ShowCurrentPhoto();
    void LoadFrame(TImage* box, const TFolderItem& item);
    void ShowDetails();
    void WritePositionText();
    void Guarded(const std::function<void()>& handler) { guard_.Run(handler); }

    Services& services_;
    HandlerGuard guard_;
    int refreshCount_ = 0;
    bool activatedOnce_ = false;
    // The up-down was put at its top for a selection beyond 32767 (see MirrorSelection).
    bool upDownHeldForBeyond_ = false;
};

// The window, once created (the program has one).
extern TFMainMenu* FMainMenu;
