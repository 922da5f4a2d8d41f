#pragma once
#include "objdb/qeldatabase.h"

#include <memory>
#include <string>

// The demo's object database: opened, or created with the demo schema and sample data when the
// file is missing. A file that is no object database is refused, never overwritten.
struct DemoDatabase {
    std::unique_ptr<TQelDatabase> db;
    std::string path;
    bool created = false;
    long long objectCount = 0;
    std::string error; // non-empty: the file could not be opened or created (names file and cause)
};

DemoDatabase openDemoDatabase(const std::string& path, int persons = 200, int firms = 20);
