#include "TUpDown.h"

#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

namespace {

QToolButton* ArrowButton(QWidget* parent, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    // No auto-repeat: each step refreshes the photos, and a report shown while the button is held
    // would leave it repeating.
    button->setAutoRepeat(false);
    return button;
}

} // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), left_(ArrowButton(this, Qt::LeftArrow)), right_(ArrowButton(this, Qt::RightArrow))
{
    setFocusPolicy(Qt::NoFocus);
    connect(left_, &QToolButton::clicked, this, [this] { Clicked(TUpDownDirection::Down); });
    connect(right_, &QToolButton::clicked, this, [this] { Clicked(TUpDownDirection::Up); });
    resize(sizeHint());
}

bool TUpDown::AllowChange(qint16 newValue, TUpDownDirection direction)
{
    bool allow = true;
    if (OnChangingEx) {
        const auto handler = OnChangingEx; // the handler may replace OnChangingEx
        handler(allow, newValue, direction);
    }
    return allow;
}

void TUpDown::SetPosition(int value)
{
    const auto newValue = static_cast<qint16>(value);
    if (newValue == position_)
        return;
    if (!AllowChange(newValue, TUpDownDirection::None))
        return;
    position_ = newValue;
    shown_ = std::clamp(int(newValue), Min(), Max());
}

void TUpDown::SetPositionDirect(qint16 value)
{
    position_ = value;
    shown_ = std::clamp(int(value), Min(), Max());
}

void TUpDown::ClickArrow(TUpDownDirection direction)
{
    if (direction == TUpDownDirection::None)
        return;
    const int proposed = shown_ + (direction == TUpDownDirection::Up ? Increment() : -Increment());
    if (!AllowChange(static_cast<qint16>(proposed), direction))
        return;
    // An accepted proposal is held as an assignment of it would be, also beyond the range (101,
    // accepted in a folder of more than 101 items): the position held must stay the selection's
    // mirror, or a later move of the selection onto the stale value would refresh nothing.
    position_ = static_cast<qint16>(proposed);
    shown_ = std::clamp(proposed, Min(), Max());
}

void TUpDown::Clicked(TUpDownDirection direction)
{
    if (EventGuard)
        EventGuard([this, direction] { ClickArrow(direction); });
    else
        ClickArrow(direction);
}

void TUpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    left_->setGeometry(0, 0, w / 2, h);
    right_->setGeometry(w / 2, 0, w - w / 2, h);
}
