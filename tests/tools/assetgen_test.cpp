// The generator: a rerun reproduces the committed assets, and it fails cleanly on a bad output
// root.
#include "AssetFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

int runGenerator(const std::string& args) {
    const int status =
        std::system((std::string(ZORVANE_ASSETGEN) + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every file below root/dir, by path relative to root.
std::set<std::string> filesUnder(const fs::path& root, const std::string& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root / dir))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).string());
    return out;
}

} // namespace

TEST(Generator, RerunReproducesEveryCommittedFile) {
    const fs::path fresh = testsupport::makeTempDir("assetgen");
    ASSERT_EQ(runGenerator(fresh.string()), 0);
    const fs::path committed = ZORVANE_SOURCE_DIR;
    for (const std::string dir : {"resource", "packaging/icons"}) {
        const std::set<std::string> made = filesUnder(fresh, dir),
                                    kept = filesUnder(committed, dir);
        EXPECT_EQ(made, kept) << "the committed " << dir << " is out of step with the generator";
        for (const std::string& f : made) {
            if (!kept.count(f)) continue;
            SCOPED_TRACE(f);
            if (fs::path(f).extension() == ".ogg") {
                // The encoder's bytes may change with libvorbis; the music's length may not.
                const assets::Pcm a = assets::decodeOgg((fresh / f).string());
                const assets::Pcm b = assets::decodeOgg((committed / f).string());
                EXPECT_EQ(a.error, "");
                EXPECT_EQ(b.error, "");
                EXPECT_EQ(a.frames, b.frames);
                EXPECT_EQ(a.samples.size(), b.samples.size());
            } else {
                EXPECT_TRUE(assets::bytesOf((fresh / f).string()) ==
                            assets::bytesOf((committed / f).string()));
            }
        }
    }
    fs::remove_all(fresh);
}

TEST(Generator, RefusesAMissingOrUnwritableOutputRoot) {
    EXPECT_EQ(runGenerator(""), 2);
    EXPECT_EQ(runGenerator("a b"), 2);
    // A root below a plain file cannot be created: a clean failure, not a crash.
    const fs::path dir = testsupport::makeTempDir("assetgen-bad");
    const fs::path blocker = dir / "file";
    {
        std::FILE* f = std::fopen(blocker.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    EXPECT_EQ(runGenerator((blocker / "out").string()), 1);
    fs::remove_all(dir);
}
