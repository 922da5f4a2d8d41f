#pragma once
// Text work on the conditions of stored views: parameters (":<field>") and table prefixes are
// found only outside quoted SQL strings and quoted names.
#include <string>
#include <utility>
#include <vector>

class TQelFieldList;
class TQelKlasse;
class TQelSQLDialect;

// Puts the values of `params` (quoted by `dialect`) in place of every ":<field>" that names a field
// of `paramClass`; a field `params` lacks or leaves empty gives NULL. Other names stay as written.
std::string QelFillViewParams(const std::string& condition, const TQelKlasse* paramClass,
    const TQelFieldList* params, const TQelSQLDialect& dialect);
// Writes `prefix` for every "<table>." in front of a name (the table matched without regard to
// case).
std::string QelReplaceTablePrefix(
    const std::string& condition, const std::string& table, const std::string& prefix);
// The "<field>=<value>" pairs of an instance text ("Ort=Bonn, PLZ=53111") whose field belongs to
// `paramClass`, with their field's own spelling; a ", " not followed by such a pair belongs to the
// value before it.
std::vector<std::pair<std::string, std::string>> QelSplitInstanceText(
    const std::string& text, const TQelKlasse* paramClass);
