#include "stream/wma/CNxSSMediaInfo.h"

#include <filesystem>
#include <new>

#include "stream/CNxSSException.h"
#include "stream/FileRewrite.h"
#include "stream/ResultCodes.h"
#include "stream/wma/CNxSSMediaReader.h"
#include "tags/MediaTags.h"

namespace {

// Some field changed from `before` to `after`: the edit to write.
template <typename T>
void change(std::optional<T>& into, const T& before, const T& after) {
    if (before != after) {
        into = after;
    }
}

}  // namespace

CNxSSMediaInfo::CNxSSMediaInfo(CNxSSMediaReader* owner) : CNxSSInfo(owner), reader_(owner) {
    SetTag("AVINFO  ");
    if (const auto read = tags::readMediaTags(owner->Path())) {
        tagged_ = true;
        stored_ = *read;
    }
    fields_ = stored_;
}

void CNxSSMediaInfo::SetComment(std::string_view text, int32_t track) {
    fields_.comment = text;
    fields_.track = track;
}

int32_t CNxSSMediaInfo::GetBitrate() const {
    return static_cast<int32_t>(reader_->StreamFacts().bitrate);
}

int32_t CNxSSMediaInfo::GetSampleRate() const {
    return static_cast<int32_t>(reader_->StreamFacts().sampleRate);
}

int32_t CNxSSMediaInfo::GetChannels() const {
    return reader_->StreamFacts().channels;
}

uint64_t CNxSSMediaInfo::GetFileSize() const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(reader_->Path(), ec);
    return ec ? 0 : size;
}

std::string CNxSSMediaInfo::GetFormatName() const {
    return reader_->StreamFacts().codecName;
}

uint32_t CNxSSMediaInfo::WriteTag() {
    const tags::TagEdit edit = Edited();
    if (edit.empty()) {
        return 0;
    }
    if (!tagged_) {
        return nxss::kFileWriteFailed;
    }
    try {
        rewriteThroughCopy(reader_->Path(), [&](const std::string& copy) {
            return tags::writeMediaTags(copy, edit);
        });
        stored_ = fields_;
        return 0;
    } catch (const CNxSSException& e) {
        return e.Code();
    } catch (const std::bad_alloc&) {
        return nxss::kOutOfMemory;
    }
}

tags::TagEdit CNxSSMediaInfo::Edited() const {
    tags::TagEdit edit;
    change(edit.title, stored_.title, fields_.title);
    change(edit.artist, stored_.artist, fields_.artist);
    change(edit.album, stored_.album, fields_.album);
    change(edit.comment, stored_.comment, fields_.comment);
    change(edit.year, stored_.year, fields_.year);
    change(edit.track, stored_.track, fields_.track);
    change(edit.genre, stored_.genre, fields_.genre);
    return edit;
}
