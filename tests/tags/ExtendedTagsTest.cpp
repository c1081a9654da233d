#include "tags/ExtendedTags.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/Files.h"
#include "support/TagFixtures.h"
#include "support/TempDir.h"

namespace {

using namespace tagfixtures;

// 夜明けのうた in CP932, as a Japanese ripper puts it into an ISO-8859-1 frame.
const Bytes kCp932Title = {0x96, 0xe9, 0x96, 0xbe, 0x82, 0xaf, 0x82, 0xcc, 0x82, 0xa4, 0x82, 0xbd};
const std::string kLongTitle = "夜明けのうた、三十バイトでは終わらない長い題名";

Bytes utf16(std::u16string_view text) {
    Bytes out{0xFF, 0xFE};
    for (const char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

Bytes text(uint8_t encoding, const Bytes& payload) {
    return Bytes{encoding} + payload;
}

class ExtendedTagsTest : public testing::Test {
  protected:
    // The fixture's audio behind `head`.
    std::string Mp3With(const Bytes& head, const std::string& name = "song.mp3") {
        const auto path = dir_.path() / name;
        testsupport::writeBytes(
            path, head + testsupport::readBytes(std::filesystem::path(MP3_FIXTURE_DIR) /
                                                "v1_44k_joint_128.mp3"));
        return path.string();
    }

    void SetUp() override {
        if (!haveMutagen()) {
            GTEST_SKIP() << "python3-mutagen is not installed (scripts/deps.sh)";
        }
    }

    testsupport::TempDir dir_;
};

TEST_F(ExtendedTagsTest, Id3v22FramesWithCp932AndUtf16Text) {
    const Bytes body =
        frame(2, "TT2", text(0, kCp932Title)) + frame(2, "TP1", text(1, utf16(u"アーティスト"))) +
        frame(2, "TAL", text(0, bytes("Album"))) + frame(2, "TYE", text(0, bytes("1999"))) +
        frame(2, "TRK", text(0, bytes("3/10"))) + frame(2, "TCO", text(0, bytes("(17)"))) +
        frame(2, "COM", text(0, bytes("eng") + Bytes{0} + bytes("note")));
    const tags::ExtendedTags t = tags::readExtendedTags(Mp3With(tag(2, 0, body)));
    EXPECT_EQ(t.id3v2Version, 2);
    EXPECT_FALSE(t.ape);
    EXPECT_EQ(t.fields.title, "夜明けのうた");
    EXPECT_EQ(t.fields.artist, "アーティスト");
    EXPECT_EQ(t.fields.album, "Album");
    EXPECT_EQ(t.fields.year, 1999);
    EXPECT_EQ(t.fields.track, 3);
    EXPECT_EQ(t.fields.genre, 17);
    EXPECT_EQ(t.fields.comment, "note");
}

TEST_F(ExtendedTagsTest, Id3v24WithFooterAndUnsynchronisedId3v23) {
    const Bytes v24 = frame(4, "TIT2", text(3, bytes(kLongTitle))) +
                      frame(4, "TDRC", text(3, bytes("2004-05-03"))) +
                      frame(4, "TCON", text(3, bytes("Folk")));
    const tags::ExtendedTags footer = tags::readExtendedTags(Mp3With(tag(4, 0x10, v24), "a.mp3"));
    EXPECT_EQ(footer.id3v2Version, 4);
    EXPECT_EQ(footer.fields.title, kLongTitle);
    EXPECT_EQ(footer.fields.year, 2004);
    EXPECT_EQ(footer.fields.genre, 80);

    // The UTF-16 byte order mark holds 0xFF, so the scheme changes the bytes.
    const Bytes v23 = frame(3, "TIT2", text(1, utf16(u"ÿ夜明け"))) +
                      frame(3, "TPE1", text(0, bytes("Artist \xff")));
    const Bytes unsynced = unsynchronise(v23);
    ASSERT_NE(unsynced.size(), v23.size());
    const tags::ExtendedTags u = tags::readExtendedTags(Mp3With(tag(3, 0x80, unsynced), "b.mp3"));
    EXPECT_EQ(u.id3v2Version, 3);
    EXPECT_EQ(u.fields.title, "ÿ夜明け");
    EXPECT_EQ(u.fields.artist, "Artist ÿ");
}

TEST_F(ExtendedTagsTest, TaggerFilesWithHugePaddingAndApe) {
    const std::string padded = Mp3With({}, "padded.mp3");
    ASSERT_TRUE(mutagen(R"(
t = ID3()
t.add(TIT2(encoding=1, text=')" +
                            kLongTitle + R"('))
t.add(TPE1(encoding=0, text=bytes([0x96,0xe9,0x96,0xbe]).decode('latin-1')))
t.add(COMM(encoding=0, lang='eng', desc='iTunNORM', text=' 0000 0000'))
t.add(COMM(encoding=1, lang='jpn', desc='', text='コメント'))
t.add(TCON(encoding=0, text='(17)Rock'))
t.add(TRCK(encoding=0, text='7/12'))
t.save(p, v2_version=3, padding=lambda info: 1 << 20)
)",
                        padded));
    const tags::ExtendedTags p = tags::readExtendedTags(padded);
    EXPECT_EQ(p.id3v2Version, 3);
    EXPECT_EQ(p.fields.title, kLongTitle);
    EXPECT_EQ(p.fields.artist, "夜明");
    EXPECT_EQ(p.fields.comment, "コメント");
    EXPECT_EQ(p.fields.genre, 17);
    EXPECT_EQ(p.fields.track, 7);

    const std::string ape = Mp3With({}, "ape.mp3");
    ASSERT_TRUE(mutagen(R"(
t = APEv2()
t['Title'] = 'APE の題名'
t['Artist'] = 'Someone'
t['Year'] = '1987'
t['Track'] = '2/9'
t['Genre'] = 'Jazz'
t.save(p)
)",
                        ape));
    const tags::ExtendedTags a = tags::readExtendedTags(ape);
    EXPECT_EQ(a.id3v2Version, 0);
    EXPECT_TRUE(a.ape);
    EXPECT_EQ(a.fields.title, "APE の題名");
    EXPECT_EQ(a.fields.artist, "Someone");
    EXPECT_EQ(a.fields.year, 1987);
    EXPECT_EQ(a.fields.track, 2);
    EXPECT_EQ(a.fields.genre, 8);

    EXPECT_FALSE(tags::readExtendedTags(Mp3With({}, "plain.mp3")).present());
    EXPECT_FALSE(tags::readExtendedTags((dir_.path() / "missing.mp3").string()).present());
}

TEST_F(ExtendedTagsTest, EditsReachTheFramesOtherPlayersReadAndKeepTheRest) {
    const std::string path = Mp3With({}, "edit.mp3");
    ASSERT_TRUE(mutagen(R"(
t = ID3()
t.add(TIT2(encoding=0, text='Old'))
t.add(TPE1(encoding=0, text=bytes([0x96,0xe9,0x96,0xbe]).decode('latin-1')))
t.add(TRCK(encoding=0, text='3/12'))
t.add(COMM(encoding=0, lang='eng', desc='iTunNORM', text='0000'))
t.add(COMM(encoding=0, lang='eng', desc='', text='old comment'))
t.save(p, v2_version=3)
)",
                        path));
    tags::TagEdit edit;
    edit.title = kLongTitle;
    edit.album = "Album";
    edit.year = 2001;
    edit.track = 4;
    edit.genre = 17;
    edit.comment = "new";
    ASSERT_TRUE(tags::writeExtendedTags(path, edit));

    // Read as stored: mutagen would otherwise show 2.3 frames as 2.4 ones.
    const auto seen = mutagen(R"(
t = ID3(p, translate=False)
print(t.version[1])
print(int(t['TIT2'].encoding), t['TIT2'].text[0])
print(int(t['TPE1'].encoding), t['TPE1'].text[0].encode('latin-1').hex())
print(t['TALB'].text[0], t['TYER'].text[0], t['TRCK'].text[0], t['TCON'].text[0])
print(t["COMM::eng"].text[0], t["COMM:iTunNORM:eng"].text[0])
)",
                              path);
    ASSERT_TRUE(seen);
    EXPECT_EQ(*seen,
              "3\n"
              "1 " +
                  kLongTitle +
                  "\n"
                  "0 96e996be\n"
                  "Album 2001 4/12 Rock\n"
                  "new 0000\n");

    // Emptied fields leave the tag; a 2.4 tag stays 2.4.
    tags::TagEdit clear;
    clear.title = "";
    clear.year = 0;
    ASSERT_TRUE(tags::writeExtendedTags(path, clear));
    const auto cleared =
        mutagen("t = ID3(p, translate=False)\nprint('TIT2' in t, 'TYER' in t, 'TALB' in t)", path);
    EXPECT_EQ(cleared, "False False True\n");

    const std::string v24 = Mp3With({}, "v24.mp3");
    ASSERT_TRUE(mutagen("t = ID3()\nt.add(TIT2(encoding=3, text='x'))\nt.save(p)", v24));
    edit.comment.reset();
    ASSERT_TRUE(tags::writeExtendedTags(v24, edit));
    EXPECT_EQ(
        mutagen("t = ID3(p)\nprint(t.version[1], int(t['TIT2'].encoding), t['TDRC'].text[0])", v24),
        "4 3 2001\n");

    // The frame TagLib alone would lose behind a footer stays.
    const std::string footer = Mp3With(
        tag(4, 0x10,
            frame(4, "TIT2", text(3, bytes("x"))) + frame(4, "TCON", text(3, bytes("Folk")))),
        "footer.mp3");
    tags::TagEdit title;
    title.title = kLongTitle;
    ASSERT_TRUE(tags::writeExtendedTags(footer, title));
    EXPECT_EQ(mutagen("t = ID3(p)\nprint(t['TIT2'].text[0], t['TCON'].text[0])", footer),
              kLongTitle + " Folk\n");

    // A tag that claims 250 MB, with or without a footer, is refused: the
    // file neither grows to match nor loses its audio to the save.
    for (const uint8_t flags : {uint8_t{0}, uint8_t{0x10}}) {
        Bytes huge = tag(4, flags, frame(4, "TIT2", text(3, bytes("x"))));
        huge[6] = 0x77;
        const std::string claimed = Mp3With(huge, "claimed.mp3");
        const Bytes before = testsupport::readBytes(claimed);
        EXPECT_FALSE(tags::writeExtendedTags(claimed, title));
        EXPECT_TRUE(testsupport::readBytes(claimed) == before) << int{flags};
    }
}

}  // namespace
