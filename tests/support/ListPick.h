#pragma once
// Picks a row of a drop-down list as a user does: opens its popup, scrolls the row into view and
// clicks it. Qt reports such a pick also when the row is the one already selected. The list's
// window is made active first, as it is under the user's pointer, so that the focus comes back to
// it when the popup closes.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QtTest>

inline void PickInList(QComboBox* box, int row)
{
    box->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(box->window()));
    box->showPopup();
    QAbstractItemView* view = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex index = view->model()->index(row, box->modelColumn());
    // The popup settles its size once shown; the row is looked for in the settled view.
    QApplication::processEvents();
    view->scrollTo(index, QAbstractItemView::PositionAtCenter);
    QApplication::processEvents();
    const QPoint at = view->visualRect(index).center();
    QCOMPARE(view->indexAt(at), index);
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->window()->isVisible());
}
