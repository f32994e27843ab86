#include "errors.h"

#include <cstdio>

namespace cardstore {

namespace {

// Status codes are shown as four upper-case hex digits, the form the program's messages have always used.
std::string hex4(int code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.4X", static_cast<unsigned>(code));
    return buffer;
}

} // namespace

std::string statusMessage(int code)
{
    switch (code) {
    case status::kIoError:
        return "Input/output error while reading or writing the card set";
    case status::kCorruptFile:
        return "The card set file is damaged";
    case status::kNotACardSet:
        return "The file is not a card set";
    case status::kTableNotFound:
        return "Table does not exist";
    case status::kIndexNotFound:
        return "Index does not exist";
    case status::kUnknownDatabase:
        return "Unknown database";
    case status::kUnsupportedTableType:
        return "This table type is not supported";
    case status::kRecordDeleted:
        return "Record has been deleted by another user";
    case status::kTableLocked:
        return "The card set is locked by another program";
    case status::kKeyViolation:
        return "Key violation";
    case status::kInsufficientRights:
        return "Insufficient table rights for operation. Password required";
    case status::kNoAccess:
        return "Access to the card set is denied";
    case status::kInvalidPassword:
        return "Invalid password";
    default:
        return {};
    }
}

DatabaseError DatabaseError::fromStatus(int code, const std::vector<std::string>& details)
{
    std::string text = statusMessage(code);
    if (text.empty())
        text = "Database engine error $" + hex4(code);
    std::string previous = text;
    for (const std::string& detail : details) {
        if (detail.empty() || detail == previous)
            continue;
        text += ". " + detail;
        previous = detail;
    }
    return DatabaseError(code, text);
}

DatabaseError DatabaseError::engineInit(int code)
{
    return DatabaseError(
        code, "An error occurred while attempting to initialize the database engine (error $" + hex4(code) + ")");
}

namespace messages {
std::string fieldNotFound(const std::string& field)
{
    return "Field '" + field + "' not found";
}
std::string fieldRequired(const std::string& field)
{
    return "Field '" + field + "' must have a value";
}
std::string notIndexed(const std::string& field)
{
    return "Field '" + field + "' is not indexed and cannot be modified";
}
std::string invalidFloat(const std::string& text, const std::string& field)
{
    return "'" + text + "' is not a valid floating point value for field '" + field + "'";
}
std::string invalidIntegerForField(const std::string& text, const std::string& field)
{
    return "'" + text + "' is not a valid integer value for field '" + field + "'";
}
std::string invalidInteger(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}
} // namespace messages

void raiseDataset(const std::string& message)
{
    throw DatabaseError(status::kDataset, message);
}

} // namespace cardstore
