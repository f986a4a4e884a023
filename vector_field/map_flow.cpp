// Taylor expansion of a map along the flow of a vector field (kept with the
// vector fields so that maps do not depend on them).

#include "map.hpp"
#include "vector_field.hpp"

taylor Map::derive(const vector_field& g, int n, const domain& box) const {
    const taylor flow = g.Taylor(box, n);
    taylor result;
    for (const std::string& name : component_names) result.coefficients[name] = component(name).taylor_ode(flow, n);
    return result;
}
