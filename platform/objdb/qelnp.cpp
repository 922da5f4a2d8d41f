#include "objdb/qelnp.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelschema.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <array>
#include <vector>

namespace {

enum class TArticle { None, Definite, Demonstrative, Indefinite, Negative };
enum class TDeclension { Strong, Weak, Mixed };

// Rows: masculine, feminine, neuter, plural; columns: nominative, genitive, dative, accusative.
using TTable = std::array<std::array<const char*, 4>, 4>;

constexpr TTable kDefinite = { { { "der", "des", "dem", "den" }, { "die", "der", "der", "die" },
    { "das", "des", "dem", "das" }, { "die", "der", "den", "die" } } };
// Endings of "dies-", "jen-", "jed-", "welch-" and of strong adjectives differ only in the
// masculine and neuter genitive.
constexpr TTable kDerWord = { { { "er", "es", "em", "en" }, { "e", "er", "er", "e" },
    { "es", "es", "em", "es" }, { "e", "er", "en", "e" } } };
constexpr TTable kEinWord = { { { "", "es", "em", "en" }, { "e", "er", "er", "e" }, { "", "es", "em", "" },
    { "e", "er", "en", "e" } } };
constexpr TTable kStrong = { { { "er", "en", "em", "en" }, { "e", "er", "er", "e" },
    { "es", "en", "em", "es" }, { "e", "er", "en", "e" } } };
constexpr TTable kWeak = { { { "e", "en", "en", "en" }, { "e", "en", "en", "e" }, { "e", "en", "en", "e" },
    { "en", "en", "en", "en" } } };
constexpr TTable kMixed = { { { "er", "en", "en", "en" }, { "e", "en", "en", "e" },
    { "es", "en", "en", "es" }, { "en", "en", "en", "en" } } };

bool startsUpper(const std::string& s)
{
    if (s.empty())
        return false;
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (c >= 'A' && c <= 'Z')
        return true;
    // Ä, Ö, Ü in UTF-8
    return c == 0xC3 && s.size() > 1
        && (static_cast<unsigned char>(s[1]) == 0x84 || static_cast<unsigned char>(s[1]) == 0x96
            || static_cast<unsigned char>(s[1]) == 0x9C);
}

// The first letter in lower (or upper) case; ASCII letters and the umlauts.
std::string caseFirst(std::string s, bool toUpper)
{
    if (s.empty())
        return s;
    unsigned char& c = reinterpret_cast<unsigned char&>(s[0]);
    if (toUpper && c >= 'a' && c <= 'z')
        c = static_cast<unsigned char>(c - 'a' + 'A');
    else if (!toUpper && c >= 'A' && c <= 'Z')
        c = static_cast<unsigned char>(c - 'A' + 'a');
    else if (c == 0xC3 && s.size() > 1) {
        unsigned char& d = reinterpret_cast<unsigned char&>(s[1]);
        if (toUpper && (d == 0xA4 || d == 0xB6 || d == 0xBC))
            d = static_cast<unsigned char>(d - 0x20);
        else if (!toUpper && (d == 0x84 || d == 0x96 || d == 0x9C))
            d = static_cast<unsigned char>(d + 0x20);
    }
    return s;
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TArticle articleOf(const std::string& word)
{
    if (word == "d")
        return TArticle::Definite;
    if (word == "dies" || word == "jen" || word == "jed" || word == "welch")
        return TArticle::Demonstrative;
    if (word == "ein")
        return TArticle::Indefinite;
    if (word == "kein")
        return TArticle::Negative;
    return TArticle::None;
}

// A stem and its ending; a stem ending in "e" takes an ending starting with "e" without doubling it.
std::string decline(const std::string& stem, const std::string& ending)
{
    if (!ending.empty() && ending[0] == 'e' && endsWith(stem, "e"))
        return stem + ending.substr(1);
    return stem + ending;
}

std::string nounForm(const TQelNameInfo& info, char gender, int c, bool singular)
{
    const std::string& noun = info.noun;
    if (noun.empty())
        return {};
    if (!singular) {
        const std::string plural = info.plural.empty() ? noun : info.plural;
        if (c == 3 && !endsWith(plural, "n") && !endsWith(plural, "s"))
            return plural + "n";
        return plural;
    }
    if (gender == 'f' || c == 1)
        return noun;
    if (!info.genitive.empty()) {
        if (c == 2)
            return info.genitive;
        // Nouns of the weak declension ("des Kunden", "des Namens") keep the -n in dative and
        // accusative: "dem Kunden", "den Namen".
        if (gender == 'm' && endsWith(info.genitive, "ns"))
            return info.genitive.substr(0, info.genitive.size() - 1);
        if (gender == 'm' && endsWith(info.genitive, "n"))
            return info.genitive;
        return noun;
    }
    if (c != 2)
        return noun;
    for (const char* sibilant : { "s", "ß", "x", "z" })
        if (endsWith(noun, sibilant))
            return noun + "es";
    return noun + "s";
}

} // namespace

std::string FreeMakeNP(
    const TQelNameInfo& info, const std::string& adjective, int casus, bool singular, char gender)
{
    const int c = casus >= 1 && casus <= 4 ? casus : 1;
    char g = info.noun.empty() ? gender : info.gender;
    if (g != 'm' && g != 'f' && g != 'n')
        g = 'm';
    const std::size_t row = !singular ? 3 : g == 'm' ? 0 : g == 'f' ? 1 : 2;
    const std::size_t col = static_cast<std::size_t>(c - 1);

    std::vector<std::string> words;
    // Words are separated by commas; blanks separate them too.
    for (const std::string& token : SplitString(adjective, ", \t\r\n"))
        if (std::string t = Trim(token); !t.empty())
            words.push_back(t);
    const bool capital = !words.empty() && startsUpper(words.front());
    for (std::string& w : words)
        w = caseFirst(w, false);

    std::vector<std::string> parts;
    TDeclension declension = TDeclension::Strong;
    std::size_t first = 0;
    if (!words.empty()) {
        const TArticle article = articleOf(words.front());
        if (article != TArticle::None)
            first = 1;
        switch (article) {
        case TArticle::Definite:
            parts.push_back(kDefinite[row][col]);
            declension = TDeclension::Weak;
            break;
        case TArticle::Demonstrative:
            parts.push_back(words.front() + kDerWord[row][col]);
            declension = TDeclension::Weak;
            break;
        case TArticle::Indefinite:
            // "ein" has no plural: the plural goes without article ("gewählte Personen").
            if (singular) {
                parts.push_back(words.front() + kEinWord[row][col]);
                declension = TDeclension::Mixed;
            }
            break;
        case TArticle::Negative:
            parts.push_back(words.front() + kEinWord[row][col]);
            declension = TDeclension::Mixed;
            break;
        case TArticle::None:
            break;
        }
    }
    const TTable& endings = declension == TDeclension::Weak ? kWeak
        : declension == TDeclension::Mixed                  ? kMixed
                                                            : kStrong;
    for (std::size_t i = first; i < words.size(); ++i)
        parts.push_back(decline(words[i], endings[row][col]));
    if (std::string noun = nounForm(info, g, c, singular); !noun.empty())
        parts.push_back(noun);

    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : " ") + p;
    return capital ? caseFirst(out, true) : out;
}

TQelNameInfo GetNameInfo(TQelKey key)
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized() || !key.Valid())
        return {};
    const TQelKlasse* k = db->Klasse(TQelClassKey(key.Id()));
    const TQelFeldtyp* t = k ? nullptr : db->Feldtyp(TQelFieldKey(key.Id()));
    if (!k && !t)
        return {};
    TQelNameInfo info = k ? k->nameInfo : t->nameInfo;
    if (info.noun.empty()) {
        info = {};
        info.noun = k ? k->name : t->name;
    }
    return info;
}

namespace {

// The noun information of a class or field type of the current database whose noun is `noun`.
bool knownNoun(const std::string& noun, TQelNameInfo& out)
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized())
        return false;
    for (const TQelKlasse* k : db->Schema().Classes())
        if (AnsiSameText(k->nameInfo.noun, noun)) {
            out = k->nameInfo;
            return true;
        }
    for (const TQelFeldtyp* t : db->Schema().FieldTypes())
        if (AnsiSameText(t->nameInfo.noun, noun)) {
            out = t->nameInfo;
            return true;
        }
    return false;
}

} // namespace

TQelNameInfo ParseNameInfo(const std::string& text, const TQelNameInfo& fallback)
{
    std::string words, noun, gender, plural, genitive;
    for (const std::string& word : SplitString(text, " \t\r\n")) {
        const std::size_t eq = word.find('=');
        const std::string key = eq == std::string::npos ? std::string() : word.substr(0, eq);
        const std::string value = eq == std::string::npos ? word : word.substr(eq + 1);
        if (key == "noun")
            noun = value;
        else if (key == "gender")
            gender = value;
        else if (key == "plural")
            plural = value;
        else if (key == "genitive")
            genitive = value;
        else if (!word.empty())
            words += (words.empty() ? "" : " ") + word;
    }
    if (noun.empty())
        noun = words;
    if (noun.empty())
        return fallback;
    TQelNameInfo info;
    if (AnsiSameText(noun, fallback.noun))
        info = fallback;
    else if (!knownNoun(noun, info))
        info = {};
    info.noun = noun;
    if (gender == "m" || gender == "f" || gender == "n")
        info.gender = gender[0];
    if (!plural.empty())
        info.plural = plural;
    if (!genitive.empty())
        info.genitive = genitive;
    return info;
}

std::string MakeNP(TQelKey key, const std::string& adjective, int casus, bool singular, char gender)
{
    return FreeMakeNP(GetNameInfo(key), adjective, casus, singular, gender);
}
