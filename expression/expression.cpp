// Expression values: construction from text, combination through text,
// substitutions and the centred form.

#include "expression.hpp"

#include <sstream>

namespace {

/// The expression parsed from "(" + a + ")" + op + "(" + b + ")", simplified.
/// An operand without a tree stands for no formula at all, so neither does
/// the combination: gluing its text would silently drop it from the result.
expression combine(const expression& a, const char* op, const expression& b)
{
    if (!a.has_tree() || !b.has_tree())
        return expression();
    return expression::from_program_text("(" + a.text + ")" + op + "(" + b.text + ")");
}

}  // namespace

expression::expression(const std::string& s) : text(s)
{
    creation_arbre_de_node();
    variables_eq();
}

expression expression::from_program_text(const std::string& text)
{
    // The nodes read before a failure (a text nested beyond the parser's
    // stack) are part of the formula only: taking them for all of it would
    // drop terms silently.
    expression result;
    result.text = text;
    if (!parse_into_arbre_de_node(text + ";", program_text_stack_entries))
        return expression();
    result.tree = arbre_de_node;
    result.variables_eq();
    result.Simplify();
    return result;
}

void expression::creation_arbre_de_node()
{
    parse_into_arbre_de_node(text + ";");
    tree = arbre_de_node;
}

expression expression::operator+(const expression& b) const
{
    return combine(*this, "+", b);
}

expression expression::operator-(const expression& b) const
{
    return combine(*this, "-", b);
}

expression expression::operator*(const expression& b) const
{
    return combine(*this, "*", b);
}

expression expression::pow(int n) const
{
    if (!has_tree())
        return expression();
    std::ostringstream exponent;
    exponent << n;
    return from_program_text("(" + text + ")^" + exponent.str());
}

expression expression::substitute(const std::string& new_name, const std::string& old_name) const
{
    expression result = *this;
    for (Node& node : result.tree)
        if (node.kind == 'V' && node.name == old_name)
            node.name = new_name;
    // Simplify ends by regenerating the text from the edited tree.
    result.Simplify();
    result.variables_eq();
    return result;
}

expression expression::substitute(double value, const std::string& name) const
{
    expression result = *this;
    for (Node& node : result.tree) {
        if (node.kind == 'V' && node.name == name) {
            node.kind = 'r';
            node.value = value;
        }
    }
    result.Simplify();
    result.variables_eq();
    return result;
}

expression expression::substitue_partial(const std::string& v) const
{
    expression result = *this;
    for (Node& node : result.tree) {
        if (node.kind == 'p') {
            node.kind = 'r';
            node.value = node.name == v ? 1 : 0;
        }
    }
    result.Simplify();
    return result;
}

interval expression::forme_centre(const domain& box) const
{
    if (!has_tree())
        return interval::ENTIRE();
    // The variables are read from the tree, not from the variable set, which
    // a derivative leaves empty: skipping a variable would drop its slope term
    // and shrink the enclosure to the value at the centre.
    const domain centre = box.center();
    interval enclosure = Evalue(centre);
    for (const std::string& v : variables2eq(tree, root())) {
        const interval slope = derive(v).Evalue(box);
        enclosure += (box.get(v) - centre.get(v)) * slope;
    }
    return enclosure;
}
