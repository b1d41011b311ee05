#pragma once

// A temporary folder that lives as long as its owner, a test or a fixture: made under the system
// temporary folder, and removed with everything in it when the owner goes, so a test that stops
// at a failed assertion leaves no files behind either.
//
//     test_support::TempDir folder("recordings");
//     record_to(folder.path() + "/news.avi");

#include "TempHome.h"

#include <string>

namespace test_support {

class TempDir {
public:
    explicit TempDir(const char* prefix)
        : m_path(make_temp_dir(prefix))
    {
    }
    ~TempDir() { remove_temp_dir(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // A file or folder `name` in it.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}
