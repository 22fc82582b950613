#pragma once
// The up-down control: two arrow buttons side by side (left decreases, right increases) over a
// position the program mirrors its selection into.
//  - The position held is a signed 16-bit value; the position shown is the held one limited to
//    Min..Max (0..100). The arrows step from the shown position.
//  - Every change but the direct set raises OnChangingEx first, which may refuse it.
//  - Settings: Min 0, Max 100, Increment 1, no wrap, horizontal; no tab stop.

#include <QWidget>
#include <functional>

class QToolButton;

enum class TUpDownDirection { None, Up, Down };

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return 0; }
    int Max() const { return 100; }
    int Increment() const { return 1; }
    bool Wrap() const { return false; }

    qint16 Position() const { return position_; }
    int ShownPosition() const { return shown_; }

    // Assignment from code. The value is reduced to 16 bits as a cast to qint16 does. Equal to the
    // position held: nothing happens. Otherwise OnChangingEx(allow, value, None) is raised; only
    // when it leaves `allow` true does the position become the value (shown: limited to Min..Max).
    // What the handler raises leaves both as they were and reaches the caller.
    void SetPosition(int value);

    // Sets the position held and shown, raising nothing.
    void SetPositionDirect(qint16 value);

    // A click on an arrow (Up: the right one, Down: the left one). OnChangingEx is raised with the
    // shown position plus or minus one before anything moves; when allowed, the control holds it
    // and shows it limited to Min..Max, as an assignment would. Refused, nothing moves.
    void ClickArrow(TUpDownDirection direction);

    QToolButton* LeftButton() const { return left_; }
    QToolButton* RightButton() const { return right_; }

    QSize sizeHint() const override { return QSize(39, 20); }

    // The changing event: `allowChange` is true on entry; the handler sets it false to refuse.
    std::function<void(bool& allowChange, qint16 newValue, TUpDownDirection direction)> OnChangingEx;
    // Runs the handlers of mouse clicks: the owner sets one that catches and reports what they
    // raise, so that nothing is thrown through Qt. Unset, the click is handled directly.
    std::function<void(const std::function<void()>&)> EventGuard;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool AllowChange(qint16 newValue, TUpDownDirection direction);
    void Clicked(TUpDownDirection direction);

    qint16 position_ = 0;
    int shown_ = 0;
    QToolButton* left_;
    QToolButton* right_;
};
