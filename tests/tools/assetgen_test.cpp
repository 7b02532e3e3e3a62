// The generator: a rerun reproduces the committed assets, and a bad output root fails cleanly.
#include "AssetFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>

namespace fs = std::filesystem;

static int runGenerator(const std::string& args) {
    const int status =
        std::system((std::string(ZORVANE_ASSETGEN) + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static std::set<std::string> filesUnder(const fs::path& root, const std::string& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root / dir))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).string());
    return out;
}

TEST(Generator, RerunReproducesEveryCommittedFile) {
    const fs::path fresh = testsupport::makeTempDir("assetgen"), kept = ZORVANE_SOURCE_DIR;
    ASSERT_EQ(runGenerator(fresh.string()), 0);
    for (const std::string dir : {"resource", "packaging/icons"}) {
        const std::set<std::string> made = filesUnder(fresh, dir);
        EXPECT_EQ(made, filesUnder(kept, dir)) << "the committed " << dir << " is out of step";
        for (const std::string& f : made) {
            SCOPED_TRACE(f);
            if (fs::path(f).extension() == ".ogg") // libvorbis may change the bytes, not the length
                EXPECT_EQ(assets::decodeOgg(fresh / f).size(), assets::decodeOgg(kept / f).size());
            else
                EXPECT_TRUE(testsupport::readFile(fresh / f) == testsupport::readFile(kept / f));
        }
    }
    fs::remove_all(fresh);
}

TEST(Generator, RefusesAMissingOrUncreatableOutputRoot) {
    EXPECT_EQ(runGenerator(""), 2);
    EXPECT_EQ(runGenerator("a b"), 2);
    // A root below a plain file cannot be created: a clean failure, not a crash.
    const fs::path dir = testsupport::makeTempDir("assetgen-bad");
    ASSERT_TRUE(std::ofstream(dir / "file") << "x");
    EXPECT_EQ(runGenerator((dir / "file" / "out").string()), 1);
    fs::remove_all(dir);
}
