#include "mp3/reader/CNxSSId3Info.h"

#include "mp3/reader/CNxSSMp3Reader.h"
#include "stream/ResultCodes.h"

CNxSSId3Info::CNxSSId3Info(CNxSSMp3Reader* owner)
    : CNxSSBlockInfo(owner, owner->Tag(), owner->LongTitle()) {
    SetTag("ID3INFO ");
}

void CNxSSId3Info::SetTitle(std::string_view text) {
    SetTitles(text, {});
}

int32_t CNxSSId3Info::GetBitrate() const {
    const Mp3InfoRecord r = InfoRecord();
    return static_cast<int32_t>(r.variableBitrate ? r.currentBitrate : r.bitrate);
}

uint64_t CNxSSId3Info::GetFileSize() const {
    CNxSSMp3Reader* reader = Reader();
    return reader ? reader->FileSize() : 0;
}

uint32_t CNxSSId3Info::WriteTag() {
    CNxSSMp3Reader* reader = Reader();
    return reader ? reader->WriteTag(Block()) : nxss::kFail;
}

Mp3InfoRecord CNxSSId3Info::InfoRecord() const {
    CNxSSMp3Reader* reader = Reader();
    return reader ? reader->InfoRecord() : Mp3InfoRecord{};
}

CNxSSMp3Reader* CNxSSId3Info::Reader() const {
    return static_cast<CNxSSMp3Reader*>(Owner());
}
