#include "Controls.h"

#include <QEvent>
#include <QPainter>

namespace {
const char* const kLayoutProperty = "porteoAnchorLayout";
}

AnchorLayout::AnchorLayout(QWidget* parent, int clientMargin)
    : QObject(parent), parent_(parent), clientMargin_(clientMargin)
{
    parent_->setProperty(kLayoutProperty, QVariant::fromValue<QObject*>(this));
    parent_->installEventFilter(this);
}

AnchorLayout* AnchorLayout::Of(QWidget* parent)
{
    return qobject_cast<AnchorLayout*>(parent->property(kLayoutProperty).value<QObject*>());
}

void AnchorLayout::Place(QWidget* child, const QRect& design, TAlign align, TAnchors anchors)
{
    child->setGeometry(design);
    rules_.append({child, align, anchors, design, parent_->size()});
    Realign();
}

void AnchorLayout::SetAlign(QWidget* child, TAlign align)
{
    for (Rule& rule : rules_) {
        if (rule.child != child)
            continue;
        rule.align = align;
        if (align == TAlign::alNone) {
            rule.anchors = akLeft | akTop;
            rule.reference = child->geometry();
            rule.parentAtReference = parent_->size();
        }
        Realign();
        return;
    }
    rules_.append({child, align, akLeft | akTop, child->geometry(), parent_->size()});
    Realign();
}

TAlign AnchorLayout::Align(QWidget* child) const
{
    for (const Rule& rule : rules_)
        if (rule.child == child)
            return rule.align;
    return TAlign::alNone;
}

QRect AnchorLayout::ClientRect() const
{
    return parent_->rect().adjusted(clientMargin_, clientMargin_, -clientMargin_, -clientMargin_);
}

bool AnchorLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent_ && event->type() == QEvent::Resize)
        Realign();
    return QObject::eventFilter(watched, event);
}

void AnchorLayout::Realign()
{
    QRect free = ClientRect();
    const QSize size = parent_->size();
    for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alClient, TAlign::alNone}) {
        for (const Rule& rule : rules_) {
            if (!rule.child || rule.align != pass)
                continue;
            QRect r = rule.reference;
            switch (pass) {
            case TAlign::alTop:
                r = QRect(free.left(), free.top(), free.width(), r.height());
                free.setTop(r.bottom() + 1);
                break;
            case TAlign::alBottom:
                r = QRect(free.left(), free.bottom() + 1 - r.height(), free.width(), r.height());
                free.setBottom(r.top() - 1);
                break;
            case TAlign::alClient:
                r = free;
                break;
            case TAlign::alNone: {
                if (rule.anchors == (akLeft | akTop))
                    continue; // nothing to keep: it stays where it was put (a fitted picture box)
                const int dx = size.width() - rule.parentAtReference.width();
                const int dy = size.height() - rule.parentAtReference.height();
                if (rule.anchors & akRight) {
                    if (rule.anchors & akLeft)
                        r.setWidth(r.width() + dx);
                    else
                        r.moveLeft(r.left() + dx);
                }
                if (rule.anchors & akBottom) {
                    if (rule.anchors & akTop)
                        r.setHeight(r.height() + dy);
                    else
                        r.moveTop(r.top() + dy);
                }
                break;
            }
            }
            if (rule.child->geometry() != r)
                rule.child->setGeometry(r);
        }
    }
}

TPanel::TPanel(QWidget* parent, Bevel outer, Bevel inner)
    : QWidget(parent), outer_(outer), inner_(inner), layout_(nullptr)
{
    setAutoFillBackground(true);
    layout_ = new AnchorLayout(this, BorderWidth());
}

int TPanel::BorderWidth() const
{
    return (outer_ != Bevel::None ? 1 : 0) + (inner_ != Bevel::None ? 1 : 0);
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    QRect r = rect();
    for (Bevel bevel : {outer_, inner_}) {
        if (bevel == Bevel::None)
            continue;
        const QColor topLeft = bevel == Bevel::Raised ? light : dark;
        const QColor bottomRight = bevel == Bevel::Raised ? dark : light;
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}

TStaticText::TStaticText(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::NoFocus);
}

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), label_(new QLabel(this))
{
    setSizeGripEnabled(false);
    label_->setTextInteractionFlags(Qt::NoTextInteraction);
    addWidget(label_, 1);
}

void TStatusBar::SetSimpleText(const QString& text)
{
    label_->setText(text);
    setAccessibleName(text);
    label_->setAccessibleName(text);
}

QString TStatusBar::SimpleText() const
{
    return label_->text();
}
