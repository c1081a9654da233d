#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/EqualizerLevels.h"
#include "app/ListColumns.h"
#include "app/PanelPoints.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"

namespace app {
namespace {

// Parses and formats again: the text back when readable, nothing otherwise.
template <typename T>
std::function<std::optional<std::string>(const std::string&)> roundTrip() {
    return [](const std::string& text) -> std::optional<std::string> {
        const auto value = T::parse(text);
        return value ? std::optional(value->format()) : std::nullopt;
    };
}

struct FormatCase {
    const char* what;
    std::function<std::optional<std::string>(const std::string&)> read;
    std::string text;
    std::optional<std::string> expected;  // nothing: refused
};

TEST(SettingFormatsTest, ReadOnlyWhatIsWellFormed) {
    const auto placement = roundTrip<WindowPlacement>();
    const auto columns = roundTrip<ListColumns>();
    const auto points = roundTrip<PanelPoints>();
    const auto levels = roundTrip<EqualizerLevels>();
    const FormatCase cases[] = {
        {"placement", placement, "0:5:-1:-1:-8:-8:10:20:310:220", "0:5:-1:-1:-8:-8:10:20:310:220"},
        {"placement in %i forms", placement, "0x2:05:0:0:0:0:+1:2:3:4", "2:5:0:0:0:0:1:2:3:4"},
        {"placement of nine numbers", placement, "0:5:0:0:0:0:1:2:3", std::nullopt},
        {"placement with more", placement, "0:5:0:0:0:0:1:2:3:4:5", std::nullopt},
        {"placement with a space", placement, "0:5:0:0:0:0:1:2:3: 4", std::nullopt},
        {"placement beyond 32 bits", placement, "0:5:0:0:0:0:1:2:3:4294967296", std::nullopt},
        {"placement with a bad octal", placement, "0:5:0:0:0:0:1:2:3:08", std::nullopt},
        {"placement empty", placement, "", std::nullopt},
        {"columns", columns, "(1,24)(2,-100)", "(1,24)(2,-100)"},
        {"columns none", columns, "", ""},
        {"columns unclosed", columns, "(1,24)(2,100", std::nullopt},
        {"columns separated", columns, "(1,24),(2,100)", std::nullopt},
        {"columns in hex", columns, "(0x1,24)", std::nullopt},
        {"points", points, "(0,0)(100,20)(-3,4)(5,6)", "(0,0)(100,20)(-3,4)(5,6)"},
        {"points three", points, "(0,0)(100,20)(-3,4)", std::nullopt},
        {"points five", points, "(0,0)(1,1)(2,2)(3,3)(4,4)", std::nullopt},
        {"levels", levels, "0,-12,12,0,0,0,0,0,0,3", "0,-12,12,0,0,0,0,0,0,3"},
        {"levels nine", levels, "0,0,0,0,0,0,0,0,0", std::nullopt},
        {"levels trailing comma", levels, "0,0,0,0,0,0,0,0,0,0,", std::nullopt},
        {"levels double sign", levels, "0,0,0,0,0,0,0,0,0,--1", std::nullopt},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(c.read(c.text), c.expected) << c.what << ": " << c.text;
    }
}

TEST(SettingFormatsTest, ListViewsTakeTheirColumnCounts) {
    const std::string libraryDefault(settings::kLibraryItemPosition.defaultValue);
    const std::string recordDefault(settings::kRecordItemPosition.defaultValue);
    struct Case {
        const char* what;
        bool recording;
        std::string stored;
        std::string expected;
    } cases[] = {
        {"library as stored", false, "(2,50)(1,10)(3,1)(4,1)(5,1)(6,1)(7,1)(8,1)(9,1)",
         "(2,50)(1,10)(3,1)(4,1)(5,1)(6,1)(7,1)(8,1)(9,1)"},
        {"library short: the rest as by default", false, "(2,50)(1,10)",
         "(2,50)(1,10)(3,100)(4,100)(5,60)(6,32)(7,40)(8,40)(9,40)"},
        {"library long: nine taken", false, "(9,1)(8,1)(7,1)(6,1)(5,1)(4,1)(3,1)(2,1)(1,1)(10,1)",
         "(9,1)(8,1)(7,1)(6,1)(5,1)(4,1)(3,1)(2,1)(1,1)"},
        {"library unreadable", false, "(2,50)junk", libraryDefault},
        {"recording short: the default", true, "(1,32)(2,24)", recordDefault},
        {"recording complete", true, "(10,1)(9,1)(8,1)(7,1)(6,1)(5,1)(4,1)(3,1)(2,1)(1,1)",
         "(10,1)(9,1)(8,1)(7,1)(6,1)(5,1)(4,1)(3,1)(2,1)(1,1)"},
    };
    for (const Case& c : cases) {
        const ListColumns read = c.recording ? ListColumns::forRecording(c.stored, recordDefault)
                                             : ListColumns::forLibrary(c.stored, libraryDefault);
        EXPECT_EQ(read.format(), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace app
