// Hostile Vorbis setup headers and Ogg pages, one broken property each, with both ends of every
// accepted range.
#include "plix/desktop/PlixVorbis.h"
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <iterator>

using namespace mediafiles;
using namespace testsupport;

namespace {

std::string bgm; // the game's own music, read before the test leaves the build directory

class OggTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        bgm = testsupport::readFile("resource/sound/bgm.ogg");
        ASSERT_GT(bgm.size(), 10000u);
    }
};

std::string setupSays(const SetupHeader& s) {
    const std::string bytes = s.bytes();
    return said(vorbisSetupProblem(bytesOf(bytes), bytes.size(), s.channels));
}
SetupHeader setup(void (*change)(SetupHeader&)) {
    SetupHeader s;
    change(s);
    return s;
}

TEST_F(OggTest, VorbisSetupHeadersAreTakenOnlyWhenEveryPartIsThereAndInRange) {
    using S = SetupHeader;
    const std::string past = "names a codebook past the last, 1";
    // clang-format off
    const std::pair<void (*)(S&), std::string> cases[] = {
        {[](S&) {}, TAKEN},
        {[](S& s) { s.channels = 2, s.mappings[0].coupling = {{0, 1}}; }, TAKEN},
        {[](S& s) { s.channels = 2, s.mappings[0].submaps = 2, s.mappings[0].mux = {0, 1}; }, TAKEN},
        {[](S& s) { s.books[0] = Codebook{1, 4, {}, true, 1, {1, 1, 2}}; }, TAKEN},
        {[](S& s) { s.books[0].entries = 3, s.books[0].lengths = {1, 0, 1}; }, TAKEN},
        {[](S& s) { s.books[0].entries = 1, s.books[0].lengths = {1}, s.residues[0].classes = 1; }, TAKEN},
        // One word of each length from 1 to 31 bits and two of 32: a whole code.
        {[](S& s) { std::vector<uint32_t> runs(31, 1); runs.push_back(2); s.books[0] = Codebook{1, 33, {}, true, 1, runs}; }, TAKEN},
        {[](S& s) { s.books[1].lookup = 2; }, TAKEN},
        {[](S& s) { s.books[0] = Codebook{2, 4, {2, 2, 2, 2}, false, 1, {}, 0}; }, TAKEN},
        {[](S& s) { s.residues[0].partition = 2; }, TAKEN}, {[](S& s) { s.residues[0].type = 0; }, TAKEN},
        {[](S& s) { s.floors[0] = Floor{1, std::vector<int>(21, 0), 3, 0, 0, {0}, 7, {}}; for (uint32_t x = 2; x < 65; ++x) s.floors[0].x.push_back(x); }, TAKEN},
        {[](S& s) { s.books[0].lengths = {2, 2}; }, "codebook 0 has codeword lengths that leave its code unfilled"},
        {[](S& s) { s.books[1].sync = 0x564343; }, "codebook 1 has no sync pattern"},
        {[](S& s) { s.books[1].dimensions = 0; }, "codebook 1 has 0 dimensions and 4 entries"},
        {[](S& s) { s.books[0].entries = 0, s.books[0].lengths = {}; }, "codebook 0 has 1 dimensions and 0 entries"},
        {[](S& s) { s.books[0].entries = 3, s.books[0].lengths = {1, 1, 1}; }, "codebook 0 has more codewords than its lengths allow"},
        {[](S& s) { s.books[0].lengths = {0, 0}; }, "codebook 0 has no entry in use"},
        {[](S& s) { s.books[0] = Codebook{1, 4, {}, true, 1, {5}}; }, "codebook 0 has more lengths than entries"},
        {[](S& s) { s.books[0] = Codebook{1, 2, {}, true, 32, {0, 2}}; }, "codebook 0 has codewords of 33 bits"},
        {[](S& s) { s.books[1].lookup = 3; }, "codebook 1 has lookup type 3"},
        {[](S& s) { s.books[1] = Codebook{16, 65537, {}, true, 17, {65537}, 1}; }, "codebook 1 has 65537 x 16 values"},
        {[](S& s) { s.transform = 1; }, "a time transform is not 0"},
        {[](S& s) { s.floors[0].type = 0; }, "floor 0 is of type 0, not 1"},
        {[](S& s) { s.floors[0].type = 2; }, "floor 0 is of type 2, not 1"},
        {[](S& s) { s.floors[0].subBooks = {2}; }, "floor 0 " + past},
        {[](S& s) { s.floors[0].subclasses = 1, s.floors[0].masterbook = 2, s.floors[0].subBooks = {0, -1}; }, "floor 0 " + past},
        {[](S& s) { s.floors[0] = Floor{1, std::vector<int>(22, 0), 3, 0, 0, {0}, 7, {}}; for (uint32_t x = 2; x < 68; ++x) s.floors[0].x.push_back(x); }, "floor 0 has more than 65 points"},
        {[](S& s) { s.floors[0].classDimensions = 2, s.floors[0].x = {5, 5}; }, "floor 0 has two points at 5"},
        {[](S& s) { s.floors[0].x = {0}; }, "floor 0 has two points at 0"},
        {[](S& s) { s.residues[0].type = 3; }, "residue 0 is of type 3"},
        {[](S& s) { s.residues[0].begin = 65; }, "residue 0 begins at 65 after its end"},
        {[](S& s) { s.residues[0].classBook = 2; }, "residue 0 " + past},
        {[](S& s) { s.residues[0].classes = 3; }, "residue 0 has 3 classes, more than its class book can code"},
        {[](S& s) { s.residues[0].passBook = {2, -1}; }, "residue 0 " + past},
        {[](S& s) { s.residues[0].passBook = {0, -1}; }, "residue 0 reads vectors from codebook 0, which has none"},
        {[](S& s) { s.residues[0].partition = 3; }, "residue 0 has partitions of 3, not whole vectors of codebook 1"},
        {[](S& s) { s.mappings[0].type = 1; }, "mapping 0 is not of type 0"},
        {[](S& s) { s.channels = 2, s.mappings[0].coupling = {{1, 1}}; }, "mapping 0 couples channels 1 and 1"},
        {[](S& s) { s.channels = 3, s.mappings[0].coupling = {{0, 3}}; }, "mapping 0 couples channels 0 and 3"},
        {[](S& s) { s.mappings[0].reserved = 2; }, "mapping 0 has its reserved bits set"},
        {[](S& s) { s.channels = 2, s.mappings[0].submaps = 2, s.mappings[0].mux = {0, 2}; }, "mapping 0 puts channel 1 in a submap past the last"},
        {[](S& s) { s.mappings[0].floor = 1; }, "mapping 0 names a floor past the last, 0"},
        {[](S& s) { s.mappings[0].residue = 1; }, "mapping 0 names a residue past the last, 0"},
        {[](S& s) { s.modeWindow = 1; }, "mode 0 is not of type 0"},
        {[](S& s) { s.modeMapping = 1; }, "mode 0 names a mapping past the last, 0"},
        {[](S& s) { s.framing = 0; }, "it has no framing bit"},
    };
    // clang-format on
    for (const auto& [change, why] : cases)
        EXPECT_EQ(setupSays(setup(change)), why);
    // Cut anywhere, the header is refused, and nothing is read past the cut.
    const std::string whole = SetupHeader{}.bytes();
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_NE(said(vorbisSetupProblem(bytesOf(whole), n, 1)), TAKEN) << n << " bytes";
    EXPECT_EQ(said(vorbisSetupProblem(bytesOf("\3vorbis"), 7, 1)), "it is no setup header");
}

// The id header's byte at `at` set to value, on the first page.
std::string idByte(size_t at, uint8_t value) {
    std::vector<Page> ps = pages(bgm);
    ps[0].body[at] = char(value);
    return join(ps);
}
// A comment header: its vendor string's length, the vendor and one comment.
std::string comment(uint32_t vendorLength) {
    return "\3vorbis" + le(vendorLength, 4) + "zv" + le(1, 4) + le(3, 4) + "a=b\1";
}

TEST_F(OggTest, OggFilesAreTakenOnlyWithWholePagesInOrderAndEveryStreamsHeadersSound) {
    const std::vector<Page> ps = pages(bgm);
    const std::string first = ps[0].bytes(), one = "stream 1 of 1 ";
    // A whole page, checksum and all, inside an audio page's body.
    std::vector<Page> hid = ps, inserted = ps, gap = ps, twice = ps, version = ps, noComment = ps;
    const std::string inner = pageOf({"x"}, 2, 77, 0, 0).bytes();
    hid[5].body.replace(100, inner.size(), inner);
    size_t hiddenAt = hid[5].header.size() + 100;
    for (int i = 0; i < 5; ++i)
        hiddenAt += hid[i].bytes().size();
    // One flipped bit in the third page: its checksum fails, and the reader skips to the next 'O'.
    std::string damaged = bgm;
    const size_t thirdAt = first.size() + ps[1].bytes().size();
    damaged[thirdAt + 100] ^= 1;
    const size_t skipped = damaged.find('O', thirdAt + 1) - thirdAt;
    inserted.insert(inserted.begin() + 4, pageOf({"x"}, 0, 99, 0, 0));
    gap.erase(gap.begin() + 1); // the comment and setup page lost
    twice.push_back(ps[0]);     // the same stream begun again
    version[3].header[4] = 1;
    noComment[1].body[0] = 4;
    std::string between = bgm;
    between.insert(first.size(), "junk");
    const std::string chained = bend(bgm, 2, 44100, 0x5a5a5a5a);
    const std::string rates = "Hz, not 4000 to 192000", blocks = "samples, not 2^6 to 2^13";
    const std::pair<std::string, std::string> cases[] = {
        {bgm, TAKEN},
        {bgm.substr(0, bgm.size() / 2), TAKEN},
        {bgm + chained, TAKEN},
        {bend(bgm, 2, 4000), TAKEN},
        {bend(bgm, 2, 192000), TAKEN},
        {withSetup(idByte(11, 1), SetupHeader{}.bytes(), 8), TAKEN},
        {idByte(28, 0xd6), TAKEN},
        {idByte(28, 0xbb), TAKEN},
        {withSetup(bgm, setup([](SetupHeader& s) { s.channels = 2; }).bytes(), 8), TAKEN},
        {withSetup(bgm, "", 8, comment(2)), TAKEN},
        {"not music at all", TAKEN},
        {bgm.substr(0, 1000), TAKEN},
        {bend(bgm, 2, 3999), one + "has a rate of 3999 " + rates},
        {bend(bgm, 2, 192001), one + "has a rate of 192001 " + rates},
        {bend(bgm, 2, 0), one + "has a rate of 0 " + rates},
        {idByte(11, 0), one + "has 0 channels, not 1 or 2"},
        {idByte(11, 3), one + "has 3 channels, not 1 or 2"},
        {idByte(28, 0xb5), one + "has blocks of 2^5 and 2^11 " + blocks},
        {idByte(28, 0xe8), one + "has blocks of 2^8 and 2^14 " + blocks},
        {idByte(28, 0x8b), one + "has blocks of 2^11 and 2^8 " + blocks},
        {idByte(29, 0), one + "has no framing bit after its identification"},
        {idByte(7, 1), one + "is of Vorbis version 1, not 0"},
        {idByte(1, 'V'), one + "is not Vorbis"},
        {join(noComment), one + "has no comment header after its identification"},
        {withSetup(bgm, "", 8, comment(3)), one + "has a comment header the decoder cannot read"},
        {withSetup(
             bgm,
             setup([](SetupHeader& s) { s.channels = 2, s.residues[0].partition = 3; }).bytes(), 8),
         one + "has a setup header the decoder cannot use: residue 0 has partitions of 3, not "
               "whole vectors of codebook 1"},
        {bgm + bend(bgm, 2, 11, 0x5a5a5a5a), "stream 2 of 2 has a rate of 11 " + rates},
        {bgm + chained.substr(0, 300), "stream 2 of 2 ends in its headers"},
        {join(twice), "stream 2 of 2 repeats an earlier serial"},
        {join(gap), one + "has a gap in its headers"},
        {join(inserted), one + "is interleaved with another stream"},
        {join(version), one + "has a page of another Ogg version"},
        {join(hid), "the file hides a page inside another at byte " + std::to_string(hiddenAt)},
        {damaged, "the file holds " + std::to_string(skipped) + " bytes that are no page at byte " +
                      std::to_string(thirdAt)},
        {"junk" + bgm, "the file holds 4 bytes that are no page at byte 0"},
        {between,
         "the file holds 4 bytes that are no page at byte " + std::to_string(first.size())},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(said(oggProblem(bytesOf(cases[i].first), cases[i].first.size())), cases[i].second)
            << "case " << i;
}

} // namespace
