// Maps: components by name, evaluation, Jacobian and Lie derivatives.

#include "map.hpp"

#include <cstring>

namespace {

/// Whether two trees have the same nodes, as far as evaluation reads them.
bool same_tree(const std::vector<Node>& a, const std::vector<Node>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Node& m = a[i];
        const Node& n = b[i];
        if (m.kind != n.kind || m.left != n.left || m.right != n.right
            || std::memcmp(&m.value, &n.value, sizeof(double)) != 0 || m.name != n.name)
            return false;
    }
    return true;
}

}  // namespace

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

const Map::compiled_form& Map::compiled() const {
    bool current = compiled_ && compiled_->names.size() == component_names.size();
    if (current) {
        std::size_t k = 0;
        for (const std::string& name : component_names) {
            current = current && compiled_->names[k] == name && same_tree(compiled_->trees[k], component(name).tree);
            ++k;
        }
    }
    if (!current) {
        compiled_form form;
        form.names.assign(component_names.begin(), component_names.end());
        for (const std::string& name : form.names) form.trees.push_back(component(name).tree);
        std::vector<const std::vector<Node>*> trees;
        for (const std::vector<Node>& tree : form.trees) trees.push_back(&tree);
        form.program = compiled_program(trees);
        compiled_ = std::make_shared<const compiled_form>(std::move(form));
    }
    return *compiled_;
}

domain Map::evalue(const domain& box) const {
    // The variables are read from box once each; the compiled program gives
    // the same enclosures as each component's Evalue.
    const compiled_form& form = compiled();
    thread_local std::vector<interval> slots;
    form.program.load(box, slots);
    form.program.run(slots);
    domain image;
    for (std::size_t k = 0; k < form.names.size(); ++k)
        image.emplace_hint(image.end(), form.names[k], slots[form.program.outputs()[k]]);
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
