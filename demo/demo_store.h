#pragma once
#include <string>

// The demo's database file: opened, or created with sample data when missing.
struct DemoStore {
    std::string path;
    bool created = false;
    long long objectCount = 0;
    std::string error; // non-empty: the file could not be opened or created
};

DemoStore openDemoStore(const std::string& path);
