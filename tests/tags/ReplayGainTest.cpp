#include "tags/ReplayGain.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "support/Files.h"
#include "support/TagFixtures.h"
#include "support/TempDir.h"

namespace {

using Levels = std::array<std::optional<double>, 4>;  // track gain, peak, album gain, peak

Levels levelsOf(const std::string& path) {
    const tags::ReplayGain g = tags::readReplayGain(path);
    return {g.trackGainDb, g.trackPeak, g.albumGainDb, g.albumPeak};
}

// Files as taggers leave them: ffmpeg writes Xiph comments, mutagen the
// ID3v2, APE and MP4 tags.
class ReplayGainTest : public testing::Test {
  protected:
    void SetUp() override {
        if (testsupport::shell("ffmpeg -version").exitCode != 0 || !tagfixtures::haveMutagen()) {
            GTEST_SKIP() << "ffmpeg or python3-mutagen is not installed (scripts/deps.sh)";
        }
    }

    // A short tone through ffmpeg, tagged by its options, then by mutagen.
    std::string Tagged(const std::string& name, const std::string& options,
                       const std::string& script = "") {
        const auto path = dir_.path() / name;
        const auto run =
            testsupport::shell("ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=0.3 " +
                               options + " '" + path.string() + "' 2>&1");
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_TRUE(script.empty() || tagfixtures::mutagen(script, path));
        return path.string();
    }

    testsupport::TempDir dir_;
};

TEST_F(ReplayGainTest, Mp3TakesId3v2FramesInAnyCaseAndApeItemsForTheRest) {
    const std::string both = Tagged("both.mp3", "", R"(
from mutagen.id3 import TXXX
t = ID3()
t.add(TXXX(encoding=1, desc='replaygain_track_gain', text='-6.54 dB'))
t.add(TXXX(encoding=0, desc='ReplayGain_Track_Peak', text='0.987654'))
t.save(p, v2_version=3)
t = APEv2()
t['REPLAYGAIN_TRACK_GAIN'] = '-1.00 dB'
t['replaygain_album_gain'] = ' +1.20 db '
t.save(p)
)");
    EXPECT_EQ(levelsOf(both), (Levels{-6.54, 0.987654, 1.2, {}}));
}

TEST_F(ReplayGainTest, XiphCommentsMp4AtomsAndOpusR128Gains) {
    const std::string levels =
        " -metadata REPLAYGAIN_TRACK_GAIN='-6.54 dB' -metadata replaygain_track_peak=0.5"
        " -metadata REPLAYGAIN_ALBUM_GAIN='+1.20 DB' -metadata REPLAYGAIN_ALBUM_PEAK=0.75";
    EXPECT_EQ(levelsOf(Tagged("a.flac", levels)), (Levels{-6.54, 0.5, 1.2, 0.75}));
    EXPECT_EQ(levelsOf(Tagged("a.ogg", "-c:a libvorbis" + levels)),
              (Levels{-6.54, 0.5, 1.2, 0.75}));

    // -2560 is -10 dB towards -23 LUFS, so -5 dB towards ReplayGain's -18;
    // elsewhere R128 fields are nobody's.
    const std::string r128 =
        " -metadata R128_TRACK_GAIN=-2560 -metadata REPLAYGAIN_TRACK_GAIN=-1"
        " -metadata R128_ALBUM_GAIN=x -metadata REPLAYGAIN_ALBUM_GAIN=-3";
    EXPECT_EQ(levelsOf(Tagged("a.opus", "-c:a libopus" + r128)), (Levels{-5.0, {}, -3.0, {}}));
    EXPECT_EQ(levelsOf(Tagged("r128.flac", r128)), (Levels{-1.0, {}, -3.0, {}}));

    const std::string m4a = Tagged("a.m4a", "-c:a aac", R"(
from mutagen.mp4 import MP4, MP4FreeForm
t = MP4(p)
t['----:com.apple.iTunes:replaygain_track_gain'] = [MP4FreeForm(b'-6.54 dB')]
t['----:com.apple.iTunes:REPLAYGAIN_TRACK_PEAK'] = [MP4FreeForm(b'0.987654')]
t['----:org.example:replaygain_album_gain'] = [MP4FreeForm(b'-7.00 dB')]
t.save()
)");
    EXPECT_EQ(levelsOf(m4a), (Levels{-6.54, 0.987654, {}, {}})) << "only iTunes's names";
}

TEST_F(ReplayGainTest, GarbageAndUnreadableFilesGiveNothing) {
    const std::string garbage =
        Tagged("bad.flac",
               "-metadata REPLAYGAIN_TRACK_GAIN='1,5 dB' -metadata REPLAYGAIN_TRACK_PEAK=-0.5"
               " -metadata REPLAYGAIN_ALBUM_GAIN='nan dB' -metadata REPLAYGAIN_ALBUM_PEAK=0x1");
    EXPECT_EQ(levelsOf(garbage), Levels{});
    const auto text = dir_.path() / "text.mp3";
    testsupport::writeText(text, "REPLAYGAIN_TRACK_GAIN=-6 dB\n");
    EXPECT_EQ(levelsOf(text.string()), Levels{});
    EXPECT_EQ(levelsOf((dir_.path() / "missing.flac").string()), Levels{});
}

}  // namespace
