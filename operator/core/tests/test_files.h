// Files for the tests: a folder of their own that goes away afterwards, and
// whole-file reads and writes.
#pragma once

#include <string>

namespace kestrix::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);

} // namespace kestrix::test
