#include "mdb/ItemSearch.h"

#include <algorithm>
#include <stdexcept>

#include "mdb/GroupList.h"
#include "mdb/MusicDatabase.h"
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

ItemMatcher::ItemMatcher(const std::vector<MusicCriterion>& criteria, bool exact,
                         const MusicDatabase* groups)
    : exact_(exact) {
    for (const MusicCriterion& c : criteria) {
        Prepared prepared;
        for (const MusicInfo::Type type : kTextTypes) {
            if ((c.mask & type) == 0) {
                continue;
            }
            std::string wanted = toLowerAscii(textOf(c, type));
            const bool grouped = type == MusicInfo::Artist || type == MusicInfo::Album;
            if (groups != nullptr && grouped) {
                const GroupKind kind =
                    type == MusicInfo::Artist ? GroupKind::Artist : GroupKind::Album;
                prepared.groups.emplace_back(
                    kind, groups->groups(kind).groupsWhere(
                              [&](const std::string& name) { return test(name, wanted); }));
            } else {
                prepared.texts.emplace_back(type, std::move(wanted));
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
    return std::any_of(criteria_.begin(), criteria_.end(),
                       [&](const Prepared& c) { return matchesOne(c, item); });
}

bool ItemMatcher::test(std::string_view value, const std::string& wanted) const {
    return exact_ ? equalsIgnoreCase(value, wanted) : containsIgnoreCase(value, wanted);
}

bool ItemMatcher::matchesOne(const Prepared& criterion, const MusicItem& item) const {
    for (const auto& [type, wanted] : criterion.texts) {
        if (!test(item.text(type), wanted)) {
            return false;
        }
    }
    for (const auto& [kind, matching] : criterion.groups) {
        if (!matching.contains(item.group(kind))) {
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
