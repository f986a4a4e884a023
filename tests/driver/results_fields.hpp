#pragma once
// The fields of the results file as the README documents them, and a check of
// a results document against them.

#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

/// Field path to documented type, from the table of the README section
/// "## The results file" (rows "| `path` | type | content |").
inline std::map<std::string, std::string> documented_fields(const std::string& readme_file)
{
    std::ifstream readme(readme_file);
    std::map<std::string, std::string> fields;
    bool inside = false;
    std::string line;
    while (std::getline(readme, line)) {
        if (line.rfind("## ", 0) == 0) inside = line == "## The results file";
        if (!inside || line.rfind("| `", 0) != 0) continue;
        const std::size_t path_end = line.find('`', 3);
        const std::size_t type_begin = line.find('|', path_end) + 1;
        const std::size_t type_end = line.find('|', type_begin);
        std::string type = line.substr(type_begin, type_end - type_begin);
        type.erase(0, type.find_first_not_of(' '));
        type.erase(type.find_last_not_of(' ') + 1);
        fields[line.substr(3, path_end - 3)] = type;
    }
    return fields;
}

namespace results_fields_detail {

inline bool is_bound(const nlohmann::json& b) { return b.is_number() || b == "-inf" || b == "+inf"; }

inline bool is_interval(const nlohmann::json& v)
{
    if (v.is_null()) return true;
    if (!v.is_array() || v.size() != 2 || !is_bound(v[0]) || !is_bound(v[1])) return false;
    return !(v[0].is_number() && v[1].is_number()) || v[0].get<double>() <= v[1].get<double>();
}

inline bool is_box(const nlohmann::json& v)
{
    if (!v.is_object() || v.empty()) return false;
    for (const auto& entry : v.items()) {
        if (!is_interval(entry.value())) return false;
    }
    return true;
}

inline bool has_type(const nlohmann::json& v, const std::string& type)
{
    if (type == "string") return v.is_string();
    if (type == "integer") return v.is_number_integer();
    if (type == "number") return v.is_number();
    if (type == "boolean") return v.is_boolean();
    if (type == "interval") return is_interval(v);
    if (type == "box") return is_box(v);
    if (type == "list") return v.is_array();
    if (type == "object") return v.is_object();
    return false;
}

inline void walk(const nlohmann::json& v, const std::string& path, const std::map<std::string, std::string>& fields,
                 std::vector<std::string>& problems)
{
    const auto found = fields.find(path);
    if (found == fields.end()) {
        problems.push_back(path + ": not documented");
        return;
    }
    // "T or null": null, or a value of type T.
    const std::string nullable = " or null";
    std::string type = found->second;
    if (type.size() > nullable.size() && type.compare(type.size() - nullable.size(), nullable.size(), nullable) == 0) {
        if (v.is_null()) return;
        type.erase(type.size() - nullable.size());
    }
    if (!has_type(v, type)) {
        problems.push_back(path + ": not a " + found->second + ": " + v.dump());
        return;
    }
    if (type == "list") {
        for (const nlohmann::json& element : v) walk(element, path + "[]", fields, problems);
    } else if (type == "object") {
        for (const auto& entry : v.items()) walk(entry.value(), path + "." + entry.key(), fields, problems);
    }
}

/// The JSON pointer of a documented path outside lists ("a.b" is /a/b).
inline nlohmann::json::json_pointer pointer(std::string path)
{
    for (char& c : path) {
        if (c == '.') c = '/';
    }
    return nlohmann::json::json_pointer("/" + path);
}

}  // namespace results_fields_detail

/// Every way document departs from fields: an undocumented field, a value not
/// of its documented type, a documented field missing (fields inside lists
/// are checked on the elements present). Empty for a valid document.
inline std::vector<std::string> field_problems(const nlohmann::json& document,
                                               const std::map<std::string, std::string>& fields)
{
    std::vector<std::string> problems;
    if (!document.is_object()) return {"the document is not an object"};
    for (const auto& entry : document.items())
        results_fields_detail::walk(entry.value(), entry.key(), fields, problems);
    for (const auto& [path, type] : fields) {
        if (path.find("[]") != std::string::npos) continue;
        // The fields of an object that is null are not there to miss.
        const std::size_t dot = path.rfind('.');
        if (dot != std::string::npos) {
            const auto parent = results_fields_detail::pointer(path.substr(0, dot));
            if (document.contains(parent) && document.at(parent).is_null()) continue;
        }
        if (!document.contains(results_fields_detail::pointer(path))) problems.push_back(path + ": missing");
    }
    return problems;
}
