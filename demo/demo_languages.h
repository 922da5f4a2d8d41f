#pragma once
class TQelDatabase;

// The languages of the sample data, and the first persons' knowledge of them.
void seedLanguages(TQelDatabase& db);
