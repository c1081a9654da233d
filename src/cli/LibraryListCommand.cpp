#include <charconv>
#include <cstdio>
#include <optional>
#include <sstream>

#include "cli/LibraryCommand.h"
#include "cli/TerminalText.h"
#include "mdb/ItemSearch.h"

namespace cli::library {

namespace {

constexpr std::pair<const char*, mdb::MusicInfo::Type> kFields[] = {
    {"path", mdb::MusicInfo::Path},         {"title", mdb::MusicInfo::Title},
    {"artist", mdb::MusicInfo::Artist},     {"album", mdb::MusicInfo::Album},
    {"genre", mdb::MusicInfo::Genre},       {"comment", mdb::MusicInfo::Comment},
    {"year", mdb::MusicInfo::Year},         {"track", mdb::MusicInfo::Track},
    {"time", mdb::MusicInfo::PlayTime},     {"size", mdb::MusicInfo::Size},
    {"modified", mdb::MusicInfo::Modified},
};

// Tabs and line breaks inside a text would break the line format; other
// control characters are escaped for the terminal.
std::string cell(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return terminalText(text);
}

mdb::GroupList& groupsNamed(mdb::MusicDatabase& db, const std::string& kind) {
    if (kind == "artist") {
        return db.artistGroups();
    }
    if (kind == "album") {
        return db.albumGroups();
    }
    if (kind == "genre") {
        return db.genreGroups();
    }
    throw UsageError("--by takes artist, album or genre");
}

// Orders the items for display only; the library keeps its own order.
void sortForDisplay(mdb::MusicDatabase& db, std::vector<mdb::MusicItem*>& items,
                    const std::string& spec) {
    const size_t colon = spec.find(':');
    const std::string order = colon == std::string::npos ? "asc" : spec.substr(colon + 1);
    if (order != "asc" && order != "desc") {
        throw UsageError("--sort takes FIELD, FIELD:asc or FIELD:desc");
    }
    const mdb::SortKey key(fieldNamed(spec.substr(0, colon)), order == "asc");
    auto guard = db.lock();
    mdb::sortItems(items, key);
}

std::vector<mdb::MusicItem*> itemsOf(const mdb::MusicItemList& library) {
    std::vector<mdb::MusicItem*> items;
    for (size_t i = 0; i < library.count(); ++i) {
        items.push_back(library.itemAt(i));
    }
    return items;
}

std::vector<mdb::MusicItem*> itemsOf(const mdb::Group& group) {
    std::vector<mdb::MusicItem*> items;
    for (size_t i = 0; i < group.count(); ++i) {
        items.push_back(group.itemAt(i));
    }
    return items;
}

uint32_t genreNumber(const std::string& text) {
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError("--genre takes a number");
    }
    return number;
}

std::vector<mdb::MusicCriterion> searchCriteria(const CliOptions& parsed) {
    const std::optional<std::string> fields = parsed.value("--fields");
    std::istringstream names(fields.value_or("title,artist,album,comment,path"));
    std::vector<mdb::MusicCriterion> criteria;
    for (std::string name; std::getline(names, name, ',');) {
        mdb::MusicCriterion c;
        c.mask = fieldNamed(name);
        if ((c.mask & mdb::MusicInfo::kTextFields) == 0) {
            throw UsageError("--fields takes title, artist, album, comment and path");
        }
        c.path = c.title = c.artist = c.album = c.comment = parsed.positional()[0];
        if (const std::optional<std::string> genre = parsed.value("--genre")) {
            c.mask |= mdb::MusicInfo::Genre;
            c.genre = genreNumber(*genre);
        }
        criteria.push_back(std::move(c));
    }
    if (criteria.empty()) {
        throw UsageError("--fields names no field");
    }
    return criteria;
}

}  // namespace

mdb::MusicInfo::Type fieldNamed(const std::string& name) {
    for (const auto& [fieldName, type] : kFields) {
        if (name == fieldName) {
            return type;
        }
    }
    throw UsageError("unknown field '" + name + "'");
}

void printItems(const std::vector<mdb::MusicItem*>& items) {
    for (const mdb::MusicItem* item : items) {
        const mdb::MusicInfo i = item->getInfo();
        std::printf("%s\t%s\t%s\t%s\t%u\t%s\t%u\t%u\t%u\t%u\t%u\n", cell(i.path).c_str(),
                    cell(i.title).c_str(), cell(i.artist).c_str(), cell(i.album).c_str(), i.genre,
                    cell(i.comment).c_str(), i.year, i.track, i.playTime, i.size, i.modified);
    }
}

int runList(mdb::MusicDatabase& db, const Args& args) {
    const CliOptions parsed = parseArgs(args, {"--by", "--group", "--sort"}, {});
    expectPositional(parsed, 0, 0);
    const std::optional<std::string> by = parsed.value("--by");
    const std::optional<std::string> group = parsed.value("--group");
    if (group && !by) {
        throw UsageError("--group needs --by");
    }
    if (by && !group) {
        for (const std::string& name : groupsNamed(db, *by).getNames()) {
            std::printf("%s\n", cell(name).c_str());
        }
        return 0;
    }
    std::vector<mdb::MusicItem*> items =
        by ? itemsOf(groupsNamed(db, *by).get(*group)) : itemsOf(db.library());
    if (const std::optional<std::string> sort = parsed.value("--sort")) {
        sortForDisplay(db, items, *sort);
    }
    printItems(items);
    return 0;
}

int runSearch(mdb::MusicDatabase& db, const Args& args) {
    const CliOptions parsed = parseArgs(args, {"--fields", "--genre"}, {"--exact"});
    expectPositional(parsed, 1, 1);
    const std::vector<mdb::MusicCriterion> criteria = searchCriteria(parsed);
    std::vector<mdb::MusicItem*> found;
    db.library().findAll(criteria, parsed.flag("--exact"), found);
    printItems(found);
    return 0;
}

}  // namespace cli::library
