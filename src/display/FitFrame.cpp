#include "FitFrame.h"

#include "platform/Exception.h"
#include "platform/TImage.h"

#include <cfloat>
#include <fpu_control.h>

// The fit is defined in x87 extended precision; elsewhere long double is something else.
static_assert(LDBL_MANT_DIG == 64, "FitFrame needs 80-bit extended long double (x86-64)");

namespace {

// The x87 unit rounds to its control word's precision and mode. Linux starts programs with 64-bit
// precision and round-to-nearest; this guard makes sure of it for the fit, whatever a library
// may have set, and puts the old word back afterwards.
class ExtendedPrecision {
public:
    ExtendedPrecision()
    {
        _FPU_GETCW(saved_);
        const fpu_control_t wanted = (saved_ & ~(_FPU_EXTENDED | _FPU_RC_ZERO)) | _FPU_EXTENDED | _FPU_RC_NEAREST;
        if (wanted != saved_)
            _FPU_SETCW(wanted);
    }
    ~ExtendedPrecision()
    {
        fpu_control_t now;
        _FPU_GETCW(now);
        if (now != saved_)
            _FPU_SETCW(saved_);
    }
    ExtendedPrecision(const ExtendedPrecision&) = delete;
    ExtendedPrecision& operator=(const ExtendedPrecision&) = delete;

private:
    fpu_control_t saved_;
};

// Each step's result goes through a volatile long double, so every quotient and product is
// rounded to extended precision on its own (x87 has no fused multiply-add to contract into, and
// nothing is kept in a wider format).
long double Divide(long double a, long double b)
{
    if (b == 0.0L)
        throw Exception(a == 0.0L ? QStringLiteral("不正な浮動小数点数演算命令")
                                  : QStringLiteral("0 による浮動小数点数除算"));
    volatile long double q = a / b;
    return q;
}

long double Multiply(long double a, long double b)
{
    volatile long double r = a * b;
    return r;
}

std::int64_t Truncate(long double value)
{
    // Values at or beyond 2^63 have no 64-bit integer.
    constexpr long double kLimit = 9223372036854775808.0L;
    if (!(value < kLimit && value > -kLimit))
        throw Exception(QStringLiteral("不正な浮動小数点数演算命令"));
    return static_cast<std::int64_t>(value); // truncates toward zero
}

// trunc(a / b * c), each step rounded.
std::int64_t Scaled(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return Truncate(Multiply(Divide(static_cast<long double>(a), static_cast<long double>(b)),
                             static_cast<long double>(c)));
}

} // namespace

FitSize FitFrameSize(std::int64_t w, std::int64_t h, std::int64_t cw, std::int64_t ch)
{
    const ExtendedPrecision precision;
    if (w > h) {
        const std::int64_t fitH = Scaled(cw, w, h);
        if (ch >= fitH)
            return {cw, fitH};
        return {Scaled(ch, h, w), ch};
    }
    const std::int64_t fitW = Scaled(ch, h, w);
    if (cw >= fitW)
        return {fitW, ch};
    return {cw, Scaled(cw, w, h)};
}

void FitFrame(TImage* box)
{
    if (box == nullptr || box->Picture() == nullptr)
        return;
    const TJPEGImage* picture = box->Picture();
    const FitSize fit = FitFrameSize(picture->Width(), picture->Height(), box->width(), box->height());
    // A set value is never larger than the side it replaces, so it fits in an int.
    if (fit.width != box->width())
        box->resize(int(fit.width), box->height());
    else if (fit.height != box->height())
        box->resize(box->width(), int(fit.height));
}
