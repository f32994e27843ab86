#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace cardstore {

// Base of every failure the program reports to the user: what() is the text the user sees.
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string& message)
        : std::runtime_error(message)
    {
    }
    // The kind of failure, as named in the last-resort "Application Error" box.
    virtual const char* kind() const noexcept { return "Error"; }
};

// A command was abandoned on purpose; nothing is shown to the user.
class Abort : public Error
{
public:
    Abort()
        : Error("Operation aborted")
    {
    }
    const char* kind() const noexcept override { return "Abort"; }
};

// A text could not be converted to a number outside of any field ("'x' is not a valid integer value").
class ConvertError : public Error
{
public:
    using Error::Error;
    const char* kind() const noexcept override { return "ConvertError"; }
};

// Status codes of the card engine. The values follow the engine's historical numbering where callers
// depend on one (insufficient rights); the rest are our own, grouped by category.
namespace status {
constexpr int kOk = 0;
constexpr int kIoError = 0x2101;
constexpr int kCorruptFile = 0x2106;
constexpr int kNotACardSet = 0x2108;
constexpr int kTableNotFound = 0x2711;
constexpr int kIndexNotFound = 0x271c;
constexpr int kUnknownDatabase = 0x2721;
constexpr int kUnsupportedTableType = 0x2722;
constexpr int kRecordDeleted = 0x2801;
constexpr int kTableLocked = 0x2803;
constexpr int kKeyViolation = 0x2601;
constexpr int kInsufficientRights = 0x2902;
constexpr int kNoAccess = 0x2904;
constexpr int kInvalidPassword = 0x2905;
constexpr int kEngineInit = 0x3e01;
constexpr int kDataset = 0x3f00; // failures raised by the table component itself
} // namespace status

// A failure of the card engine or of the table component, carrying the engine's status code.
class DatabaseError : public Error
{
public:
    DatabaseError(int code, const std::string& message)
        : Error(message)
        , code_(code)
    {
    }
    // The engine's message for code followed by each detail that differs from the one before,
    // joined by ". "; a code without a message reads "Database engine error $xxxx".
    static DatabaseError fromStatus(int code, const std::vector<std::string>& details = {});
    // The engine could not be started at all.
    static DatabaseError engineInit(int code);

    int code() const noexcept { return code_; }
    const char* kind() const noexcept override { return "DatabaseError"; }

private:
    int code_;
};

// The engine's own message for a status code, empty when it has none.
std::string statusMessage(int code);

// Messages of the table component, with the given names substituted.
namespace messages {
std::string fieldNotFound(const std::string& field);
std::string fieldRequired(const std::string& field);
std::string notIndexed(const std::string& field);
std::string invalidFloat(const std::string& text, const std::string& field);
std::string invalidIntegerForField(const std::string& text, const std::string& field);
std::string invalidInteger(const std::string& text);
inline const char* const kReadOnly = "Cannot modify a read-only dataset";
inline const char* const kEmpty = "Cannot perform this operation on an empty dataset";
inline const char* const kClosed = "Cannot perform this operation on a closed dataset";
inline const char* const kOpen = "Cannot perform this operation on an open dataset";
inline const char* const kNotEditing = "Dataset not in edit or insert mode";
} // namespace messages

[[noreturn]] void raiseDataset(const std::string& message);

} // namespace cardstore
