#pragma once
// Exceptions of the object database. Messages are technical (German) and name what failed; the
// application decides what to show the user.
#include <stdexcept>
#include <string>

class TQelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A schema text that cannot be loaded: file, line (1-based, 0 when not tied to a line), problem.
class TQelSchemaError : public TQelError {
public:
    TQelSchemaError(const std::string& file, int line, const std::string& problem);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }
    const std::string& Problem() const { return problem_; }

private:
    std::string file_;
    int line_;
    std::string problem_;
};

// A database file that cannot be opened or used: names the file and the cause.
class TQelOpenError : public TQelError {
public:
    TQelOpenError(const std::string& path, const std::string& cause);
    const std::string& Path() const { return path_; }
    const std::string& Cause() const { return cause_; }

private:
    std::string path_;
    std::string cause_;
};

// A statement that SQLite refused; the message is SQLite's, the statement is kept for diagnostics.
class TQelSQLError : public TQelError {
public:
    TQelSQLError(const std::string& message, const std::string& sql);
    const std::string& Sql() const { return sql_; }

private:
    std::string sql_;
};

// A commit over a version another workstation stored in the meantime.
class TQelConflictError : public TQelError {
public:
    using TQelError::TQelError;
};

// Another session holds the lock of an object a commit would change.
class TQelLockedError : public TQelError {
public:
    using TQelError::TQelError;
};
