#include "domain.hpp"

interval domain::get(const std::string& name) const
{
    const auto it = find(name);
    return it == end() ? interval() : it->second;
}

std::vector<domain> domain::boundary() const
{
    std::vector<domain> faces;
    faces.reserve(2 * size());
    for (const auto& [name, range] : *this) {
        faces.push_back(*this);
        faces.back()[name] = interval(range.inf());
        faces.push_back(*this);
        faces.back()[name] = interval(range.sup());
    }
    return faces;
}

std::vector<domain> domain::visibility(int i) const
{
    const domain seen_from = corner(i);
    std::vector<domain> faces;
    for (const domain& face : boundary())
        if (!seen_from.subset(face)) faces.push_back(face);
    return faces;
}

// A strictly larger width replaces the running maximum: an empty interval,
// whose width is NaN, never does.
double domain::width() const
{
    double largest = 0.0;
    for (const auto& entry : *this)
        if (entry.second.width() > largest) largest = entry.second.width();
    return largest;
}

domain domain::corner(int i) const
{
    domain point;
    for (const auto& [name, range] : *this) {
        point[name] = interval((i & 1) ? range.sup() : range.inf());
        i >>= 1;
    }
    return point;
}

domain domain::corner(const std::map<std::string, bool>& choice) const
{
    domain point;
    for (const auto& [name, upper] : choice) {
        const interval range = get(name);
        point[name] = interval(upper ? range.sup() : range.inf());
    }
    return point;
}

void domain::out(std::ostream& os) const
{
    for (const auto& [name, range] : *this) os << name << range << std::endl;
}

domain domain::inflate(double e) const
{
    const interval margin(-e, e);
    domain r;
    for (const auto& [name, range] : *this) r[name] = range + margin;
    return r;
}

int domain::topological_dimension() const
{
    int n = 0;
    for (const auto& entry : *this)
        if (!entry.second.isPoint()) ++n;
    return n;
}

domain domain::operator+(const domain& b) const
{
    domain r;
    for (const auto& [name, range] : *this) r[name] = range + b.get(name);
    return r;
}

domain domain::operator-(const domain& b) const
{
    domain r;
    for (const auto& [name, range] : *this) r[name] = range - b.get(name);
    return r;
}

domain domain::intersect(const domain& b) const
{
    domain r;
    for (const auto& [name, range] : *this) r[name] = range.intersect(b.get(name));
    return r;
}

domain domain::hull(const domain& b) const
{
    domain r;
    for (const auto& [name, range] : *this) r[name] = range.hull(b.get(name));
    return r;
}

domain domain::center() const
{
    domain r;
    for (const auto& [name, range] : *this) r[name] = interval(range.mid());
    return r;
}

domain domain::direct_sum(const domain& b) const
{
    domain r(*this);
    for (const auto& [name, range] : b) r[name] = range;
    return r;
}

bool domain::disjoint(const domain& b) const
{
    for (const auto& [name, range] : b)
        if (range.disjoint(get(name))) return true;
    return false;
}

domain domain::operator*(const interval& k) const
{
    domain r;
    for (const auto& [name, range] : *this) r[name] = k * range;
    return r;
}

domain domain::operator*(double d) const { return *this * interval(d); }

bool domain::subset(const domain& b) const
{
    for (const auto& [name, range] : *this)
        if (!range.subset(b.get(name))) return false;
    return true;
}

std::vector<std::string> domain::variables() const
{
    std::vector<std::string> names;
    names.reserve(size());
    for (const auto& entry : *this) names.push_back(entry.first);
    return names;
}
