#include "schemacheck.h"

#include "sqlitedb.h"

#include <algorithm>
#include <vector>

namespace cardstore {

std::string schemaProblem(sqlite::Connection& connection, std::span<const SchemaObject> objects)
{
    std::string names;
    std::string tables;
    for (const SchemaObject& object : objects) {
        names += std::string(names.empty() ? "" : ", ") + "'" + object.name + "'";
        if (std::string_view(object.type) == "table")
            tables += std::string(tables.empty() ? "" : ", ") + "'" + object.name + "'";
    }
    auto query = connection.prepare("SELECT type, name, sql IS NULL, coalesce(sql, '') FROM sqlite_master WHERE "
                                    "lower(name) IN ("
        + names + ") OR lower(tbl_name) IN (" + tables + ")");
    std::vector<bool> found(objects.size());
    int rows = 0;
    while (query.step()) {
        ++rows;
        const std::string type = query.columnText(0), name = query.columnText(1), sql = query.columnText(3);
        const bool noSql = query.columnInt(2) != 0;
        const auto known = std::find_if(
            objects.begin(), objects.end(), [&](const SchemaObject& object) { return name == object.name; });
        if (type == "trigger")
            return "a trigger " + name + " is attached to its tables";
        if (known == objects.end())
            return "the " + type + " " + name + " is not one the program makes";
        if (type != known->type)
            return name + " is a " + type + ", not a " + known->type;
        if (sql.starts_with("CREATE VIRTUAL TABLE"))
            return name + " is a virtual table";
        if (noSql != (known->sql == nullptr) || (known->sql && sql != known->sql))
            return "the " + type + " " + name + " is not as the program makes it";
        found[static_cast<std::size_t>(known - objects.begin())] = true;
    }
    if (rows == 0)
        return "absent";
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (!found[i])
            return std::string("the ") + objects[i].type + " " + objects[i].name + " is missing";
    return {};
}

} // namespace cardstore
