// Maps: components by name, evaluation, Jacobian and Lie derivatives.

#include "map.hpp"

Map::Map(const std::vector<expression>& v) {
    for (const expression& e : v) add(e);
}

Map::Map(const expression& e) {
    add(e);
}

void Map::add(const expression& e) {
    set_component("y" + std::to_string(component_names.size()), e);
}

expression Map::get_component(const std::string& name) {
    return components[name];
}

const expression& Map::component(const std::string& name) const {
    static const expression absent;
    const auto it = components.find(name);
    return it == components.end() ? absent : it->second;
}

void Map::set_component(const std::string& name, const expression& e) {
    for (const std::string& v : component(name).variables) variables.erase(v);
    component_names.insert(name);
    components[name] = e;
    variables.insert(e.variables.begin(), e.variables.end());
}

const std::vector<const std::vector<Node>*>& Map::trees() const {
    thread_local std::vector<const std::vector<Node>*> trees;
    trees.clear();
    for (const std::string& name : component_names) trees.push_back(&component(name).tree);
    return trees;
}

bool Map::defined_on(const domain& box) const { return compiled_.defined_on(trees(), box); }

domain Map::evalue(const domain& box) const {
    // The variables are read from box once each; the compiled program gives
    // the same enclosures as each component's Evalue.
    thread_local std::vector<interval> values;
    compiled_.evaluate(trees(), box, values);
    domain image;
    std::size_t k = 0;
    for (const std::string& name : component_names) image.emplace_hint(image.end(), name, values[k++]);
    return image;
}

expression_matrix Map::differentielle() const {
    expression_matrix jacobian;
    jacobian.rows.assign(component_names.begin(), component_names.end());
    jacobian.columns.assign(variables.begin(), variables.end());
    for (const std::string& r : component_names) {
        std::map<std::string, expression>& row = jacobian[r];
        for (const std::string& v : variables) row[v] = component(r).derive(v);
    }
    return jacobian;
}

Map Map::derive(const Map& g) const {
    // Sum over the variables v of g_v * dc/dv; a speed g lacks is no formula,
    // and the expression algebra then makes the whole sum empty.
    Map lie = *this;
    for (const std::string& c : component_names) {
        const expression& e = component(c);
        expression sum("0");
        for (const std::string& v : variables) sum = sum + g.component(v) * e.derive(v);
        lie.components[c] = sum;
    }
    return lie;
}

Map Map::derive(const Map& g, int n) const {
    Map result = *this;
    for (int k = 0; k < n; ++k) result = result.derive(g);
    return result;
}

void Map::out(std::ostream& os) const {
    os << "cardinal of independent variables : " << variables.size() << std::endl;
    for (const std::string& v : variables) os << v << std::endl;
    os << "cardinal of dependent variables : " << component_names.size() << std::endl;
    for (const std::string& name : component_names) os << name << std::endl;
    for (const std::string& name : component_names) os << name << " : " << component(name).text << std::endl;
}
