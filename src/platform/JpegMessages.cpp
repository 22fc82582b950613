#include "JpegMessages.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// IJG release 6a's message list, in its order: the position of a name is its classic number.
constexpr const char* kClassicNames[] = {
    "JMSG_NOMESSAGE",           //   0
    "JERR_ARITH_NOTIMPL",       //   1
    "JERR_BAD_ALIGN_TYPE",      //   2
    "JERR_BAD_ALLOC_CHUNK",     //   3
    "JERR_BAD_BUFFER_MODE",     //   4
    "JERR_BAD_COMPONENT_ID",    //   5
    "JERR_BAD_DCTSIZE",         //   6
    "JERR_BAD_IN_COLORSPACE",   //   7
    "JERR_BAD_J_COLORSPACE",    //   8
    "JERR_BAD_LENGTH",          //   9
    "JERR_BAD_LIB_VERSION",     //  10
    "JERR_BAD_MCU_SIZE",        //  11
    "JERR_BAD_POOL_ID",         //  12
    "JERR_BAD_PRECISION",       //  13
    "JERR_BAD_PROGRESSION",     //  14
    "JERR_BAD_PROG_SCRIPT",     //  15
    "JERR_BAD_SAMPLING",        //  16
    "JERR_BAD_SCAN_SCRIPT",     //  17
    "JERR_BAD_STATE",           //  18
    "JERR_BAD_STRUCT_SIZE",     //  19
    "JERR_BAD_VIRTUAL_ACCESS",  //  20
    "JERR_BUFFER_SIZE",         //  21
    "JERR_CANT_SUSPEND",        //  22
    "JERR_CCIR601_NOTIMPL",     //  23
    "JERR_COMPONENT_COUNT",     //  24
    "JERR_CONVERSION_NOTIMPL",  //  25
    "JERR_DAC_INDEX",           //  26
    "JERR_DAC_VALUE",           //  27
    "JERR_DHT_COUNTS",          //  28
    "JERR_DHT_INDEX",           //  29
    "JERR_DQT_INDEX",           //  30
    "JERR_EMPTY_IMAGE",         //  31
    "JERR_EMS_READ",            //  32
    "JERR_EMS_WRITE",           //  33
    "JERR_EOI_EXPECTED",        //  34
    "JERR_FILE_READ",           //  35
    "JERR_FILE_WRITE",          //  36
    "JERR_FRACT_SAMPLE_NOTIMPL",//  37
    "JERR_HUFF_CLEN_OVERFLOW",  //  38
    "JERR_HUFF_MISSING_CODE",   //  39
    "JERR_IMAGE_TOO_BIG",       //  40
    "JERR_INPUT_EMPTY",         //  41
    "JERR_INPUT_EOF",           //  42
    "JERR_MISMATCHED_QUANT_TABLE", // 43
    "JERR_MISSING_DATA",        //  44
    "JERR_MODE_CHANGE",         //  45
    "JERR_NOTIMPL",             //  46
    "JERR_NOT_COMPILED",        //  47
    "JERR_NO_BACKING_STORE",    //  48
    "JERR_NO_HUFF_TABLE",       //  49
    "JERR_NO_IMAGE",            //  50
    "JERR_NO_QUANT_TABLE",      //  51
    "JERR_NO_SOI",              //  52
    "JERR_OUT_OF_MEMORY",       //  53
    "JERR_QUANT_COMPONENTS",    //  54
    "JERR_QUANT_FEW_COLORS",    //  55
    "JERR_QUANT_MANY_COLORS",   //  56
    "JERR_SOF_DUPLICATE",       //  57
    "JERR_SOF_NO_SOS",          //  58
    "JERR_SOF_UNSUPPORTED",     //  59
    "JERR_SOI_DUPLICATE",       //  60
    "JERR_SOS_NO_SOF",          //  61
    "JERR_TFILE_CREATE",        //  62
    "JERR_TFILE_READ",          //  63
    "JERR_TFILE_SEEK",          //  64
    "JERR_TFILE_WRITE",         //  65
    "JERR_TOO_LITTLE_DATA",     //  66
    "JERR_UNKNOWN_MARKER",      //  67
    "JERR_VIRTUAL_BUG",         //  68
    "JERR_WIDTH_OVERFLOW",      //  69
    "JERR_XMS_READ",            //  70
    "JERR_XMS_WRITE",           //  71
    "JMSG_COPYRIGHT",           //  72
    "JMSG_VERSION",             //  73
    "JTRC_16BIT_TABLES",        //  74
    "JTRC_ADOBE",               //  75
    "JTRC_APP0",                //  76
    "JTRC_APP14",               //  77
    "JTRC_DAC",                 //  78
    "JTRC_DHT",                 //  79
    "JTRC_DQT",                 //  80
    "JTRC_DRI",                 //  81
    "JTRC_EMS_CLOSE",           //  82
    "JTRC_EMS_OPEN",            //  83
    "JTRC_EOI",                 //  84
    "JTRC_HUFFBITS",            //  85
    "JTRC_JFIF",                //  86
    "JTRC_JFIF_BADTHUMBNAILSIZE", // 87
    "JTRC_JFIF_MINOR",          //  88
    "JTRC_JFIF_THUMBNAIL",      //  89
    "JTRC_MISC_MARKER",         //  90
    "JTRC_PARMLESS_MARKER",     //  91
    "JTRC_QUANTVALS",           //  92
    "JTRC_QUANT_3_NCOLORS",     //  93
    "JTRC_QUANT_NCOLORS",       //  94
    "JTRC_QUANT_SELECTED",      //  95
    "JTRC_RECOVERY_ACTION",     //  96
    "JTRC_RST",                 //  97
    "JTRC_SMOOTH_NOTIMPL",      //  98
    "JTRC_SOF",                 //  99
    "JTRC_SOF_COMPONENT",       // 100
    "JTRC_SOI",                 // 101
    "JTRC_SOS",                 // 102
    "JTRC_SOS_COMPONENT",       // 103
    "JTRC_SOS_PARAMS",          // 104
    "JTRC_TFILE_CLOSE",         // 105
    "JTRC_TFILE_OPEN",          // 106
    "JTRC_UNKNOWN_IDS",         // 107
    "JTRC_XMS_CLOSE",           // 108
    "JTRC_XMS_OPEN",            // 109
    "JWRN_ADOBE_XFORM",         // 110
    "JWRN_BOGUS_PROGRESSION",   // 111
    "JWRN_EXTRANEOUS_DATA",     // 112
    "JWRN_HIT_MARKER",          // 113
    "JWRN_HUFF_BAD_CODE",       // 114
    "JWRN_JFIF_MAJOR",          // 115
    "JWRN_JPEG_EOF",            // 116
    "JWRN_MUST_RESYNC",         // 117
    "JWRN_NOT_SEQUENTIAL",      // 118
    "JWRN_TOO_MUCH_DATA",       // 119
};
constexpr int kClassicCount = int(std::size(kClassicNames));
static_assert(kClassicCount == 120);

// Messages that were renamed: the turbo name and the classic name of the same check.
struct Twin {
    const char* turbo;
    const char* classic;
};
constexpr Twin kTwins[] = {
    {"JERR_BAD_HUFF_TABLE", "JERR_DHT_COUNTS"},
};

// libjpeg-turbo's own list, from the names in jerror.h (included again with JMESSAGE defined,
// which yields one entry a message, under the same conditions as the enumeration).
struct TurboName {
    int code;
    const char* name;
};
constexpr TurboName kTurboNames[] = {
#define JMESSAGE(code, string) {code, #code},
#include <jerror.h>
};
static_assert(std::size(kTurboNames) == JMSG_LASTMSGCODE);

int ClassicIndexOf(const char* name)
{
    for (const Twin& twin : kTwins)
        if (std::strcmp(twin.turbo, name) == 0)
            name = twin.classic;
    for (int i = 0; i < kClassicCount; ++i)
        if (std::strcmp(kClassicNames[i], name) == 0)
            return i;
    return -1;
}

// The table from each turbo code to its classic number, built once.
std::array<int, JMSG_LASTMSGCODE> BuildTable()
{
    std::array<int, JMSG_LASTMSGCODE> table{};
    for (const TurboName& entry : kTurboNames) {
        const int classic = ClassicIndexOf(entry.name);
        table[size_t(entry.code)] = classic >= 0 ? classic : kTurboOnlyMessageBase + entry.code;
    }
    return table;
}

} // namespace

int ClassicJpegMessageCount()
{
    return kClassicCount;
}

int ClassicJpegMessageNumber(int turboCode)
{
    static const std::array<int, JMSG_LASTMSGCODE> table = BuildTable();
    if (turboCode < 0 || turboCode >= JMSG_LASTMSGCODE)
        return 0;
    return table[size_t(turboCode)];
}
