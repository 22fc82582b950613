#pragma once
// The aspect fit of a photo frame's picture box.
//
// W and H are the picture's width and height, cw and ch the box's size, which is the frame's fit
// area when the fit runs. Landscape pictures (W > H): h = trunc(cw / W * H); when ch >= h the box
// becomes cw x h, otherwise trunc(ch / H * W) x ch. Portrait and square pictures (W <= H):
// w = trunc(ch / H * W); when cw >= w the box becomes w x ch, otherwise cw x trunc(cw / W * H).
//
// Arithmetic: every quotient and every product is rounded to 80-bit extended precision (64-bit
// significand, round to nearest, ties to even) and the result truncated toward zero to 64 bits;
// the comparisons are made in 64-bit integers. So 480 x 360 in 504 x 378 gives 504 x 377: 504 / 480
// rounds to just under 1.05, and its product with 360 to just under 378.
// A division by zero raises Exception: "0 による浮動小数点数除算", or "不正な浮動小数点数演算命令"
// for 0 / 0 (a picture of 0 x 0 in a box with a zero side); so does a result beyond 64 bits.

#include <QSize>
#include <cstdint>

class TImage;

struct FitSize {
    std::int64_t width;
    std::int64_t height;
    bool operator==(const FitSize&) const = default;
};

FitSize FitFrameSize(std::int64_t pictureWidth, std::int64_t pictureHeight, std::int64_t boxWidth,
                     std::int64_t boxHeight);

// Fits a box whose picture has just been loaded and whose size is its fit area: changes either its
// width or its height, never both and never its position. A box without a picture is left alone.
void FitFrame(TImage* box);
