#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "stream/CNxSSComponent.h"
#include "stream/CNxSSComponentCatalog.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSInfo.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"

namespace apptest {

struct FakeTag {
    std::string title, artist, album, comment;
    int32_t year = 0, track = 0, genre = CNxSSInfo::kNoGenre;
};

// What a fake reader knows of one file, and what was done to it.
struct FakeFile {
    FakeTag tag;
    int32_t lengthMs = 0;
    uint64_t size = 0;
    CNxSSInfo::Kind kind = CNxSSInfo::kId3v1;
    uint32_t writeResult = 0;  // what WriteTag answers
    bool throwOnRead = false;  // getters throw CNxSSException
    std::vector<std::string> calls;
    int commits = 0;
};

// The information object of a fake file: tags from FakeFile, edits kept
// until WriteTag stores them.
class FakeInfo : public CNxSSInfo {
  public:
    FakeInfo(CNxSSComponent* owner, std::shared_ptr<FakeFile> file)
        : CNxSSInfo(owner), file_(std::move(file)), pending_(file_->tag) {}

    Kind GetKind() const override { return file_->kind; }
    std::string GetTitle() const override { return checked(file_->tag.title); }
    std::string GetArtist() const override { return file_->tag.artist; }
    std::string GetAlbum() const override { return file_->tag.album; }
    std::string GetComment() const override { return file_->tag.comment; }
    int32_t GetYear() const override { return file_->tag.year; }
    int32_t GetTrack() const override { return file_->tag.track; }
    int32_t GetGenre() const override { return file_->tag.genre; }
    uint64_t GetFileSize() const override { return file_->size; }

    void SetTitle(std::string_view text) override { note("title", pending_.title, text); }
    void SetArtist(std::string_view text) override { note("artist", pending_.artist, text); }
    void SetAlbum(std::string_view text) override { note("album", pending_.album, text); }
    void SetYear(int32_t year) override {
        file_->calls.push_back("year");
        pending_.year = year;
    }
    void SetComment(std::string_view text, int32_t track) override {
        note("comment+track", pending_.comment, text);
        pending_.track = track;
    }
    void SetGenre(int32_t genre) override {
        file_->calls.push_back("genre");
        pending_.genre = genre;
    }
    uint32_t WriteTag() override {
        ++file_->commits;
        if (!nxss::failed(file_->writeResult)) {
            file_->tag = pending_;
        }
        return file_->writeResult;
    }

  private:
    std::string checked(const std::string& text) const {
        if (file_->throwOnRead) {
            throw CNxSSException(nxss::kBadRiff);
        }
        return text;
    }
    void note(const char* what, std::string& field, std::string_view text) {
        file_->calls.push_back(what);
        field = std::string(text);
    }

    std::shared_ptr<FakeFile> file_;
    FakeTag pending_;
};

// A source that only answers questions about its file.
class FakeSource : public CNxSSComponent {
  public:
    FakeSource(CNxSSObject* parent, std::shared_ptr<FakeFile> file)
        : CNxSSComponent(parent), file_(std::move(file)) {}
    int32_t GetLength() override { return file_->lengthMs; }
    uint32_t GetInfo(NxRef<CNxSSInfo>& info) override {
        info = MakeNx<FakeInfo>(this, file_);
        return 0;
    }

  private:
    std::shared_ptr<FakeFile> file_;
};

// Fake files by path, handed to managers through a catalog's MP3 entry.
class FakeMusicFiles {
  public:
    std::shared_ptr<FakeFile> add(const std::string& path) {
        auto& file = (*files_)[path];
        file = std::make_shared<FakeFile>();
        return file;
    }

    // Sees files added later too.
    CNxSSComponentCatalog catalog() const {
        CNxSSComponentCatalog catalog;
        catalog.mp3 = [files = files_](CNxSSManager& manager,
                                       const std::string& name) -> NxRef<CNxSSComponent> {
            const auto it = files->find(name);
            if (it == files->end()) {
                throw CNxSSException(nxss::kNoDecoder);
            }
            return MakeNx<FakeSource>(&manager, it->second);
        };
        return catalog;
    }

  private:
    std::shared_ptr<std::map<std::string, std::shared_ptr<FakeFile>>> files_ =
        std::make_shared<std::map<std::string, std::shared_ptr<FakeFile>>>();
};

}  // namespace apptest
