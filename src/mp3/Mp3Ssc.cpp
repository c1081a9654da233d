#include "mp3/Mp3Ssc.h"

namespace mp3 {

namespace {
struct SscText {
    Mp3Ssc code;
    const char* text;
};

constexpr SscText kTexts[] = {
    {ssc::kOk, "(Mp3Ssc) success: no error"},
    {ssc::kInvalidParameter, "(Mp3Ssc) error: at least one parameter is wrong"},
    {ssc::kOutOfMemory, "(Mp3Ssc) error: not enough memory"},
    {ssc::kInvalidHandle, "(Mp3Ssc) error: invalid handle"},
    {ssc::kIoGeneric, "(Mp3Ssc) error: I/O - generic error"},
    {ssc::kIoOpen, "(Mp3Ssc) error: I/O - open failed"},
    {ssc::kIoClose, "(Mp3Ssc) error: I/O - close failed"},
    {ssc::kIoRead, "(Mp3Ssc) error: I/O - read error"},
    {ssc::kCrcError, "(Mp3Ssc) info: Decoder - CRC error"},
    {ssc::kMissingMainData, "(Mp3Ssc) info: Decoder - not enough main data present"},
    {ssc::kDecoderGeneric, "(Mp3Ssc) error: Decoder - generic error"},
    {ssc::kWrongLayer, "(Mp3Ssc) error: Decoder - wrong MPEG layer"},
    {ssc::kBufferTooSmall, "(Mp3Ssc) error: Decoder - buffer is too small"},
    {ssc::kSyncSearched, "(Mp3Ssc) warning: Decoder - sync searched"},
    {ssc::kSyncLost, "(Mp3Ssc) warning: Decoder - sync lost"},
    {ssc::kSyncNeedData, "(Mp3Ssc) warning: Decoder - sync need data"},
    {ssc::kSyncEof, "(Mp3Ssc) warning: Decoder - sync eof"},
};
}  // namespace

const char* mp3SscText(Mp3Ssc code) {
    for (const SscText& entry : kTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "(Mp3Ssc) unknown SSC";
}

}  // namespace mp3
