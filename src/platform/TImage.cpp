#include "TImage.h"

#include <QPainter>
#include <algorithm>
#include <new>
#include <vector>

namespace {

// The boxes with an incremental decode, in the order their decodes began; the first one decodes,
// the others wait their turn. (GUI thread only, as every widget.)
std::vector<TImage*>& DecodeQueue()
{
    static std::vector<TImage*> queue;
    return queue;
}

} // namespace

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    sliceTimer_.setInterval(0);
    connect(&sliceTimer_, &QTimer::timeout, this, &TImage::DecodeSlice);
}

TImage::~TImage()
{
    Dequeue();
}

void TImage::Enqueue()
{
    std::vector<TImage*>& queue = DecodeQueue();
    if (!queued_) {
        queue.push_back(this);
        queued_ = true;
    }
    if (queue.front() == this)
        sliceTimer_.start();
}

void TImage::Dequeue()
{
    sliceTimer_.stop();
    if (!queued_)
        return;
    queued_ = false;
    std::vector<TImage*>& queue = DecodeQueue();
    const bool hadTurn = !queue.empty() && queue.front() == this;
    queue.erase(std::remove(queue.begin(), queue.end(), this), queue.end());
    if (hadTurn && !queue.empty()) {
        TImage* next = queue.front();
        next->sinceRepaint_.restart(); // its 500 ms count from when its decode can go
        next->sliceTimer_.start();
    }
}

void TImage::SetPicture(std::unique_ptr<TJPEGImage> picture)
{
    Dequeue();
    picture_ = std::move(picture); // the old picture, and any decoder it had, goes here
    errorReported_ = false;
    ResetView();
    update();
}

void TImage::Clear()
{
    SetPicture(nullptr);
}

void TImage::SetStretch(bool stretch)
{
    if (stretch_ == stretch)
        return;
    stretch_ = stretch;
    update();
}

void TImage::SetScreenDepth(int bitsPerPixel)
{
    screenDepth_ = bitsPerPixel;
    ResetView();
    update();
}

void TImage::SetDecodeSlice(int milliseconds, int maxRows)
{
    sliceMs_ = std::max(milliseconds, 0);
    sliceRows_ = std::max(maxRows, 1);
}

bool TImage::Halftoning() const
{
    return picture_ && !picture_->Bitmap().isNull() && screenDepth_ <= 8
        && picture_->Bitmap().depth() > screenDepth_;
}

void TImage::ResetView()
{
    view_ = QImage();
    viewRows_ = -1;
}

void TImage::BeginDecode()
{
    picture_->StartDecode(screenDepth_ <= 8);
    sinceRepaint_.start();
    rowsAtRepaint_ = 0;
    ResetView();
}

void TImage::ReportErrorOnce()
{
    if (errorReported_ || !picture_ || !picture_->DecodeError())
        return;
    errorReported_ = true;
    const QString text = *picture_->DecodeError();
    if (OnDecodeError)
        OnDecodeError(text); // last: the handler may replace this box's picture
}

void TImage::DecodeSlice()
{
    if (!picture_) {
        Dequeue();
        return;
    }
    if (picture_->State() == TJPEGImage::DecodeState::Running) {
        if (!picture_->DecodeSome(sliceMs_, sliceRows_)) {
            if (sinceRepaint_.elapsed() >= kIncrementalRepaintMs && picture_->RowsDecoded() > rowsAtRepaint_) {
                rowsAtRepaint_ = picture_->RowsDecoded();
                sinceRepaint_.restart();
                update();
            }
            return;
        }
    }
    // The decode has ended: one last repaint, the next box's turn, and the report of its error.
    Dequeue();
    update();
    ReportErrorOnce();
}

void TImage::FinishDecodeNow()
{
    if (!picture_ || picture_->Empty())
        return;
    if (!picture_->DecodeStarted())
        BeginDecode();
    picture_->FinishDecode();
    Dequeue();
    update();
    ReportErrorOnce();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (!picture_ || picture_->Empty())
        return;
    if (!picture_->DecodeStarted()) {
        BeginDecode();
        if (incremental_) {
            Enqueue();
            return; // nothing decoded yet
        }
        picture_->FinishDecode();
        if (picture_->DecodeError())
            QMetaObject::invokeMethod(this, &TImage::ReportErrorOnce, Qt::QueuedConnection);
    }
    if (picture_->State() == TJPEGImage::DecodeState::Failed)
        return;
    const QImage& bitmap = picture_->Bitmap();
    const int rows = picture_->RowsDecoded();
    if (bitmap.isNull() || rows <= 0)
        return;

    QPainter painter(this);
    if (stretch_) {
        const QImage* view = nullptr;
        try {
            view = &StretchedView(rows);
        } catch (const std::bad_alloc&) {
            return; // no memory for the scaled view: nothing is drawn, nothing thrown into Qt
        }
        if (view->isNull())
            return;
        painter.drawImage(QPoint(0, 0), *view);
    } else {
        painter.drawImage(QPoint(0, 0), bitmap, QRect(0, 0, bitmap.width(), rows));
    }
    ++rowsPaintCount_;
    emit RowsPainted(rows);
}

// The decoded rows scaled to the box. Box pixel (x, y) shows bitmap pixel
// (floor((2x+1)·W / 2·boxW), floor((2y+1)·H / 2·boxH)): the source pixel under the box pixel's
// centre, so whole rows and columns are repeated or dropped. Only box rows whose source row has
// been decoded are made.
const QImage& TImage::StretchedView(int rows)
{
    const QImage& bitmap = picture_->Bitmap();
    const QSize box = size();
    const bool halftone = Halftoning();
    if (viewRows_ == rows && viewSize_ == box && viewHalftone_ == halftone && viewImageKey_ == bitmap.cacheKey())
        return view_;
    viewRows_ = rows;
    viewSize_ = box;
    viewHalftone_ = halftone;
    viewImageKey_ = bitmap.cacheKey();
    view_ = QImage();

    const qint64 srcW = bitmap.width();
    const qint64 srcH = bitmap.height();
    const qint64 boxW = box.width();
    const qint64 boxH = box.height();
    if (boxW <= 0 || boxH <= 0)
        return view_;
    // Box rows 0 .. destRows-1 have their source row decoded.
    qint64 destRows = 0;
    while (destRows < boxH && (2 * destRows + 1) * srcH / (2 * boxH) < rows)
        ++destRows;
    if (destRows == 0)
        return view_;

    if (halftone) {
        const qint64 covered = std::min<qint64>(srcH, (destRows * srcH + boxH - 1) / boxH);
        view_ = bitmap.copy(0, 0, int(srcW), int(std::min<qint64>(covered, rows)))
                    .convertToFormat(QImage::Format_RGB32)
                    .scaled(int(boxW), int(destRows), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return view_;
    }

    view_ = QImage(int(boxW), int(destRows), bitmap.format());
    if (view_.isNull())
        return view_;
    if (bitmap.format() == QImage::Format_Indexed8)
        view_.setColorTable(bitmap.colorTable());
    const int bytes = bitmap.depth() / 8;
    std::vector<qint64> columnOffset(static_cast<size_t>(boxW));
    for (qint64 x = 0; x < boxW; ++x)
        columnOffset[size_t(x)] = (2 * x + 1) * srcW / (2 * boxW) * bytes;
    for (qint64 y = 0; y < destRows; ++y) {
        const uchar* src = bitmap.constScanLine(int((2 * y + 1) * srcH / (2 * boxH)));
        uchar* dst = view_.scanLine(int(y));
        for (qint64 x = 0; x < boxW; ++x) {
            const uchar* s = src + columnOffset[size_t(x)];
            for (int b = 0; b < bytes; ++b)
                *dst++ = s[b];
        }
    }
    return view_;
}
