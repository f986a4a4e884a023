// Graphviz and LaTeX (pstricks) drawings of expression trees.

#include "expression.hpp"

#include <cstring>
#include <sstream>

std::ofstream arbre2;

namespace {

/// The value as a default-formatted stream writes it (6 significant digits).
std::string value_label(double value)
{
    std::ostringstream os;
    os << value;
    return os.str();
}

/// Graphviz label of a node.
std::string dot_label(const Node& node)
{
    switch (node.kind) {
    case 'r': return value_label(node.value);
    case 'V': return node.name;
    case 'P': return "power";
    case 'N': return "-";
    case 'C': return "cos";
    case 'S': return "sin";
    case 'h': return "cosh";
    case 'i': return "sinh";
    case 'T': return "tan";
    case 'A': return "arctan";
    case 'E': return "exp";
    case 'L': return "ln";
    case 'R': return "sqrt";
    case '2': return "sqr";
    default: return std::string(1, node.kind);
    }
}

/// Nodes drawn with a single edge, to their left child. A power is linked to
/// its base only.
bool has_one_edge(char kind)
{
    return kind != 0 && std::strchr("CPShiTAELR2N", kind) != nullptr;
}

bool has_two_edges(char kind)
{
    return kind != 0 && std::strchr("+-*/", kind) != nullptr;
}

void write_edge(const std::vector<Node>& tree, const Node& parent, int child)
{
    arbre2 << parent.index << " -- " << tree[child].index << ";\n";
}

/// Opening pstricks command of a node's subtree.
std::string latex_opening(const Node& node)
{
    const std::string head = " \\pstree{\\Tr{ ";
    switch (node.kind) {
    case 'V': return head + node.short_name + "}} { \n";
    case 'r': return head + value_label(node.value) + "}} { \n";
    case 'P': return head + "$(.)^{(.)}$ }} { \n";
    case 'C': return head + "$\\cos$ }} { \n";
    case 'S': return head + "$\\sin$ }} { \n";
    case 'h': return head + "$\\cosh$ }} { \n";
    case 'i': return head + "$\\sinh$ }} { \n";
    case 'T': return head + "$\\tan$ }} { \n";
    case 'A': return head + "\\arctan }} { \n";
    case 'E': return head + "$\\exp$ }} { \n";
    case 'L': return head + "$\\ln$  }} { \n";
    case 'R': return head + "$\\sqrt{(.})$ }} { \n";
    case '2': return head + "$(.)^2$   }} { \n";
    case 'N': return head + "$(-)$   }} { \n";
    case 'p': return head + "$\\partial_{" + node.name + " }$   }} { \n";
    default: return head + node.kind + " }} { \n";
    }
}

/// One row of the node table: position, code, children, name, value.
void write_latex_row(const Node& node, int position)
{
    arbre2 << position << "&" << node.kind << "&" << node.left << "&" << node.right << "&";
    if (node.kind == 'V' || node.kind == 'p')
        arbre2 << node.name;
    arbre2 << "&";
    if (node.kind == 'r')
        arbre2 << value_label(node.value);
    arbre2 << "\\\\ \\hline" << std::endl;
}

}  // namespace

std::string Node::ToDot() const
{
    if (kind == 'p')
        return "";
    return std::to_string(index) + " [label=\"" + dot_label(*this) + "\"] ; \n";
}

void Arbre2Dot(const std::vector<Node>& tree, int i)
{
    if (i == -1)
        return;
    const Node& node = tree[i];
    if (has_one_edge(node.kind)) {
        write_edge(tree, node, node.left);
    } else if (has_two_edges(node.kind)) {
        write_edge(tree, node, node.left);
        write_edge(tree, node, node.right);
    }
    Arbre2Dot(tree, node.left);
    Arbre2Dot(tree, node.right);
}

void Arbre2Latex(const std::vector<Node>& tree, int i)
{
    if (i == -1)
        return;
    const Node& node = tree[i];
    arbre2 << latex_opening(node);
    Arbre2Latex(tree, node.left);
    Arbre2Latex(tree, node.right);
    arbre2 << "}" << std::endl;
}

void expression::ToDot(const char* file) const
{
    arbre2.open(file, std::ios::out | std::ios::trunc);
    arbre2 << "graph G {" << std::endl;
    for (const Node& node : tree)
        arbre2 << node.ToDot();
    if (has_tree())
        Arbre2Dot(tree, root());
    arbre2 << "}" << std::endl;
    arbre2.close();
}

void expression::ToLatex(const char* file) const
{
    arbre2.open(file, std::ios::out | std::ios::trunc);
    arbre2 << " \\documentclass[a4paper,11pt]{article} \\usepackage[french]{babel}"
              " \\usepackage[T1]{fontenc} \\usepackage[latin1]{inputenc}"
              " \\usepackage{theorem} \\usepackage{amsfonts} \\usepackage{pst-all}"
              " \\begin{document} \\psset{levelsep=20pt,nodesep=2pt,linecolor=green}"
           << std::endl;
    arbre2 << "\\[" << text << "\\]" << std::endl;
    if (has_tree())
        Arbre2Latex(tree, root());
    arbre2 << " \\\\ \n \\begin{tabular}{|l|l|l|l|l|l|}" << std::endl;
    arbre2 << " \\hline" << std::endl;
    for (int position = 0; position < static_cast<int>(tree.size()); ++position)
        write_latex_row(tree[position], position);
    arbre2 << " \\end{tabular} \\end{document}" << std::endl;
    arbre2.close();
}
