// Parse entry: scans and parses a text held in memory into arbre_de_node.

#include "node.hpp"
#include "parser.hpp"
#include "scanner.hpp"

Node node_val;
std::vector<Node> arbre_de_node;

void parse_into_arbre_de_node(const std::string& text)
{
    arbre_de_node.clear();
    // The scanner reads the bytes themselves, so a text holding a zero byte is
    // scanned whole. Deleting the buffer afterwards drops whatever a syntax
    // error left unread, so the next parse starts from a clean scanner.
    YY_BUFFER_STATE buffer = yy_scan_bytes(text.data(), static_cast<int>(text.size()));
    yyparse();
    yy_delete_buffer(buffer);
}
