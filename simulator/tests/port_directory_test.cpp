// SPDX-License-Identifier: MIT
#include "kestsim/port_directory.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <thread>

namespace kestsim {
namespace {

namespace fs = std::filesystem;

std::string target(const fs::path &link) { return fs::read_symlink(link).string(); }

// Points TMPDIR somewhere of the test's own for as long as it lives.
class ScopedTmpDir {
public:
    ScopedTmpDir()
    {
        char pattern[] = "/tmp/kestsim-tmpdir-XXXXXX";
        path_ = mkdtemp(pattern);
        if (const char *old = getenv("TMPDIR"))
            old_ = old;
        setenv("TMPDIR", path_.c_str(), 1);
    }
    ~ScopedTmpDir()
    {
        if (old_) {
            setenv("TMPDIR", old_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        fs::remove_all(path_);
    }
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
    std::optional<std::string> old_;
};

TEST(PortDirectory, MakesItsOwnDirectoryUnderTmpdirAndRemovesIt)
{
    ScopedTmpDir tmp;
    fs::path made;
    {
        PortDirectory directory;
        made = directory.path();
        EXPECT_EQ(made.parent_path(), tmp.path());
        EXPECT_TRUE(made.filename().string().starts_with("kestsim."));
        directory.link(3, "/dev/null");
        EXPECT_TRUE(fs::is_symlink(directory.linkPath(3)));
    }
    EXPECT_FALSE(fs::exists(made));
}

TEST(PortDirectory, LinksAnyPortNumberAndRepointsIt)
{
    PortDirectory directory;
    directory.link(2, "/dev/pts/100");
    directory.link(10, "/dev/pts/101");
    EXPECT_EQ(target(directory.path() / "COM2"), "/dev/pts/100");
    EXPECT_EQ(target(directory.path() / "COM10"), "/dev/pts/101");

    directory.link(2, "/dev/pts/102");
    EXPECT_EQ(target(directory.path() / "COM2"), "/dev/pts/102");

    directory.unlink(10);
    EXPECT_FALSE(fs::is_symlink(directory.path() / "COM10"));
    // Nothing but the links themselves is left lying about.
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.path()), fs::directory_iterator()), 1);
    EXPECT_THROW(directory.link(0, "/dev/null"), std::invalid_argument);
}

TEST(PortDirectory, ALinkBeingRepointedIsNeverMissing)
{
    PortDirectory directory;
    directory.link(4, "/dev/pts/200");
    std::atomic<bool> done{false};
    std::atomic<int> missing{0};
    std::thread watcher([&] {
        const auto link = directory.linkPath(4);
        while (!done) {
            std::error_code error;
            if (fs::read_symlink(link, error).empty() || error)
                ++missing;
        }
    });
    for (int i = 0; i < 500; ++i)
        directory.link(4, "/dev/pts/" + std::to_string(200 + i % 2));
    done = true;
    watcher.join();
    EXPECT_EQ(missing, 0);
}

TEST(PortDirectory, InAGivenDirectoryRemovesOnlyItsOwnLinks)
{
    ScopedTmpDir tmp;
    const auto given = tmp.path() / "ports";
    fs::create_directory(given);
    std::ofstream(given / "notes.txt") << "keep me";
    {
        PortDirectory directory(given);
        directory.link(5, "/dev/null");
    }
    EXPECT_FALSE(fs::exists(given / "COM5"));
    EXPECT_TRUE(fs::exists(given / "notes.txt"));

    const auto fresh = tmp.path() / "fresh" / "ports";
    {
        PortDirectory directory(fresh);
        directory.link(6, "/dev/null");
    }
    EXPECT_FALSE(fs::exists(fresh));
}

} // namespace
} // namespace kestsim
