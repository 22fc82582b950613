#pragma once
// One libjpeg decompressor over JPEG bytes held in memory: the only place where libjpeg's
// setjmp/longjmp error path lives.
//
// Every operation returns 0 when it went well, or the libjpeg-turbo message code of the fatal
// error that ended it (map it with ClassicJpegMessageNumber). After a fatal error the decompressor
// has already been destroyed, and every later operation returns the same code. Warnings (corrupt
// or truncated data) never end an operation: a truncated file decodes as far as its data goes.
//
// The bytes are not copied; they must outlive the decoder.

#include <chrono>
#include <cstddef>
#include <memory>

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    bool grayscale = false;    // one-component (JCS_GRAYSCALE) file
    bool cmyk = false;         // four-component file stored as CMYK or YCCK
    bool adobeMarker = false;  // the file has an Adobe APP14 marker (inverted CMYK convention)
    bool progressive = false;
};

enum class JpegOutput {
    Rgb,        // 3 bytes a pixel, R G B
    Quantised,  // 1 byte a pixel, an index into the colour map (236 colours at most)
    Cmyk,       // 4 bytes a pixel, the file's C M Y K samples as stored (YCCK is converted)
};

class JpegDecoder {
public:
    using Clock = std::chrono::steady_clock;

    JpegDecoder(const unsigned char* data, std::size_t size);
    ~JpegDecoder(); // destroys the decompressor if it still lives
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Reads the header up to the first scan (all data offered at once).
    int ReadHeader(JpegHeader* header);

    // After ReadHeader: the decode parameters. Scale 1/1 and libjpeg's defaults, block smoothing
    // on, no buffered image. Quantised: 236 colours with libjpeg's default quantiser (two-pass
    // for colour files, one-pass for grayscale; Floyd-Steinberg dithering).
    void Configure(JpegOutput output);

    // Starts decompression. Multi-scan (progressive) files and the two-pass quantiser need all
    // of the compressed data before the first row comes out; that work is done here in steps:
    // the data is offered `sliceBytes` more at a time and the decoder suspends when it has used
    // what it was offered, until `deadline` has passed (at least one step is always taken).
    // *started becomes true when rows can be read; call again while it is false.
    int Start(Clock::time_point deadline, std::size_t sliceBytes, bool* started);

    // After Start: the output's size, and for quantised output the colour map.
    int OutputWidth() const;
    int OutputHeight() const;
    int ColourCount() const;
    // Colour `index` of the map, as r, g, b (a grayscale map gives equal values).
    void Colour(int index, int* r, int* g, int* b) const;

    // Reads up to maxRows rows into rows[0..]; *rowsRead tells how many came. When the last row
    // has been read the decompressor is destroyed.
    int ReadRows(unsigned char* const* rows, int maxRows, int* rowsRead);
    int RowsRead() const;

    // Whether libjpeg asked for bytes beyond the end of the data (it then saw a fake end of
    // image). When it did not, what it made of the bytes would be the same for any longer data
    // that begins with them.
    bool RanOutOfData() const;

    // Destroys the decompressor now (abandoning any decode in progress).
    void Close();

    // Number of decompressors alive in the process (for checks that none is left behind).
    static int LiveDecompressors();

    struct State; // libjpeg's structures, kept out of this header

private:
    int Fail();

    std::unique_ptr<State> state_;
    int failedCode_ = 0;
    bool alive_ = false;
};
