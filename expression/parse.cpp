// Parse entry: scans and parses a text held in memory into arbre_de_node.

#include "node.hpp"
#include "parser.hpp"
#include "scanner.hpp"

#include <cstdio>

Node node_val;
std::vector<Node> arbre_de_node;
int parse_stack_entries = statement_stack_entries;

namespace {

/// Where a quiet parse under way keeps its messages; none when parses write them.
parse_messages* quiet_messages = nullptr;
/// Bytes of the text scanned so far, and where the last match starts.
std::size_t scanned = 0;
std::size_t last_match = 0;

}  // namespace

bool parse_into_arbre_de_node(const std::string& text, int stack_entries)
{
    parse_stack_entries = stack_entries;
    arbre_de_node.clear();
    scanned = 0;
    last_match = 0;
    // The scanner reads the bytes themselves, so a text holding a zero byte is
    // scanned whole. Deleting the buffer afterwards drops whatever a syntax
    // error left unread, so the next parse starts from a clean scanner.
    YY_BUFFER_STATE buffer = yy_scan_bytes(text.data(), static_cast<int>(text.size()));
    const bool parsed = yyparse() == 0;
    yy_delete_buffer(buffer);
    return parsed;
}

parse_messages parse_quietly(const std::string& text, int stack_entries)
{
    parse_messages messages;
    quiet_messages = &messages;
    parse_into_arbre_de_node(text, stack_entries);
    quiet_messages = nullptr;
    return messages;
}

void count_scanned(std::size_t length)
{
    last_match = scanned;
    scanned += length;
}

void echo_skipped(char c)
{
    if (quiet_messages != nullptr) {
        quiet_messages->skipped += c;
        quiet_messages->skipped_at.push_back(last_match);
    } else
        std::putchar(c);
}

void report_parse_error(const char* message)
{
    if (quiet_messages != nullptr) {
        quiet_messages->error = message;
        quiet_messages->error_at = last_match;
    } else
        std::printf("ERREUR: %s\n", message);
}
