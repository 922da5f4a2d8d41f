#include "objdb/qelcontainers.h"

#include "objdb/qeltext.h"

#include <vector>

void qel_list_detail::throw_index(int index)
{
    throw EQelListError(FormatStr(QEL_ERR_LIST_INDEX, index));
}

void qel_list_detail::throw_duplicate()
{
    throw EQelListError(QEL_ERR_NO_DUPLICATES);
}

void qel_list_detail::throw_sorted()
{
    throw EQelListError(QEL_ERR_SORTED_LIST);
}

std::uint32_t QelDefaultStringHash(std::string_view key)
{
    // The algorithm is defined on 8-bit codes, from the last character to the first.
    std::string codes = Utf8ToCp1252(key);
    std::uint32_t h = 0;
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        h = (static_cast<unsigned char>(*it) + 37u * h) & 0xFFFFFFu;
    return h;
}
