#pragma once
#include <QString>

// The status bar's text: "[選択]" selection + 1 "/[合計]" count; "[選択]0/[合計]0" without items.
QString PositionText(int selection, int count);
