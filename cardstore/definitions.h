#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cardstore {

enum class FieldType : std::uint8_t { Text, Integer, Float };

struct FieldDef
{
    std::string name;
    FieldType type = FieldType::Text;
    int size = 0; // characters, for text fields; 0 for numbers
    bool required = false;
};

namespace indexoption {
constexpr unsigned kPrimary = 1;
constexpr unsigned kUnique = 2;
constexpr unsigned kDescending = 4;
constexpr unsigned kCaseInsensitive = 8;
constexpr unsigned kExpression = 16; // not offered by this engine
} // namespace indexoption

struct IndexDef
{
    std::string name;
    std::string fields; // field names separated by ';'
    unsigned options = 0;

    std::vector<std::string> fieldNames() const;
    bool isPrimary() const { return options & indexoption::kPrimary; }
};

// Names of the engine are compared without regard to ASCII letter case (field, index and alias names).
bool sameName(const std::string& a, const std::string& b);

// How a table's file is to be read: chosen by the caller, or by the name's extension when left Default.
enum class TableType : std::uint8_t { Default, Paradox, DBase, AsciiText };

enum class RecordNumbering : int { Physical = 0, Sequence = 1 };

enum class DataSetState : std::uint8_t { Inactive, Browse, Edit, Insert, SetKey };

} // namespace cardstore
