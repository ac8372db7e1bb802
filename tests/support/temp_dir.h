#pragma once
// A fresh temporary folder for one test, removed with everything in it.
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() joined with a relative name.
    std::string file(const std::string& name) const;
    // Writes bytes to a file under the folder; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string read_whole_file(const std::string& path);
