#pragma once
// Expression trees compiled once into a flat program over a vector of
// intervals: variables are positions, equal subtrees are computed once.

#include "node.hpp"
#include "polynomial.hpp"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

/// Several trees compiled into one straight-line program. Slots 0 .. v-1 hold
/// the variables, in the order of `variables()`; every later slot is one
/// distinct operation on earlier slots (a subtree met twice, in the same tree
/// or in another, is one slot); the value of tree k is slot `outputs()[k]`.
/// Each slot is computed as Eval computes its node; a slot that is a
/// polynomial of degree 2 or more in the variables, and that is an output or
/// the operand of something other than a polynomial, is then intersected
/// with the polynomial's centred bound. The program's enclosures are thus
/// those of the trees or narrower.
class compiled_program {
public:
    /// That tree `derivative` of a program is the partial derivative of tree
    /// `of` with respect to the variable named `variable` (as the caller built
    /// it): where tree `of` is a polynomial, the derivative's enclosure then
    /// comes from the Taylor coefficients of that polynomial, computed once.
    struct derivative_of {
        int derivative;
        int of;
        std::string variable;
    };

    compiled_program() = default;
    /// Compiles the trees over the variables they name, in ascending name
    /// order; an empty tree is the entire line, as for expression::Evalue.
    explicit compiled_program(const std::vector<const std::vector<Node>*>& trees,
                              const std::vector<derivative_of>& derivatives = {});

    /// The variable names, by position.
    const std::vector<std::string>& variables() const { return variables_; }
    /// The slot of each tree's value.
    const std::vector<int>& outputs() const { return outputs_; }
    /// Number of slots.
    int size() const { return static_cast<int>(variables_.size() + code_.size()); }

    /// Runs the program: slots must hold size() intervals, the variables'
    /// values in the first ones; every later slot is overwritten.
    void run(std::vector<interval>& slots) const;
    /// Reads the variables from box (a missing name is [0, 0], as in Eval) into slots.
    void load(const domain& box, std::vector<interval>& slots) const;
    /// Loads box into slots and runs the program.
    void run(const domain& box, std::vector<interval>& slots) const
    {
        load(box, slots);
        run(slots);
    }
    /// With slots as run leaves them, whether every partial function of the
    /// trees has its argument inside its domain: a square root's argument
    /// non-negative, a logarithm's positive, a divisor and a tangent's cosine
    /// without 0, an exponent bounded and, truncated, non-negative unless its
    /// base excludes 0. These are the conditions under which the enclosures
    /// hold for every point of the box, not only for those where the trees
    /// are defined.
    bool defined(const std::vector<interval>& slots) const;
    /// Whether the trees hold no partial function whose domain depends on the
    /// box: `defined` then holds over every box, without a run.
    bool total() const { return checks_.empty(); }

private:
    struct instruction {
        char kind;
        int left;
        int right;
        double value;
    };
    /// The slot of each instruction compiled so far (the value by its bits).
    using slot_table = std::map<std::tuple<char, int, int, std::uint64_t>, int>;
    /// The slot computing node i of tree, appending what it needs.
    int compile(const std::vector<Node>& tree, int i, slot_table& slots);
    /// The slot of the instruction, appended unless an equal one exists.
    int slot_of(const instruction& op, slot_table& slots);
    /// The value of each slot that no variable changes (constants and what
    /// is computed from constants alone), by slot.
    std::vector<std::optional<interval>> fixed_values() const;
    /// Records the domain condition of every partial-function instruction,
    /// unless it holds over every box.
    void add_checks(const std::vector<std::optional<interval>>& fixed);
    /// The centred bounds of the polynomial slots that something other than
    /// a polynomial reads, and of the polynomial outputs.
    void attach_centred_bounds(const std::vector<std::optional<interval>>& fixed);
    /// The derivative outputs narrowed through the bounds of their primitives
    /// (instead of bounds of their own).
    void attach_derivatives(const std::vector<derivative_of>& derivatives);
    /// The polynomial that instruction op computes from the polynomials of
    /// the earlier slots, if it is one.
    std::optional<polynomial> polynomial_of(const instruction& op, const std::vector<std::optional<polynomial>>& forms,
                                            const std::vector<std::optional<interval>>& fixed) const;

    std::vector<std::string> variables_;
    std::vector<instruction> code_;
    std::vector<int> outputs_;
    /// The partial-function instructions whose domains `defined` checks,
    /// each distinct one once.
    std::vector<instruction> checks_;
    std::vector<centred_bound> bounds_;
    /// For each instruction, the position of its centred bound in bounds_, or -1.
    std::vector<int> bound_of_;
    /// For each bound, the variables (positions) of the derivatives it gives,
    /// and the slots of those derivatives.
    std::vector<std::vector<int>> derived_variables_;
    std::vector<std::vector<int>> derived_slots_;
};

/// The compiled program of a list of trees, kept with copies of the trees it
/// was compiled from. Callers whose trees are public members that anything
/// may change ask it for the program at each evaluation: it compares the
/// trees (no arithmetic, no name lookup) and compiles them anew when they
/// differ. Copies share the compiled program.
class compiled_cache {
public:
    /// The program of trees.
    const compiled_program& program(const std::vector<const std::vector<Node>*>& trees) const;
    /// The enclosure of each tree over box, in tree order: the program of
    /// trees run over box.
    void evaluate(const std::vector<const std::vector<Node>*>& trees, const domain& box,
                  std::vector<interval>& values) const;
    /// Whether every partial function of trees is defined over the whole of
    /// box (compiled_program::defined).
    bool defined_on(const std::vector<const std::vector<Node>*>& trees, const domain& box) const;

private:
    /// What compilation reads of a node besides a variable's name, packed so
    /// that the comparison at each evaluation reads little memory.
    struct node_key {
        char kind;
        int left;
        int right;
        std::uint64_t value_bits;
    };
    /// The trees a program was compiled from: their sizes, their nodes one
    /// tree after the other, and the names of their variable nodes in order.
    struct form {
        std::vector<std::size_t> sizes;
        std::vector<node_key> nodes;
        std::vector<std::string> names;
        compiled_program program;
    };
    /// Whether trees are the trees form was compiled from.
    static bool compiled_from(const form& f, const std::vector<const std::vector<Node>*>& trees);
    /// The form of trees, their program compiled.
    static form form_of(const std::vector<const std::vector<Node>*>& trees);

    mutable std::shared_ptr<const form> form_;
};
