#include "app/LibrarySearch.h"

#include "mdb/Group.h"
#include "mdb/MusicDatabase.h"

namespace app {

namespace {

constexpr bool kContains = false;

void setField(mdb::MusicCriterion& c, mdb::MusicInfo::Type type, const std::string& text) {
    switch (type) {
        case mdb::MusicInfo::Title:
            c.title = text;
            break;
        case mdb::MusicInfo::Album:
            c.album = text;
            break;
        case mdb::MusicInfo::Artist:
            c.artist = text;
            break;
        case mdb::MusicInfo::Comment:
            c.comment = text;
            break;
        default:
            c.path = text;
            break;
    }
}

template <typename List>
std::optional<size_t> firstFrom(const List& list, const std::vector<mdb::MusicCriterion>& criteria,
                                size_t start) {
    size_t index = mdb::kNoIndex;
    if (start >= list.count() || !list.findFirst(criteria, kContains, start, index)) {
        return std::nullopt;
    }
    return index;
}

}  // namespace

std::vector<mdb::MusicCriterion> LibrarySearch::criteriaOf(const Query& query) {
    std::vector<mdb::MusicCriterion> criteria;
    for (const auto type : {mdb::MusicInfo::Title, mdb::MusicInfo::Album, mdb::MusicInfo::Artist,
                            mdb::MusicInfo::Comment, mdb::MusicInfo::Path}) {
        if ((query.fields & type) == 0) {
            continue;
        }
        mdb::MusicCriterion c;
        setField(c, type, query.text);
        c.mask = type;
        if (query.genre != kAnyGenre) {
            c.genre = static_cast<uint32_t>(query.genre);
            c.mask |= mdb::MusicInfo::Genre;
        }
        criteria.push_back(std::move(c));
    }
    return criteria;
}

std::optional<size_t> LibrarySearch::findNext(mdb::MusicDatabase& db, const Query& query) {
    if (last_ != query) {
        next_ = 0;
        last_ = query;
    }
    const std::vector<mdb::MusicCriterion> criteria = criteriaOf(query);
    const std::optional<size_t> hit = query.list != nullptr
                                          ? firstFrom(*query.list, criteria, next_)
                                          : firstFrom(db.library(), criteria, next_);
    next_ = hit ? *hit + 1 : 0;
    return hit;
}

std::vector<mdb::MusicItem*> LibrarySearch::findAll(mdb::MusicDatabase& db, const Query& query) {
    const std::vector<mdb::MusicCriterion> criteria = criteriaOf(query);
    std::vector<mdb::MusicItem*> hits;
    if (query.list != nullptr) {
        query.list->findAll(criteria, kContains, hits);
    } else {
        db.library().findAll(criteria, kContains, hits);
    }
    return hits;
}

}  // namespace app
