#include "display/DetailLabels.h"

#include <array>

namespace {

constexpr std::array<DetailRow, 20> kRows{{
    {1, "[サイズ        ] "},
    {2, "[種類          ] "},
    {3, "[更新日時      ] "},
    {4, "[作成日時      ] "},
    {5, "[アクセス日時  ] "},
    {6, "[属性          ] "},
    {7, "[状態          ] "},
    {8, "[所有者        ] "},
    {9, "[作成者        ] "},
    {10, "[タイトル      ] "},
    {11, "[表題          ] "},
    {12, "[カテゴリ      ] "},
    {13, "[ページ数      ] "},
    {14, "[コメント      ] "},
    {24, "[カメラのモデル] "},
    {25, "[写真の撮影日  ] "},
    {26, "[大きさ        ] "},
    {27, "[幅            ] "},
    {28, "[高さ          ] "},
    {31, "[写真の撮影日  ] "},
}};

} // namespace

std::span<const DetailRow> DetailRows()
{
    return kRows;
}
