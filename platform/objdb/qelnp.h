#pragma once
// German noun phrases for classes, field types and views: "die gewählte Person", "Neuen Filter",
// "diese Filter", "weitere Adresse". The nouns come from the schema (noun, gender, plural and,
// where it differs, the genitive singular; docs/schema.md); a class or type without noun
// information uses its name as a neuter noun with an unchanged plural.
//
// The adjective argument is a comma-separated list: an article first when wanted ("d" definite,
// "dies" demonstrative, "ein" indefinite, "kein"), then adjective stems ("gewählt", "neu",
// "abgeleitet", "weiter", "ander"); each is declined for case, gender and number (strong without
// article, weak after "d" and "dies", mixed after "ein" and "kein"). When the first token is
// written with a capital letter ("D", "Neu"), the phrase starts with one.
#include "objdb/qelkeys.h"

#include <string>

struct TQelNameInfo {
    std::string noun; // "Person"
    char gender = 'n'; // 'm', 'f' or 'n'
    std::string plural; // "Personen"; empty: same as the singular
    std::string genitive; // genitive singular; empty: the regular form (+"s" for 'm' and 'n')
};

// Grammatical case: 1 nominative, 2 genitive, 3 dative, 4 accusative (others count as 1).
// `singular` false gives the plural. `gender` is used when `info` has no noun.
std::string FreeMakeNP(const TQelNameInfo& info, const std::string& adjective, int casus = 1,
    bool singular = true, char gender = 'm');
// The noun information of a class or field type of the current database (the view class has
// "Filter"); a key that names neither gives an empty noun.
TQelNameInfo GetNameInfo(TQelKey key);
// Noun information as an application writes it for a control: the noun, then the forms as in a
// schema file ("Wohnsitz gender=m plural=Wohnsitze"; "noun=Wohnsitz" names the noun too). What
// the text leaves out comes from `fallback` when its noun is the same, else from a class or field
// type of the current database with that noun, else from the defaults (neuter, plural as the
// singular). A text without a noun gives `fallback`.
TQelNameInfo ParseNameInfo(const std::string& text, const TQelNameInfo& fallback);
// FreeMakeNP over GetNameInfo(key).
std::string MakeNP(
    TQelKey key, const std::string& adjective, int casus = 1, bool singular = true, char gender = 'm');
