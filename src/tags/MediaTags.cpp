#include "tags/MediaTags.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>

#include "tags/TagGenre.h"
#include "tags/TagLibText.h"

namespace tags {

namespace {

// Tags are read without the audio properties: the decoder knows those.
TagLib::FileRef openRef(const std::string& path) {
    return TagLib::FileRef(path.c_str(), false);
}

int asInt(unsigned int value) {
    return static_cast<int>(std::min<unsigned int>(value, 9999));
}

void apply(TagLib::Tag& tag, const TagEdit& edit) {
    if (edit.title) {
        tag.setTitle(toTagLib(*edit.title));
    }
    if (edit.artist) {
        tag.setArtist(toTagLib(*edit.artist));
    }
    if (edit.album) {
        tag.setAlbum(toTagLib(*edit.album));
    }
    if (edit.comment) {
        tag.setComment(toTagLib(*edit.comment));
    }
    if (edit.year) {
        tag.setYear(static_cast<unsigned int>(std::max(*edit.year, 0)));
    }
    if (edit.track) {
        tag.setTrack(static_cast<unsigned int>(std::max(*edit.track, 0)));
    }
    if (edit.genre) {
        tag.setGenre(*edit.genre == kNoGenre ? TagLib::String() : toTagLib(genreText(*edit.genre)));
    }
}

}  // namespace

std::optional<TagFields> readMediaTags(const std::string& path) {
    const TagLib::FileRef ref = openRef(path);
    if (ref.isNull() || ref.tag() == nullptr) {
        return std::nullopt;
    }
    const TagLib::Tag& tag = *ref.tag();
    TagFields fields;
    fields.title = fromTagLib(tag.title());
    fields.artist = fromTagLib(tag.artist());
    fields.album = fromTagLib(tag.album());
    fields.comment = fromTagLib(tag.comment());
    fields.year = asInt(tag.year());
    fields.track = asInt(tag.track());
    fields.genre = genreNumber(fromTagLib(tag.genre()));
    return fields;
}

bool writeMediaTags(const std::string& path, const TagEdit& edit) {
    TagLib::FileRef ref = openRef(path);
    if (ref.isNull() || ref.tag() == nullptr || ref.file()->readOnly()) {
        return false;
    }
    apply(*ref.tag(), edit);
    return ref.save();
}

}  // namespace tags
