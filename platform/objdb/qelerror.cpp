#include "objdb/qelerror.h"

namespace {

std::string schemaText(const std::string& file, int line, const std::string& problem)
{
    if (line > 0)
        return file + ", Zeile " + std::to_string(line) + ": " + problem;
    return file + ": " + problem;
}

} // namespace

TQelSchemaError::TQelSchemaError(const std::string& file, int line, const std::string& problem)
    : TQelError(schemaText(file, line, problem))
    , file_(file)
    , line_(line)
    , problem_(problem)
{
}

TQelOpenError::TQelOpenError(const std::string& path, const std::string& cause)
    : TQelError(path + ": " + cause)
    , path_(path)
    , cause_(cause)
{
}

TQelSQLError::TQelSQLError(const std::string& message, const std::string& sql)
    : TQelError(message)
    , sql_(sql)
{
}
