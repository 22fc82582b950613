#pragma once
// The picture box: a widget showing at most one JPEG picture.
//
// - Stretch: the decoded bitmap is drawn scaled to the whole box by dropping or repeating whole
//   rows and columns (nearest neighbour, no smoothing). Only when the screen has 8 or fewer bits a
//   pixel and the bitmap more bits than the screen is it scaled by halftoning (area-averaged).
//   Without Stretch the bitmap is drawn at its own size at the box's top-left corner.
// - IncrementalDisplay: the decode starts when the box is first painted after SetPicture and
//   runs in slices from the event loop (keys and timers stay live); the box is repainted with the
//   rows decoded so far at most every 500 ms, and once at the end. Without it the first paint
//   decodes the whole picture before drawing. The boxes of the program take turns: one decode
//   runs at a time, in the order their first paints began them (the main frame is painted
//   first), so the first picture is complete soonest and one decoder's memory is in use.
// - A fatal decode error is reported once through OnDecodeError, from the event loop (never from
//   inside a paint); after it the box draws nothing of that picture.
// - Rows not decoded yet, and an empty box, draw nothing: what lies behind the box shows.
//   The box is not centred, not transparent to the mouse, and never sizes itself to its picture.

#include "platform/TJPEGImage.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <climits>
#include <functional>
#include <memory>

class TImage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIncrementalRepaintMs = 500;
    static constexpr int kDefaultSliceMs = 20;

    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // Replaces the picture (nullptr empties the box); a decode in progress is abandoned.
    void SetPicture(std::unique_ptr<TJPEGImage> picture);
    // Empties the box; a decode in progress is abandoned.
    void Clear();
    TJPEGImage* Picture() const { return picture_.get(); }

    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool IncrementalDisplay() const { return incremental_; }
    void SetIncrementalDisplay(bool incremental) { incremental_ = incremental; }
    // Bits a pixel of the screen (bits per pixel times planes), as the program found it at start;
    // 8 or fewer: pictures are quantised to 236 colours. Default 24.
    int ScreenDepth() const { return screenDepth_; }
    void SetScreenDepth(int bitsPerPixel);
    // How much one slice of an incremental decode does at most.
    void SetDecodeSlice(int milliseconds, int maxRows = INT_MAX);

    // Called once with "JPEG エラー #%d" when the picture's decode fails. It is called from the
    // event loop and must not throw.
    std::function<void(const QString&)> OnDecodeError;

    // Starts the decode if it has not started, runs it to its end now, repaints, and reports a
    // decode error as the event loop would.
    void FinishDecodeNow();
    // Whether an incremental decode is running or waiting for its turn.
    bool Decoding() const { return queued_; }
    // Whether drawing uses halftoning (see Stretch).
    bool Halftoning() const;
    // Paints that drew rows of the picture, since construction.
    int RowsPaintCount() const { return rowsPaintCount_; }

signals:
    // A paint drew the picture's rows 0 .. rows-1 (rows decoded so far).
    void RowsPainted(int rows);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DecodeSlice();
    void BeginDecode();
    void Enqueue();
    void Dequeue();
    void ReportErrorOnce();
    void ResetView();
    const QImage& StretchedView(int rows);

    std::unique_ptr<TJPEGImage> picture_;
    bool stretch_ = false;
    bool incremental_ = false;
    int screenDepth_ = 24;
    int sliceMs_ = kDefaultSliceMs;
    int sliceRows_ = INT_MAX;
    bool errorReported_ = false;
    int rowsPaintCount_ = 0;

    QTimer sliceTimer_; // runs only while this box's decode has its turn
    bool queued_ = false;
    QElapsedTimer sinceRepaint_;
    int rowsAtRepaint_ = 0;

    // The last stretched view and what it was made from.
    QImage view_;
    qint64 viewImageKey_ = 0;
    int viewRows_ = -1;
    QSize viewSize_;
    bool viewHalftone_ = false;
};
