#include "objdb/qelsqlfunctions.h"

#include "objdb/qeltext.h"

#include <sqlite3.h>

#include <string>

namespace {

template <std::string (*Fold)(std::string_view)>
void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int n = sqlite3_value_bytes(argv[0]);
    std::string out = Fold(std::string_view(p ? p : "", static_cast<std::size_t>(n)));
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

} // namespace

void QelRegisterSqlFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "UPPER", 1, flags, nullptr, foldFunction<AnsiUpperCase>, nullptr, nullptr);
    sqlite3_create_function(db, "LOWER", 1, flags, nullptr, foldFunction<AnsiLowerCase>, nullptr, nullptr);
}
