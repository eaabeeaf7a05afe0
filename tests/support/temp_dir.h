// A fresh directory under $TMPDIR (or /tmp), removed with its contents when
// the object goes out of scope.
#pragma once

#include <string>

namespace test_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace test_support
