#pragma once
// A fresh folder of the test's own under the temporary directory: made by mkdtemp (a name nobody
// had, mode 0700), removed with everything in it when the object goes.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class PrivateDir {
public:
    explicit PrivateDir(const std::string& prefix = "qel_test")
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
        if (!::mkdtemp(tmpl.data()))
            throw std::runtime_error("no private temporary folder: " + tmpl);
        path_ = tmpl;
    }
    ~PrivateDir()
    {
        std::error_code ec;
        // A test may have taken the owner's rights away from the folder to see a write fail.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    PrivateDir(const PrivateDir&) = delete;
    PrivateDir& operator=(const PrivateDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path for a file of that name inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
