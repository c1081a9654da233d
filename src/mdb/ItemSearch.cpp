#include "mdb/ItemSearch.h"

#include <algorithm>
#include <stdexcept>

#include "mdb/TextRules.h"

namespace mdb {

namespace {

constexpr MusicInfo::Type kTextTypes[] = {MusicInfo::Path, MusicInfo::Title, MusicInfo::Artist,
                                          MusicInfo::Album, MusicInfo::Comment};
constexpr MusicInfo::Type kNumberTypes[] = {MusicInfo::Genre, MusicInfo::Year,
                                            MusicInfo::Track, MusicInfo::PlayTime,
                                            MusicInfo::Size,  MusicInfo::Modified};

template <typename Record>
auto& textOf(Record& c, MusicInfo::Type type) {
    switch (type) {
        case MusicInfo::Path:
            return c.path;
        case MusicInfo::Title:
            return c.title;
        case MusicInfo::Artist:
            return c.artist;
        case MusicInfo::Album:
            return c.album;
        default:
            return c.comment;
    }
}

uint32_t numberOf(const MusicCriterion& c, MusicInfo::Type type) {
    switch (type) {
        case MusicInfo::Genre:
            return c.genre;
        case MusicInfo::Year:
            return c.year;
        case MusicInfo::Track:
            return c.track;
        case MusicInfo::PlayTime:
            return c.playTime;
        case MusicInfo::Size:
            return c.size;
        default:
            return c.modified;
    }
}

}  // namespace

SortKey::SortKey(MusicInfo::Type type, bool ascending) : type_(type), ascending_(ascending) {
    if (!isSingleType(type)) {
        throw std::invalid_argument("Invalid MusicInfo::Type.");
    }
}

bool SortKey::isText() const {
    return (type_ & (MusicInfo::kTextFields | MusicInfo::Genre)) != 0;
}

bool SortKey::operator()(const MusicItem& a, const MusicItem& b) const {
    const MusicItem& first = ascending_ ? a : b;
    const MusicItem& second = ascending_ ? b : a;
    if (isText()) {
        return toLowerAscii(first.text(type_)) < toLowerAscii(second.text(type_));
    }
    return first.number(type_) < second.number(type_);
}

ItemMatcher::ItemMatcher(const std::vector<MusicCriterion>& criteria, bool exact) : exact_(exact) {
    for (const MusicCriterion& c : criteria) {
        Prepared prepared;
        for (const MusicInfo::Type type : kTextTypes) {
            if ((c.mask & type) != 0) {
                prepared.texts.emplace_back(type, toLowerAscii(textOf(c, type)));
            }
        }
        for (const MusicInfo::Type type : kNumberTypes) {
            if ((c.mask & type) != 0) {
                prepared.numbers.emplace_back(type, numberOf(c, type));
            }
        }
        criteria_.push_back(std::move(prepared));
    }
}

bool ItemMatcher::matches(const MusicItem& item) const {
    const auto test = [this, &item](MusicInfo::Type type, const std::string& wanted) {
        const std::string_view value = item.text(type);
        return exact_ ? equalsIgnoreCase(value, wanted) : containsIgnoreCase(value, wanted);
    };
    return std::any_of(criteria_.begin(), criteria_.end(),
                       [&](const Prepared& c) { return matchesOne(c, item, test); });
}

bool ItemMatcher::matches(const SearchIndex::Fields& fields, const MusicItem& item) const {
    const auto test = [this, &fields](MusicInfo::Type type, const std::string& wanted) {
        const std::string_view value = fields[type];
        return exact_ ? value == wanted : value.find(wanted) != std::string_view::npos;
    };
    return std::any_of(criteria_.begin(), criteria_.end(),
                       [&](const Prepared& c) { return matchesOne(c, item, test); });
}

// Text fields are tested first: only then is the item itself read.
template <typename TextTest>
bool ItemMatcher::matchesOne(const Prepared& criterion, const MusicItem& item,
                             const TextTest& test) const {
    for (const auto& [type, wanted] : criterion.texts) {
        if (!test(type, wanted)) {
            return false;
        }
    }
    for (const auto& [type, wanted] : criterion.numbers) {
        if (item.number(type) != wanted) {
            return false;
        }
    }
    return true;
}

}  // namespace mdb
