#include "PositionText.h"

QString PositionText(int selection, int count)
{
    return QStringLiteral("[選択]%1/[合計]%2").arg(qint64(selection) + 1).arg(count);
}
