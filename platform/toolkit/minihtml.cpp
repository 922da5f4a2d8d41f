#include "toolkit/minihtml.h"

#include "toolkit/graphics.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cctype>

namespace qel::minihtml {
namespace {

bool iequals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

enum class TagKind { None, A, E, Font, B, I, U, S, Br };

struct Tag {
    TagKind kind = TagKind::None;
    bool closing = false;
    std::string_view attrs; // text after the tag name, before '>'
    std::size_t end = 0; // index after '>'
};

// Reads a recognised tag starting at text[pos] == '<'; kind None when it is not one.
Tag readTag(std::string_view text, std::size_t pos)
{
    Tag tag;
    const auto close = text.find('>', pos + 1);
    if (close == std::string_view::npos)
        return tag;
    std::string_view inner = text.substr(pos + 1, close - pos - 1);
    if (!inner.empty() && inner.front() == '/') {
        tag.closing = true;
        inner.remove_prefix(1);
    }
    std::size_t n = 0;
    while (n < inner.size() && std::isalpha(static_cast<unsigned char>(inner[n])))
        ++n;
    const std::string_view name = inner.substr(0, n);
    std::string_view rest = inner.substr(n);
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1); // <BR/>
    if (!rest.empty() && !std::isspace(static_cast<unsigned char>(rest.front())))
        return tag; // "<Bx>" is no tag of ours
    static constexpr std::array<std::pair<std::string_view, TagKind>, 8> names { { { "A", TagKind::A },
        { "E", TagKind::E }, { "FONT", TagKind::Font }, { "B", TagKind::B }, { "I", TagKind::I },
        { "U", TagKind::U }, { "S", TagKind::S }, { "BR", TagKind::Br } } };
    for (const auto& [tagName, kind] : names) {
        if (iequals(name, tagName)) {
            if (tag.closing && kind == TagKind::Br)
                return tag;
            tag.kind = kind;
            tag.attrs = rest;
            tag.end = close + 1;
            return tag;
        }
    }
    return tag;
}

// Value of attribute `name` in `attrs` (quoted with " or ', or bare); empty when absent.
bool attribute(std::string_view attrs, std::string_view name, std::string& value)
{
    std::size_t i = 0;
    while (i < attrs.size()) {
        while (i < attrs.size() && std::isspace(static_cast<unsigned char>(attrs[i])))
            ++i;
        const std::size_t start = i;
        while (i < attrs.size() && attrs[i] != '=' && !std::isspace(static_cast<unsigned char>(attrs[i])))
            ++i;
        const std::string_view key = attrs.substr(start, i - start);
        while (i < attrs.size() && std::isspace(static_cast<unsigned char>(attrs[i])))
            ++i;
        std::string_view val;
        if (i < attrs.size() && attrs[i] == '=') {
            ++i;
            while (i < attrs.size() && std::isspace(static_cast<unsigned char>(attrs[i])))
                ++i;
            if (i < attrs.size() && (attrs[i] == '"' || attrs[i] == '\'')) {
                const char quote = attrs[i++];
                const auto endQuote = attrs.find(quote, i);
                const std::size_t stop = endQuote == std::string_view::npos ? attrs.size() : endQuote;
                val = attrs.substr(i, stop - i);
                i = stop + 1;
            } else {
                const std::size_t vstart = i;
                while (i < attrs.size() && !std::isspace(static_cast<unsigned char>(attrs[i])))
                    ++i;
                val = attrs.substr(vstart, i - vstart);
            }
        }
        if (key.empty()) {
            ++i;
            continue;
        }
        if (iequals(key, name)) {
            value.assign(val);
            return true;
        }
    }
    return false;
}

// Appends `text` with the entities &amp; &lt; &gt; &quot; &nbsp; &#NN; decoded.
void appendDecoded(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const auto semi = text.find(';', i + 1);
        if (semi == std::string_view::npos || semi - i > 8) {
            out += '&';
            continue;
        }
        const std::string_view ent = text.substr(i + 1, semi - i - 1);
        std::string repl;
        if (iequals(ent, "amp"))
            repl = "&";
        else if (iequals(ent, "lt"))
            repl = "<";
        else if (iequals(ent, "gt"))
            repl = ">";
        else if (iequals(ent, "quot"))
            repl = "\"";
        else if (iequals(ent, "nbsp"))
            repl = "\xC2\xA0";
        else if (ent.size() > 1 && ent[0] == '#') {
            unsigned cp = 0;
            bool ok = true;
            for (char c : ent.substr(1)) {
                if (!std::isdigit(static_cast<unsigned char>(c)) || cp > 0x10FFFF) {
                    ok = false;
                    break;
                }
                cp = cp * 10 + static_cast<unsigned>(c - '0');
            }
            if (ok && cp > 0 && cp <= 0x10FFFF) {
                // Qt encodes at the toolkit's edge; the package has no encoder of its own here.
                const char32_t c = cp;
                repl = QString::fromUcs4(&c, 1).toStdString();
            }
        }
        if (repl.empty()) {
            out += '&';
            continue;
        }
        out += repl;
        i = semi;
    }
}

} // namespace

bool ParseColor(std::string_view name, std::int32_t& color)
{
    const auto c = IdentToColor(std::string(name));
    if (c)
        color = static_cast<std::int32_t>(*c);
    return c.has_value();
}

bool IsMarkup(std::string_view text)
{
    for (auto pos = text.find('<'); pos != std::string_view::npos; pos = text.find('<', pos + 1)) {
        if (readTag(text, pos).kind != TagKind::None)
            return true;
    }
    return false;
}

Document Parse(std::string_view text)
{
    Document doc;
    if (!IsMarkup(text)) {
        doc.runs.push_back(Run { std::string(text) });
        return doc;
    }
    // Nesting counters rather than a strict stack: real cell texts are often sloppy about order.
    int bold = 0, italic = 0, underline = 0, strike = 0, error = 0;
    std::vector<std::int32_t> colors;
    int anchor = -1;
    std::string pending;
    auto flush = [&] {
        if (pending.empty())
            return;
        Run run;
        appendDecoded(run.text, pending);
        pending.clear();
        run.style = static_cast<std::uint8_t>((bold ? Bold : 0) | (italic ? Italic : 0)
            | (underline ? Underline : 0) | (strike ? StrikeOut : 0) | (error ? Error : 0));
        run.color = colors.empty() ? NoColor : colors.back();
        run.anchor = anchor;
        doc.runs.push_back(std::move(run));
    };
    auto bump
        = [](int& counter, bool closing) { counter = closing ? std::max(0, counter - 1) : counter + 1; };
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '<') {
            pending += text[i++];
            continue;
        }
        const Tag tag = readTag(text, i);
        if (tag.kind == TagKind::None) {
            pending += text[i++];
            continue;
        }
        flush();
        switch (tag.kind) {
        case TagKind::A:
            if (tag.closing) {
                anchor = -1;
            } else {
                std::string href;
                attribute(tag.attrs, "href", href);
                doc.anchors.push_back(std::move(href));
                anchor = static_cast<int>(doc.anchors.size()) - 1;
            }
            break;
        case TagKind::E:
            bump(error, tag.closing);
            break;
        case TagKind::B:
            bump(bold, tag.closing);
            break;
        case TagKind::I:
            bump(italic, tag.closing);
            break;
        case TagKind::U:
            bump(underline, tag.closing);
            break;
        case TagKind::S:
            bump(strike, tag.closing);
            break;
        case TagKind::Font:
            if (tag.closing) {
                if (!colors.empty())
                    colors.pop_back();
            } else {
                std::string value;
                std::int32_t c = colors.empty() ? NoColor : colors.back();
                if (attribute(tag.attrs, "color", value))
                    ParseColor(value, c);
                colors.push_back(c);
            }
            break;
        case TagKind::Br: {
            Run br;
            br.lineBreak = true;
            doc.runs.push_back(std::move(br));
            break;
        }
        case TagKind::None:
            break;
        }
        i = tag.end;
    }
    flush();
    return doc;
}

std::string Strip(std::string_view text)
{
    if (!IsMarkup(text))
        return std::string(text);
    std::string out;
    for (const Run& run : Parse(text).runs)
        out += run.lineBreak ? std::string("\n") : run.text;
    return out;
}

} // namespace qel::minihtml
