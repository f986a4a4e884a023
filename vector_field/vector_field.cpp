// Vector fields: printing, variational field, identity, enclosure, direct sum
// and the Taylor expansion of the flow.

#include "vector_field.hpp"

void vector_field::out(std::ostream& os) const {
    os << std::endl;
    for (const auto& [name, e] : components) os << name << ":" << e.text << std::endl;
}

vector_field vector_field::d() const {
    // Component "a"+b+a is row b of DF times column a of the sensitivity
    // matrix: sum over c of dF_b/dc * a_ca.
    vector_field variational;
    for (const auto& column : components) {
        const std::string& a = column.first;
        for (const auto& [b, e] : components) {
            std::string text;
            for (const auto& row : components) {
                const std::string& c = row.first;
                if (!text.empty()) text += "+";
                text += "(" + e.derive(c).text + ")*a" + c + a;
            }
            variational.components["a" + b + a] = expression::from_program_text(text);
        }
    }
    return variational;
}

domain vector_field::identite() const {
    domain identity;
    for (const auto& column : components)
        for (const auto& row : components)
            identity["a" + row.first + column.first] = interval(column.first == row.first ? 1.0 : 0.0);
    return identity;
}

domain vector_field::f(const domain& b) const {
    domain value;
    for (const auto& [name, e] : components) value[name] = e.Evalue(b);
    return value;
}

vector_field vector_field::direct_sum(const vector_field& g) const {
    vector_field sum = *this;
    for (const auto& [name, e] : g.components) sum.components[name] = e;
    return sum;
}

taylor vector_field::Taylor(const domain& b, int order) const {
    // x_{k+1} = (F(x))_k / (k + 1): order k of F along the series known so
    // far only needs coefficients 0..k. A component that b lacks starts at
    // [0, 0], as a box reads a missing variable, so that coefficient k + 1
    // always lands at position k + 1.
    taylor T(b);
    for (const auto& component : components)
        if (T.coefficients.find(component.first) == T.coefficients.end())
            T.coefficients[component.first] = {b.get(component.first)};
    for (int k = 0; k < order; ++k)
        for (const auto& [name, e] : components) {
            const std::vector<interval> v = e.taylor_ode(T, k);
            T.coefficients[name].push_back(v[k] / interval(k + 1.0));
        }
    return T;
}
