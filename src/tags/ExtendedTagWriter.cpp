#include <taglib/apetag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <memory>

#include "tags/ExtendedTags.h"
#include "tags/Id3v2Footer.h"
#include "tags/TagGenre.h"
#include "tags/TagLibText.h"

namespace tags {

namespace {

using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::TextIdentificationFrame;

bool isAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// ASCII stays ISO-8859-1 for the oldest readers; other text is UTF-16 in
// ID3v2.3, which knows no UTF-8, and UTF-8 in 2.4.
TagLib::String::Type encodingFor(const std::string& text, TagLib::ID3v2::Version version) {
    if (isAscii(text)) {
        return TagLib::String::Latin1;
    }
    return version == TagLib::ID3v2::v4 ? TagLib::String::UTF8 : TagLib::String::UTF16;
}

// Replaces every frame of the id with one holding text; empty text removes them.
void setText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text,
             TagLib::ID3v2::Version version) {
    tag.removeFrames(id);
    if (text.empty()) {
        return;
    }
    auto frame = std::make_unique<TextIdentificationFrame>(id, encodingFor(text, version));
    frame->setText(toTagLib(text));
    tag.addFrame(frame.release());
}

// Keeps a track total ("7/12") that the edit does not know of.
std::string trackText(const TagLib::ID3v2::Tag& tag, int track) {
    if (track <= 0) {
        return {};
    }
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()["TRCK"];
    const std::string old =
        frames.isEmpty() ? std::string() : fromTagLib(frames.front()->toString());
    const size_t slash = old.find('/');
    return std::to_string(track) + (slash == std::string::npos ? "" : old.substr(slash));
}

// Only the comment without a description is the user's; described ones
// belong to other programs and stay.
void setComment(TagLib::ID3v2::Tag& tag, const std::string& text, TagLib::ID3v2::Version version) {
    TagLib::ByteVector language("eng");
    const TagLib::ID3v2::FrameList frames = tag.frameListMap()["COMM"];
    for (TagLib::ID3v2::Frame* frame : frames) {
        const auto* c = dynamic_cast<CommentsFrame*>(frame);
        if (c && c->description().isEmpty()) {
            language = c->language();
            tag.removeFrame(frame);
        }
    }
    if (text.empty()) {
        return;
    }
    auto frame = std::make_unique<CommentsFrame>(encodingFor(text, version));
    frame->setLanguage(language);
    frame->setText(toTagLib(text));
    tag.addFrame(frame.release());
}

void applyToId3v2(TagLib::ID3v2::Tag& tag, const TagEdit& e, TagLib::ID3v2::Version v) {
    if (e.title)
        setText(tag, "TIT2", *e.title, v);
    if (e.artist)
        setText(tag, "TPE1", *e.artist, v);
    if (e.album)
        setText(tag, "TALB", *e.album, v);
    // TagLib writes the 2.4 date frame as the 2.3 year frame.
    if (e.year)
        setText(tag, "TDRC", *e.year > 0 ? std::to_string(*e.year) : std::string(), v);
    if (e.track)
        setText(tag, "TRCK", trackText(tag, *e.track), v);
    if (e.genre)
        setText(tag, "TCON", *e.genre == kNoGenre ? std::string() : genreText(*e.genre), v);
    if (e.comment)
        setComment(tag, *e.comment, v);
}

void applyToApe(TagLib::APE::Tag& tag, const TagEdit& e) {
    if (e.title)
        tag.setTitle(toTagLib(*e.title));
    if (e.artist)
        tag.setArtist(toTagLib(*e.artist));
    if (e.album)
        tag.setAlbum(toTagLib(*e.album));
    if (e.year)
        tag.setYear(static_cast<unsigned>(std::max(*e.year, 0)));
    if (e.track)
        tag.setTrack(static_cast<unsigned>(std::max(*e.track, 0)));
    if (e.genre)
        tag.setGenre(*e.genre == kNoGenre ? TagLib::String() : toTagLib(genreText(*e.genre)));
    if (e.comment)
        tag.setComment(toTagLib(*e.comment));
}

// An ID3v2 tag is damaged when it claims more bytes than the file holds
// (saving replaces the bytes it claims, and the audio with them) or when
// TagLib found it behind other bytes instead of at the start, where it may
// overlap an APE tag that the save then writes into it.
bool damagedId3v2(TagLib::MPEG::File& file) {
    if (!file.hasID3v2Tag()) {
        return false;
    }
    file.seek(0);
    return file.readBlock(3) != TagLib::ID3v2::Header::fileIdentifier() ||
           file.ID3v2Tag()->header()->completeTagSize() > static_cast<unsigned>(file.length());
}

bool sameText(const std::optional<std::string>& wanted, const std::string& read) {
    return !wanted || *wanted == read;
}

// TagLib rewrites some damaged tags where it no longer finds them, or lets
// one tag overwrite the other; such a save has failed, and the caller's
// copy is dropped. Years past four digits are left out of the comparison.
bool readsAsEdited(const std::string& path, int which, const TagEdit& e) {
    const ExtendedTags saved = readExtendedTags(path);
    const TagFields& f = saved.fields;
    const bool yearShown = !e.year || *e.year <= 0 || *e.year > 9999 || *e.year == f.year;
    return (!(which & TagLib::MPEG::File::ID3v2) || saved.id3v2Version != 0) &&
           (!(which & TagLib::MPEG::File::APE) || saved.ape) && sameText(e.title, f.title) &&
           sameText(e.artist, f.artist) && sameText(e.album, f.album) &&
           sameText(e.comment, f.comment) && yearShown;
}

// Saves the edit into the tags the file has; `which` tells which those
// are. The file is closed, and so written out, on return.
bool saveEdit(const std::string& path, const TagEdit& edit, int& which) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid() || file.readOnly() || damagedId3v2(file)) {
        return false;
    }
    TagLib::ID3v2::Version version = TagLib::ID3v2::v3;
    if (file.hasID3v2Tag()) {
        TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
        if (tag.header()->majorVersion() == 4) {
            version = TagLib::ID3v2::v4;
        }
        applyToId3v2(tag, edit, version);
        which |= TagLib::MPEG::File::ID3v2;
    }
    if (file.hasAPETag()) {
        applyToApe(*file.APETag(), edit);
        which |= TagLib::MPEG::File::APE;
    }
    // The ID3v1 block is the caller's, written with its own text rules.
    return which == TagLib::MPEG::File::NoTags ||
           file.save(which, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate);
}

}  // namespace

bool writeExtendedTags(const std::string& path, const TagEdit& edit) {
    int which = TagLib::MPEG::File::NoTags;
    return turnFooterIntoPadding(path) && saveEdit(path, edit, which) &&
           (which == TagLib::MPEG::File::NoTags || readsAsEdited(path, which, edit));
}

}  // namespace tags
