// libjpeg reports a fatal error by calling error_exit, which must not return. Ours jumps back with
// longjmp to the setjmp in the operation that called into libjpeg. Therefore, in this file:
// - every function that calls setjmp holds only trivially destructible locals and reads none that
//   it changed after the setjmp;
// - the callbacks libjpeg calls (source, error manager) are plain functions that hold no object
//   with a destructor and never throw;
// - after a jump the decompressor is destroyed at once.

#include "JpegDecoder.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

std::atomic<int> gLiveDecompressors{0};

// The most memory libjpeg may take for its whole-image buffers (the coefficients of a
// multi-scan file, the image kept for the two-pass quantiser). Beyond it libjpeg would need a
// backing store, which it does not have here: it reports "Backing store not supported" instead
// of exhausting the machine's memory.
constexpr long kLibjpegMemoryLimit = 2L * 1024 * 1024 * 1024;

constexpr int kQuantisedColours = 236;

} // namespace

struct JpegDecoder::State {
    struct Error {
        jpeg_error_mgr pub;
        std::jmp_buf jump;
    };
    struct Source {
        jpeg_source_mgr pub;
        State* owner;
    };

    jpeg_decompress_struct cinfo;
    Error err;
    Source src;

    const JOCTET* data = nullptr;
    std::size_t size = 0;
    std::size_t offeredEnd = 0;  // bytes [0, offeredEnd) have been offered to libjpeg
    bool suspendable = false;    // whether the source may suspend at the end of what it offered
    bool eoiInserted = false;    // the data ran out and a fake end-of-image marker was given
    bool ranOut = false;         // libjpeg wanted bytes beyond the end of the data
    JOCTET eoi[2] = {0xFF, JPEG_EOI};

    JpegHeader header;
    int outputWidth = 0;
    int outputHeight = 0;
    int colourCount = 0;
    unsigned char colourMap[3][256] = {};
    int rowsRead = 0;
};

namespace {

void ErrorExit(j_common_ptr cinfo)
{
    // The error manager is the first member of our Error record.
    auto* err = reinterpret_cast<JpegDecoder::State::Error*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr, int) {}  // warnings and traces are ignored
void OutputMessage(j_common_ptr) {}

JpegDecoder::State* OwnerOf(j_decompress_ptr cinfo)
{
    return reinterpret_cast<JpegDecoder::State::Source*>(cinfo->src)->owner;
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// Called when libjpeg has used all it was offered. Beyond the offer lies either more of the
// file (suspend, or offer the rest when suspension is not allowed) or the end of the data, where a
// fake EOI marker lets the decoder finish what it has (it warns, and we ignore the warning).
boolean FillInput(j_decompress_ptr cinfo)
{
    JpegDecoder::State* s = OwnerOf(cinfo);
    if (s->size == 0)
        ERREXIT(cinfo, JERR_INPUT_EMPTY);
    if (!s->eoiInserted && s->offeredEnd < s->size) {
        if (s->suspendable)
            return FALSE;
        s->src.pub.next_input_byte = s->data + s->offeredEnd;
        s->src.pub.bytes_in_buffer = s->size - s->offeredEnd;
        s->offeredEnd = s->size;
        return TRUE;
    }
    WARNMS(cinfo, JWRN_JPEG_EOF);
    s->eoiInserted = true;
    s->ranOut = true;
    s->src.pub.next_input_byte = s->eoi;
    s->src.pub.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    JpegDecoder::State* s = OwnerOf(cinfo);
    jpeg_source_mgr& pub = s->src.pub;
    if (std::size_t(count) <= pub.bytes_in_buffer) {
        pub.next_input_byte += count;
        pub.bytes_in_buffer -= std::size_t(count);
        return;
    }
    if (s->eoiInserted) {
        pub.bytes_in_buffer = 0; // the next read gives the EOI marker again
        return;
    }
    // The data lies contiguous in memory: skipping past the offer simply moves the offer on.
    const std::size_t pos = std::size_t(pub.next_input_byte - s->data);
    const std::size_t target = std::min(s->size, pos + std::size_t(count));
    if (target < pos + std::size_t(count))
        s->ranOut = true;
    pub.next_input_byte = s->data + target;
    pub.bytes_in_buffer = 0;
    s->offeredEnd = std::max(s->offeredEnd, target);
}

// Between calls into libjpeg: offer `more` bytes beyond what was offered so far. libjpeg's
// position (next_input_byte) is where it resumes; everything from there to the new end is given.
void Offer(JpegDecoder::State* s, std::size_t more)
{
    if (s->eoiInserted || s->size == 0)
        return;
    jpeg_source_mgr& pub = s->src.pub;
    const std::size_t pos = std::size_t(pub.next_input_byte - s->data);
    const std::size_t end = more >= s->size - s->offeredEnd ? s->size : s->offeredEnd + more;
    pub.bytes_in_buffer = end - pos;
    s->offeredEnd = end;
}

} // namespace

JpegDecoder::JpegDecoder(const unsigned char* data, std::size_t size) : state_(new State())
{
    State* s = state_.get();
    s->data = data;
    s->size = size;
    s->cinfo.err = jpeg_std_error(&s->err.pub);
    s->err.pub.error_exit = ErrorExit;
    s->err.pub.emit_message = EmitMessage;
    s->err.pub.output_message = OutputMessage;
    if (setjmp(s->err.jump)) {
        // Creation failed (out of memory): nothing of the decompressor is left to free.
        failedCode_ = s->err.pub.msg_code != 0 ? s->err.pub.msg_code : int(JMSG_LASTMSGCODE);
        jpeg_destroy_decompress(&s->cinfo);
        return;
    }
    jpeg_create_decompress(&s->cinfo);
    alive_ = true;
    ++gLiveDecompressors;
    s->cinfo.mem->max_memory_to_use = kLibjpegMemoryLimit;
    s->src.owner = s;
    s->src.pub.init_source = InitSource;
    s->src.pub.fill_input_buffer = FillInput;
    s->src.pub.skip_input_data = SkipInput;
    s->src.pub.resync_to_restart = jpeg_resync_to_restart;
    s->src.pub.term_source = TermSource;
    s->src.pub.next_input_byte = data;
    s->src.pub.bytes_in_buffer = 0;
    s->cinfo.src = &s->src.pub;
}

JpegDecoder::~JpegDecoder()
{
    Close();
}

int JpegDecoder::Fail()
{
    State* s = state_.get();
    failedCode_ = s->err.pub.msg_code != 0 ? s->err.pub.msg_code : int(JMSG_LASTMSGCODE);
    Close();
    return failedCode_;
}

void JpegDecoder::Close()
{
    if (!alive_)
        return;
    jpeg_destroy_decompress(&state_->cinfo);
    alive_ = false;
    --gLiveDecompressors;
}

int JpegDecoder::LiveDecompressors()
{
    return gLiveDecompressors.load();
}

int JpegDecoder::ReadHeader(JpegHeader* header)
{
    if (!alive_)
        return failedCode_ != 0 ? failedCode_ : int(JERR_BAD_STATE);
    State* const s = state_.get();
    if (setjmp(s->err.jump))
        return Fail();
    s->suspendable = false;
    jpeg_read_header(&s->cinfo, TRUE);
    JpegHeader& h = s->header;
    h.width = int(s->cinfo.image_width);
    h.height = int(s->cinfo.image_height);
    h.components = s->cinfo.num_components;
    h.grayscale = s->cinfo.jpeg_color_space == JCS_GRAYSCALE;
    h.cmyk = s->cinfo.jpeg_color_space == JCS_CMYK || s->cinfo.jpeg_color_space == JCS_YCCK;
    h.adobeMarker = s->cinfo.saw_Adobe_marker != 0;
    h.progressive = s->cinfo.progressive_mode != 0;
    *header = h;
    return 0;
}

void JpegDecoder::Configure(JpegOutput output)
{
    if (!alive_)
        return;
    jpeg_decompress_struct& c = state_->cinfo;
    c.scale_num = 1;
    c.scale_denom = 1;
    c.buffered_image = FALSE;
    c.do_block_smoothing = TRUE;
    c.quantize_colors = FALSE;
    switch (output) {
    case JpegOutput::Rgb:
        c.out_color_space = JCS_RGB;
        break;
    case JpegOutput::Quantised:
        c.out_color_space = state_->header.grayscale ? JCS_GRAYSCALE : JCS_RGB;
        c.quantize_colors = TRUE;
        c.desired_number_of_colors = kQuantisedColours;
        break;
    case JpegOutput::Cmyk:
        c.out_color_space = JCS_CMYK;
        break;
    }
}

int JpegDecoder::Start(Clock::time_point deadline, std::size_t sliceBytes, bool* started)
{
    *started = false;
    if (!alive_)
        return failedCode_ != 0 ? failedCode_ : int(JERR_BAD_STATE);
    State* const s = state_.get();
    if (setjmp(s->err.jump))
        return Fail();
    if (!s->suspendable) {
        // The header read was offered everything; from libjpeg's position on, offer in steps.
        s->suspendable = true;
        if (!s->eoiInserted) {
            s->offeredEnd = std::size_t(s->src.pub.next_input_byte - s->data);
            s->src.pub.bytes_in_buffer = 0;
        }
    }
    for (;;) {
        Offer(s, std::max<std::size_t>(sliceBytes, 1));
        if (jpeg_start_decompress(&s->cinfo))
            break;
        if (Clock::now() >= deadline)
            return 0; // suspended; the next call resumes where libjpeg stopped
    }
    // From here on rows are read a few at a time; the decoder needs no more suspension.
    s->suspendable = false;
    Offer(s, s->size);
    s->outputWidth = int(s->cinfo.output_width);
    s->outputHeight = int(s->cinfo.output_height);
    s->colourCount = 0;
    if (s->cinfo.quantize_colors && s->cinfo.colormap != nullptr) {
        s->colourCount = std::min(s->cinfo.actual_number_of_colors, 256);
        const int planes = std::min(s->cinfo.out_color_components, 3);
        for (int i = 0; i < s->colourCount; ++i)
            for (int p = 0; p < 3; ++p)
                s->colourMap[p][i] = s->cinfo.colormap[p < planes ? p : 0][i];
    }
    *started = true;
    return 0;
}

int JpegDecoder::OutputWidth() const
{
    return state_->outputWidth;
}

int JpegDecoder::OutputHeight() const
{
    return state_->outputHeight;
}

int JpegDecoder::ColourCount() const
{
    return state_->colourCount;
}

void JpegDecoder::Colour(int index, int* r, int* g, int* b) const
{
    const State& s = *state_;
    const int i = std::clamp(index, 0, 255);
    *r = s.colourMap[0][i];
    *g = s.colourMap[1][i];
    *b = s.colourMap[2][i];
}

int JpegDecoder::ReadRows(unsigned char* const* rows, int maxRows, int* rowsRead)
{
    *rowsRead = 0;
    if (!alive_)
        return failedCode_ != 0 ? failedCode_ : int(JERR_BAD_STATE);
    State* const s = state_.get();
    if (setjmp(s->err.jump))
        return Fail();
    const JDIMENSION n =
        jpeg_read_scanlines(&s->cinfo, const_cast<JSAMPARRAY>(rows), JDIMENSION(std::max(maxRows, 1)));
    *rowsRead = int(n);
    s->rowsRead += int(n);
    // All rows are out: the picture is complete, whatever may follow in the file.
    if (s->cinfo.output_scanline >= s->cinfo.output_height)
        Close();
    return 0;
}

bool JpegDecoder::RanOutOfData() const
{
    return state_->ranOut;
}

int JpegDecoder::RowsRead() const
{
    return state_->rowsRead;
}
