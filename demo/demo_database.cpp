#include "demo_database.h"

#include "objdb/qelerror.h"
#include "objdb/qelsample.h"

#include <filesystem>

DemoDatabase openDemoDatabase(const std::string& path, int persons, int firms)
{
    namespace fs = std::filesystem;
    DemoDatabase d;
    d.path = path;
    std::error_code ec;
    d.created = !fs::exists(path, ec);
    if (d.created) {
        const fs::path dir = fs::path(path).parent_path();
        if (!dir.empty())
            fs::create_directories(dir, ec);
    }
    d.db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.schemaText = QelDemoSchemaText();
    o.schemaFile = QelDemoSchemaFile;
    o.create = d.created;
    try {
        d.db->Open(path, o);
        if (d.created) {
            TQelSampleOptions sample;
            sample.persons = persons;
            sample.firms = firms;
            QelGenerateSampleData(*d.db, sample);
        }
        d.objectCount = d.db->CountObjects();
    } catch (const TQelOpenError& e) {
        d.error = e.what();
    } catch (const std::exception& e) {
        d.error = path + ": Beispieldaten konnten nicht angelegt werden: " + e.what();
    }
    if (!d.error.empty()) {
        d.db.reset();
        if (d.created)
            fs::remove(path, ec); // leave no half-made file behind
    }
    return d;
}
