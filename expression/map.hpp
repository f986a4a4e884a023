#pragma once
// Maps: named component expressions over named variables.

#include "compiled.hpp"
#include "expression.hpp"
#include "matrix.hpp"
#include "taylor.hpp"

#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

class vector_field;

class Map {
public:
    std::map<std::string, expression> components;
    /// Component names ("dependent variables").
    std::set<std::string> component_names;
    /// Variables of the components ("independent variables").
    std::set<std::string> variables;

    Map() = default;
    /// Component i is v[i] under the name "y" + i.
    explicit Map(const std::vector<expression>& v);
    /// One component "y0" = e.
    explicit Map(const expression& e);

    /// Appends e under the name "y" + (number of components).
    void add(const expression& e);
    /// A copy of the component (an empty one is inserted for a missing name).
    expression get_component(const std::string& name);
    /// The component under name, an empty expression when absent (nothing inserted).
    const expression& component(const std::string& name) const;
    /// Stores e under name; the replaced component's variables leave the variable set first.
    void set_component(const std::string& name, const expression& e);
    /// Box keyed by component names: each component's enclosure over box.
    domain evalue(const domain& box) const;
    /// Whether every square root, logarithm, quotient, negative power and
    /// tangent of the components has its argument inside its domain over the
    /// whole of box.
    bool defined_on(const domain& box) const;
    /// Jacobian matrix: rows are component names, columns variables.
    expression_matrix differentielle() const;
    /// Lie derivative along g (components named after the variables).
    Map derive(const Map& g) const;
    /// derive(g) applied n times.
    Map derive(const Map& g, int n) const;
    /// Taylor coefficients (orders 0..n) of every component along the flow of g from box.
    taylor derive(const vector_field& g, int n, const domain& box) const;
    /// Variable and component counts and names, then "name : text" per component.
    void out(std::ostream& os = std::cout) const;

private:
    /// The trees of the components, in name order (a per-thread list, valid
    /// until the next call).
    const std::vector<const std::vector<Node>*>& trees() const;
    /// The components, in name order, compiled into one program.
    compiled_cache compiled_;
};
