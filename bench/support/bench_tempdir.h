// A fresh private folder (mode 0700, made by mkdtemp) for a benchmark program's files, made once
// per process and removed with everything in it when the program ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qel::bench {

inline const std::filesystem::path& PrivateDir()
{
    struct Dir {
        std::filesystem::path path;
        Dir()
        {
            std::string tmpl = (std::filesystem::temp_directory_path() / "qel_bench.XXXXXX").string();
            if (!::mkdtemp(tmpl.data()))
                throw std::runtime_error("no private temporary folder: " + tmpl);
            path = tmpl;
        }
        ~Dir()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Dir dir;
    return dir.path;
}

} // namespace qel::bench
