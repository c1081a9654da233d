#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRun.h"

namespace {

// A shell script that starts a long conversion into `folder`, waits until
// its temporary is being written, sends `signal` and prints the exit code.
std::string interrupted(const testsupport::TempDir& folder, const std::string& signal) {
    const std::string out = quoted(folder / "long.mp3");
    const std::string script = std::string(MELODUX_CLI) + " convert ::SLNC3600000 " + out +
                               " >/dev/null 2>&1 & p=$!; " + "for i in $(seq 200); do ls " +
                               quoted(folder.path()) +
                               " | grep -q '^Nx.*\\.tmp$' && break; sleep 0.05; done; " + "kill -" +
                               signal + " $p; wait $p; echo $?";
    TempSettings::folder();
    return testsupport::shell("sh -c " + quoted(script)).out;
}

TEST(CliConvert, AnEmptyNameIsAUsageErrorThatWritesAndPlaysNothing) {
    TempSettings settings;
    const testsupport::TempDir dir;
    const auto in = quoted(dir / "in.wav");
    ASSERT_EQ(cli("convert ::SLNC100 " + in).exitCode, 0);
    for (const std::string& arguments : {"convert " + in + " ''", "convert '' " + in}) {
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_EQ(run.out.find("Started"), std::string::npos) << run.out;
    }
    EXPECT_EQ(dir.names(), std::vector<std::string>{"in.wav"});
}

// Every stop signal drops the partial output; a kill that cannot be caught
// leaves the temporary, which the next conversion into the folder removes.
TEST(CliConvert, StopSignalsLeaveNoTemporaryAndDeadWritersTemporariesGo) {
    TempSettings settings;
    const testsupport::TempDir dir;
    for (const auto& [signal, code] : {std::pair{"TERM", "143"}, {"HUP", "129"}, {"INT", "130"}}) {
        EXPECT_EQ(interrupted(dir, signal), std::string(code) + "\n") << signal;
        EXPECT_TRUE(dir.names().empty()) << signal;
    }
    EXPECT_EQ(interrupted(dir, "KILL"), "137\n");
    ASSERT_EQ(dir.names().size(), 1u);
    ASSERT_EQ(cli("convert ::SLNC100 " + quoted(dir / "next.wav")).exitCode, 0);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"next.wav"});
}

}  // namespace
