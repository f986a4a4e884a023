/* Grammar of the expression language.

   Every rule that builds a node appends it to arbre_de_node when the rule
   completes, so each subtree is contiguous in post-order and the root is last.
   A rule's semantic value is the position of the node it appended.

   The leaves (numbers, identifiers, the variable of a partial operator) are
   read from node_val, which the scanner fills for the token just shifted.
   The states that reduce those tokens are consistent, so the parser reduces
   them without fetching a lookahead token: node_val still describes the token
   when the leaf is appended. */

%{
#include "node.hpp"

int yylex();
void yyerror(const char* message);

/* The parse stack starts with 200 entries and grows up to the limit of the
   parse under way (parse_stack_entries); deeper nesting ends the parse with
   "memory exhausted". */
#define YYINITDEPTH 200
#define YYMAXDEPTH parse_stack_entries

namespace {

/// Appends n to the tree under construction; returns its position.
int append(Node n)
{
    n.index = static_cast<int>(arbre_de_node.size());
    arbre_de_node.push_back(n);
    return n.index;
}

/// Appends a node of the given kind over its children.
int append(char kind, int left, int right = -1)
{
    Node n;
    n.kind = kind;
    n.left = left;
    n.right = right;
    return append(n);
}

/// Appends a leaf copied from the token the scanner just read.
int append_scanned_leaf(char kind)
{
    Node n = node_val;
    n.kind = kind;
    n.left = -1;
    n.right = -1;
    return append(n);
}

}  // namespace
%}

%union {
    int position;
    char kind;
}

%token NUMBER IDENTIFIER PARTIAL
%token <kind> FUNCTION

%type <position> expr operator

%left '+' '-'
%left '*' '/'
%left '^'
%precedence NEGATION

%%

statement
    : %empty
    | expr ';'
    | operator ';'
    ;

expr
    : NUMBER                     { $$ = append_scanned_leaf('r'); }
    | IDENTIFIER                 { $$ = append_scanned_leaf('V'); }
    | expr '+' expr              { $$ = append('+', $1, $3); }
    | expr '-' expr              { $$ = append('-', $1, $3); }
    | expr '*' expr              { $$ = append('*', $1, $3); }
    | expr '/' expr              { $$ = append('/', $1, $3); }
    | expr '^' expr              { $$ = append('P', $1, $3); }
    | '-' expr %prec NEGATION    { $$ = append('N', $2); }
    | FUNCTION '(' expr ')'      { $$ = append($1, $3); }
    | '(' expr ')'               { $$ = $2; }
    ;

/* Differential operators stand only at the top level; the coefficient of a
   partial operator binds at product level, so x+y*partial_x is refused. */
operator
    : PARTIAL '_' IDENTIFIER     { $$ = append_scanned_leaf('p'); }
    | expr '*' operator          { $$ = append('*', $1, $3); }
    | operator '+' operator      { $$ = append('+', $1, $3); }
    ;

%%

void yyerror(const char* message)
{
    report_parse_error(message);
}
