#include <taglib/apetag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <cctype>

#include "tags/ExtendedTags.h"
#include "tags/Id3v2Footer.h"
#include "tags/TagGenre.h"
#include "tags/TagLibText.h"

namespace tags {

namespace {

std::string frameText(const TagLib::ID3v2::TextIdentificationFrame& frame) {
    const bool latin1 = frame.textEncoding() == TagLib::String::Latin1;
    std::string text;
    for (const TagLib::String& field : frame.fieldList()) {
        text += (text.empty() ? "" : " / ") + (latin1 ? fromLatin1Field(field) : fromTagLib(field));
    }
    return text;
}

const TagLib::ID3v2::TextIdentificationFrame* textFrame(const TagLib::ID3v2::Tag& tag,
                                                        const char* id) {
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()[id];
    return frames.isEmpty()
               ? nullptr
               : dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
}

std::string text(const TagLib::ID3v2::Tag& tag, const char* id) {
    const auto* frame = textFrame(tag, id);
    return frame ? frameText(*frame) : std::string();
}

// The leading decimal digits: "2004-05-03" is 2004, "7/12" is 7.
int leadingNumber(const std::string& text) {
    int value = 0;
    for (size_t i = 0;
         i < text.size() && i < 9 && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int genre(const TagLib::ID3v2::Tag& tag) {
    const auto* frame = textFrame(tag, "TCON");
    if (!frame) {
        return kNoGenre;
    }
    for (const TagLib::String& field : frame->fieldList()) {
        const int number = genreNumber(fromTagLib(field));
        if (number != kNoGenre) {
            return number;
        }
    }
    return kNoGenre;
}

// The comment without a description; described ones hold data of other
// programs (normalisation, lyrics tools).
std::string comment(const TagLib::ID3v2::Tag& tag) {
    for (const TagLib::ID3v2::Frame* frame : tag.frameListMap()["COMM"]) {
        const auto* c = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (c && c->description().isEmpty()) {
            return c->textEncoding() == TagLib::String::Latin1 ? fromLatin1Field(c->text())
                                                               : fromTagLib(c->text());
        }
    }
    return {};
}

TagFields id3v2Fields(const TagLib::ID3v2::Tag& tag) {
    TagFields f;
    f.title = text(tag, "TIT2");
    f.artist = text(tag, "TPE1");
    f.album = text(tag, "TALB");
    f.year = leadingNumber(text(tag, "TDRC"));
    f.track = leadingNumber(text(tag, "TRCK"));
    f.genre = genre(tag);
    f.comment = comment(tag);
    return f;
}

TagFields apeFields(TagLib::APE::Tag& tag) {
    TagFields f;
    f.title = fromTagLib(tag.title());
    f.artist = fromTagLib(tag.artist());
    f.album = fromTagLib(tag.album());
    f.comment = fromTagLib(tag.comment());
    f.year = static_cast<int>(tag.year() % 10000);
    f.track = static_cast<int>(tag.track() % 10000);
    f.genre = genreNumber(fromTagLib(tag.genre()));
    return f;
}

TagFields id3v2Of(TagLib::MPEG::File& file, int& version) {
    if (!file.hasID3v2Tag()) {
        return {};
    }
    TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
    version = static_cast<int>(tag.header()->majorVersion());
    return id3v2Fields(tag);
}

std::string orElse(std::string first, std::string second) {
    return first.empty() ? second : first;
}

TagFields preferFirst(TagFields first, const TagFields& second) {
    first.title = orElse(first.title, second.title);
    first.artist = orElse(first.artist, second.artist);
    first.album = orElse(first.album, second.album);
    first.comment = orElse(first.comment, second.comment);
    first.year = first.year ? first.year : second.year;
    first.track = first.track ? first.track : second.track;
    first.genre = first.genre != kNoGenre ? first.genre : second.genre;
    return first;
}

}  // namespace

ExtendedTags readExtendedTags(const std::string& path) {
    TagLib::MPEG::File file(path.c_str(), false);
    ExtendedTags tags;
    if (!file.isValid()) {
        return tags;
    }
    TagFields id3v2, ape;
    if (const auto padded = tagWithFooterAsPadding(path)) {
        TagLib::ByteVectorStream head(
            TagLib::ByteVector(padded->data(), static_cast<unsigned>(padded->size())));
        TagLib::MPEG::File headFile(&head, TagLib::ID3v2::FrameFactory::instance(), false);
        id3v2 = id3v2Of(headFile, tags.id3v2Version);
    } else {
        id3v2 = id3v2Of(file, tags.id3v2Version);
    }
    if (file.hasAPETag()) {
        tags.ape = true;
        ape = apeFields(*file.APETag());
    }
    tags.fields = preferFirst(id3v2, ape);
    return tags;
}

}  // namespace tags
