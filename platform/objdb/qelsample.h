#pragma once
// The demo schema (schemas/demo.qelschema, compiled in) and a generator of sample objects for the
// demo, tests and benchmarks.
#include "objdb/qelkeys.h"

#include <string>
#include <vector>

class TQelDatabase;

const std::string& QelDemoSchemaText();
inline const char* const QelDemoSchemaFile = "demo.qelschema";

struct TQelSampleOptions {
    int persons = 200;
    int firms = 20;
    unsigned seed = 1;
    // Elements per person: addresses (with one standard address) and phone numbers, 0..max each.
    int maxAddresses = 3;
    int maxPhones = 2;
};

struct TQelSampleResult {
    std::vector<TQelObjectKey> persons;
    std::vector<TQelObjectKey> firms;
};

// Creates sample firms and persons of the demo schema in one transaction and frees them from
// memory again. The same seed gives the same data. Throws TQelError when storing fails.
TQelSampleResult QelGenerateSampleData(TQelDatabase& db, const TQelSampleOptions& options = {});
