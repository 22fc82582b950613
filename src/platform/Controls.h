#pragma once
// Geometry as the window was designed: each control has a design rectangle, an alignment and
// anchors, and keeps its distances to the anchored edges of its parent when the parent is resized.
// Plus the small controls whose look Qt has no exact twin for: the bevelled panel, the bordered
// static text and the one-text status bar.

#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStatusBar>

enum class TAlign { alNone, alTop, alBottom, alClient };

enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = int;

// Lays out the children of one parent widget: aligned ones first (top, then bottom, then the
// client fills what remains), then anchored ones relative to their design rectangle.
class AnchorLayout : public QObject {
    Q_OBJECT
public:
    // `clientMargin`: the width of the parent's border (a bevelled panel's bevels), which the
    // aligned children leave free.
    explicit AnchorLayout(QWidget* parent, int clientMargin = 0);

    // The parent's layout, or nullptr.
    static AnchorLayout* Of(QWidget* parent);

    // Places a child at its design rectangle with its alignment and anchors.
    void Place(QWidget* child, const QRect& design, TAlign align = TAlign::alNone,
               TAnchors anchors = akLeft | akTop);

    // Changes a child's alignment. Leaving an alignment keeps the child where it stands and
    // anchors it there, to its parent's left and top.
    void SetAlign(QWidget* child, TAlign align);
    TAlign Align(QWidget* child) const;

    // The area aligned children share: the parent less its border.
    QRect ClientRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Rule {
        QPointer<QWidget> child;
        TAlign align;
        TAnchors anchors;
        QRect reference;      // the child's rectangle when the anchors were set
        QSize parentAtReference;
    };
    void Realign();

    QWidget* parent_;
    int clientMargin_;
    QList<Rule> rules_;
};

// A panel (TPanel): a plain face with optional outer and inner bevels of one pixel each.
class TPanel : public QWidget {
    Q_OBJECT
public:
    enum class Bevel { None, Lowered, Raised };
    TPanel(QWidget* parent, Bevel outer, Bevel inner);
    int BorderWidth() const; // 1 for each bevel there is
    AnchorLayout* Layout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel outer_;
    Bevel inner_;
    AnchorLayout* layout_;
};

// A static text with a single border, its caption centred.
class TStaticText : public QLabel {
    Q_OBJECT
public:
    TStaticText(const QString& caption, QWidget* parent);
};

// A status bar without panels: it shows one text, which nothing else (menu hints among them)
// replaces.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent);
    void SetSimpleText(const QString& text);
    QString SimpleText() const;

private:
    QLabel* label_;
};
