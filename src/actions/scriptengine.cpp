#include "actions/scriptengine.h"

#include <QHash>
#include <QVariant>
#include <algorithm>
#include <deque>
#include <limits>
#include <optional>

#include "actions/scriptlexer.h"

namespace script {

// --- Types -----------------------------------------------------------------------

enum class Kind : std::uint8_t { Integer, Boolean, Char, String, Enum, Set, Record, Array, EmptySet, Opaque };

struct Type {
  Kind kind = Kind::Integer;
  QString name;
  // Integers: how a stored value wraps.
  int bits = 64;
  bool isSigned = true;
  // Ordinals: the range (a subrange narrows it); arrays: the index range.
  std::int64_t low = std::numeric_limits<std::int64_t>::min();
  std::int64_t high = std::numeric_limits<std::int64_t>::max();
  const Type* base = nullptr;     // a subrange's or set's ordinal type; an array's index type
  const Type* element = nullptr;  // an array's elements
  QStringList names;              // enumeration values; record fields
  std::vector<const Type*> fields;
  std::int64_t cells = 1;         // values a variable of it holds

  bool ordinal() const {
    return kind == Kind::Integer || kind == Kind::Boolean || kind == Kind::Char || kind == Kind::Enum;
  }
};

namespace {

std::int64_t Wrap(std::int64_t v, const Type* type) {
  if (type->kind != Kind::Integer) return v;
  // Each branch widens on its own: a conditional between a signed and an
  // unsigned type would make both unsigned.
  switch (type->bits) {
    case 8:
      if (type->isSigned) return static_cast<std::int8_t>(v);
      return static_cast<std::uint8_t>(v);
    case 16:
      if (type->isSigned) return static_cast<std::int16_t>(v);
      return static_cast<std::uint16_t>(v);
    case 32:
      if (type->isSigned) return static_cast<std::int32_t>(v);
      return static_cast<std::uint32_t>(v);
    default: return v;
  }
}

// The families that mix freely: every integer type with another, a
// subrange with its base.
const Type* Root(const Type* type) {
  while (type->base && type->kind != Kind::Set && type->kind != Kind::Array) type = type->base;
  return type;
}

// Ordinals of one family compare and mix: every integer type with another,
// a subrange with its base, an enumeration with itself.
bool SameFamily(const Type* a, const Type* b) {
  const Type* ra = Root(a);
  const Type* rb = Root(b);
  return ra == rb || (ra->kind == Kind::Integer && rb->kind == Kind::Integer);
}

Value DefaultOf(const Type* type) {
  Value value;
  if (type->kind == Kind::Record) {
    value.items.reserve(type->fields.size());
    for (const Type* field : type->fields) value.items.push_back(DefaultOf(field));
  } else if (type->kind == Kind::Array) {
    const Value element = DefaultOf(type->element);
    value.items.assign(static_cast<std::size_t>(type->high - type->low + 1), element);
  } else if (type->ordinal() && type->low > 0 && type->low != std::numeric_limits<std::int64_t>::min()) {
    value.i = type->low;
  }
  return value;
}

bool InSet(const Value& set, std::int64_t v) {
  return v >= 0 && v < 256 && (set.set[static_cast<std::size_t>(v >> 6)] >> (v & 63) & 1) != 0;
}

// --- Run time --------------------------------------------------------------------

struct Frame {
  std::vector<Value> values;
};

// Thrown to end a run: the message with its place.
struct Failure {
  QString message;
};

enum class Flow : std::uint8_t { Normal, Break, Continue, Exit };

constexpr int kMaxCallDepth = 1000;
// Operations chained without parentheses: a script never needs more, and
// evaluating such a chain recurses once per operation.
constexpr int kMaxExpressionDepth = 4096;
// Cells of one variable (array elements and record fields, all levels).
constexpr std::int64_t kMaxCells = std::int64_t{1} << 20;

struct Exec {
  std::vector<Frame*> display;  // the frame of each routine level being run
  int depth = 0;
  const std::atomic<bool>* stop = nullptr;
  const QString* stopReason = nullptr;
};

struct Node {
  int line = 0, column = 0;
  [[noreturn]] void Fail(const QString& message) const {
    throw Failure{QStringLiteral("(%1:%2) %3").arg(line).arg(column).arg(message)};
  }
};

struct Expr : Node {
  const Type* type = nullptr;
  bool constant = false;
  int depth = 1;  // of the tree under it, which evaluating it recurses through
  virtual ~Expr() = default;
  virtual Value Eval(Exec& exec) const = 0;
  // The storage of a variable, field or element; null for other values.
  virtual Value* Ref(Exec&) const { return nullptr; }
  virtual bool assignable() const { return false; }
};
using ExprPtr = std::unique_ptr<Expr>;

struct Stmt : Node {
  virtual ~Stmt() = default;
  virtual Flow Run(Exec& exec) const = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;

struct ConstExpr : Expr {
  Value value;
  Value Eval(Exec&) const override { return value; }
};

struct VarExpr : Expr {
  int level = 0, slot = 0;
  bool byReference = false;
  bool readOnly = false;  // a const parameter
  Value* Ref(Exec& exec) const override {
    Value& v = exec.display[static_cast<std::size_t>(level)]->values[static_cast<std::size_t>(slot)];
    return byReference ? v.ref : &v;
  }
  Value Eval(Exec& exec) const override { return *Ref(exec); }
  bool assignable() const override { return true; }
};

struct FieldExpr : Expr {
  ExprPtr record;
  std::size_t field = 0;
  Value* Ref(Exec& exec) const override {
    Value* base = record->Ref(exec);
    return base ? &base->items[field] : nullptr;
  }
  Value Eval(Exec& exec) const override {
    if (Value* v = Ref(exec)) return *v;
    return record->Eval(exec).items[field];
  }
  bool assignable() const override { return record->assignable(); }
};

struct IndexExpr : Expr {
  ExprPtr array, index;
  std::size_t Position(Exec& exec) const {
    const std::int64_t at = index->Eval(exec).i;
    const Type* t = array->type;
    if (at < t->low || at > t->high)
      Fail(QStringLiteral("indice hors limites : %1 (de %2 à %3)").arg(at).arg(t->low).arg(t->high));
    return static_cast<std::size_t>(at - t->low);
  }
  Value* Ref(Exec& exec) const override {
    Value* base = array->Ref(exec);
    return base ? &base->items[Position(exec)] : nullptr;
  }
  Value Eval(Exec& exec) const override {
    if (Value* v = Ref(exec)) return *v;
    const Value whole = array->Eval(exec);
    return whole.items[Position(exec)];
  }
  bool assignable() const override { return array->assignable(); }
};

struct CharIndexExpr : Expr {
  ExprPtr text, index;
  qsizetype Position(Exec& exec, const QString& s) const {
    const std::int64_t at = index->Eval(exec).i;
    if (at < 1 || at > s.size()) Fail(QStringLiteral("indice hors limites : %1 (de 1 à %2)").arg(at).arg(s.size()));
    return static_cast<qsizetype>(at - 1);
  }
  Value Eval(Exec& exec) const override {
    const Value s = text->Eval(exec);
    return Value::Int(s.s[Position(exec, s.s)].unicode());
  }
};

enum class Op : std::uint8_t {
  Add, Sub, Mul, Div, Mod, And, Or, Xor, Shl, Shr, Eq, Ne, Lt, Le, Gt, Ge, In,
  Concat, SetUnion, SetDiff, SetMul, BoolAnd, BoolOr, BoolXor,
  StrEq, StrNe, StrLt, StrLe, StrGt, StrGe, SetEq, SetNe, SetLe, SetGe,
};

std::int64_t Arith(const Node& at, Op op, std::int64_t a, std::int64_t b) {
  const auto ua = static_cast<std::uint64_t>(a), ub = static_cast<std::uint64_t>(b);
  switch (op) {
    case Op::Add: return static_cast<std::int64_t>(ua + ub);
    case Op::Sub: return static_cast<std::int64_t>(ua - ub);
    case Op::Mul: return static_cast<std::int64_t>(ua * ub);
    case Op::Div:
    case Op::Mod:
      if (b == 0) at.Fail(QStringLiteral("division par zéro"));
      if (a == std::numeric_limits<std::int64_t>::min() && b == -1) return op == Op::Div ? a : 0;
      return op == Op::Div ? a / b : a % b;
    case Op::And: return a & b;
    case Op::Or: return a | b;
    case Op::Xor: return a ^ b;
    case Op::Shl: return static_cast<std::int64_t>(ua << (ub & 63));
    case Op::Shr: return static_cast<std::int64_t>(ua >> (ub & 63));
    case Op::Eq: return a == b;
    case Op::Ne: return a != b;
    case Op::Lt: return a < b;
    case Op::Le: return a <= b;
    case Op::Gt: return a > b;
    case Op::Ge: return a >= b;
    default: return 0;
  }
}

struct BinaryExpr : Expr {
  Op op = Op::Add;
  ExprPtr left, right;
  Value Eval(Exec& exec) const override {
    switch (op) {
      case Op::BoolAnd: return Value::Bool(left->Eval(exec).i && right->Eval(exec).i);
      case Op::BoolOr: return Value::Bool(left->Eval(exec).i || right->Eval(exec).i);
      case Op::BoolXor: return Value::Bool((left->Eval(exec).i != 0) != (right->Eval(exec).i != 0));
      default: break;
    }
    Value a = left->Eval(exec);
    const Value b = right->Eval(exec);
    switch (op) {
      case Op::Concat: return Value::Str(a.s + b.s);
      case Op::StrEq: return Value::Bool(a.s == b.s);
      case Op::StrNe: return Value::Bool(a.s != b.s);
      case Op::StrLt: return Value::Bool(a.s < b.s);
      case Op::StrLe: return Value::Bool(a.s <= b.s);
      case Op::StrGt: return Value::Bool(a.s > b.s);
      case Op::StrGe: return Value::Bool(a.s >= b.s);
      case Op::In: return Value::Bool(InSet(b, a.i));
      case Op::SetUnion:
      case Op::SetDiff:
      case Op::SetMul:
        for (std::size_t w = 0; w < 4; ++w)
          a.set[w] = op == Op::SetUnion ? a.set[w] | b.set[w] : op == Op::SetDiff ? a.set[w] & ~b.set[w] : a.set[w] & b.set[w];
        return a;
      case Op::SetEq: return Value::Bool(a.set == b.set);
      case Op::SetNe: return Value::Bool(a.set != b.set);
      case Op::SetLe:
      case Op::SetGe: {
        const Value& small = op == Op::SetLe ? a : b;
        const Value& big = op == Op::SetLe ? b : a;
        bool within = true;
        for (std::size_t w = 0; w < 4; ++w) within = within && (small.set[w] & ~big.set[w]) == 0;
        return Value::Bool(within);
      }
      default: return Value::Int(Arith(*this, op, a.i, b.i));
    }
  }
};

enum class Unary : std::uint8_t { Negate, Not, BoolNot };

struct UnaryExpr : Expr {
  Unary op = Unary::Negate;
  ExprPtr operand;
  Value Eval(Exec& exec) const override {
    const std::int64_t v = operand->Eval(exec).i;
    switch (op) {
      case Unary::Negate: return Value::Int(static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v)));
      case Unary::Not: return Value::Int(~v);
      case Unary::BoolNot: return Value::Bool(v == 0);
    }
    return {};
  }
};

// A value converted to the type it is stored as: integers wrap, a character
// becomes a string.
struct ConvertExpr : Expr {
  ExprPtr operand;
  bool charToString = false;
  Value Eval(Exec& exec) const override {
    Value v = operand->Eval(exec);
    if (charToString) return Value::Str(QString(QChar(static_cast<char16_t>(v.i))));
    v.i = Wrap(v.i, type);
    return v;
  }
};

struct SetExpr : Expr {
  struct Item {
    ExprPtr first, last;  // last null for a single element
  };
  std::vector<Item> items;
  Value Eval(Exec& exec) const override {
    Value set;
    for (const Item& item : items) {
      const std::int64_t from = item.first->Eval(exec).i;
      const std::int64_t to = item.last ? item.last->Eval(exec).i : from;
      for (std::int64_t v = from; v <= to; ++v) {
        if (v < 0 || v > 255) Fail(QStringLiteral("élément d'ensemble hors de 0..255 : %1").arg(v));
        set.set[static_cast<std::size_t>(v >> 6)] |= std::uint64_t{1} << (v & 63);
      }
    }
    return set;
  }
};

// --- Routines --------------------------------------------------------------------

enum class Mode : std::uint8_t { Value, Const, Var };

struct Parameter {
  QString name;
  const Type* type = nullptr;
  Mode mode = Mode::Value;
};

struct Routine {
  QString name;
  std::vector<Parameter> parameters;
  const Type* result = nullptr;  // null for a procedure
  int level = 1;                 // the level of its own frame
  int slotCount = 0;                // parameters, Result, locals
  std::vector<std::pair<int, const Type*>> locals;  // slot and type of each local to initialise
  StmtPtr body;
  HostCall host;
  bool defined = false;  // a forward declaration has no body yet
  int line = 0, column = 0;
  int resultSlot() const { return static_cast<int>(parameters.size()); }
};

struct CallExpr : Expr {
  const Routine* routine = nullptr;
  std::vector<ExprPtr> arguments;

  Value Eval(Exec& exec) const override {
    if (routine->host) {
      std::vector<Value> values;
      values.reserve(arguments.size());
      for (const ExprPtr& argument : arguments) values.push_back(argument->Eval(exec));
      try {
        return routine->host(values);
      } catch (const RuntimeError& error) {
        Fail(error.message);
      }
    }
    if (++exec.depth > kMaxCallDepth) {
      --exec.depth;
      Fail(QStringLiteral("trop d'appels imbriqués (plus de %1)").arg(kMaxCallDepth));
    }
    Frame frame;
    frame.values.resize(static_cast<std::size_t>(routine->slotCount));
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (routine->parameters[i].mode == Mode::Var) {
        Value* target = arguments[i]->Ref(exec);
        frame.values[i].ref = target;
      } else {
        frame.values[i] = arguments[i]->Eval(exec);
      }
    }
    if (routine->result) frame.values[static_cast<std::size_t>(routine->resultSlot())] = DefaultOf(routine->result);
    for (const auto& [slot, type] : routine->locals) frame.values[static_cast<std::size_t>(slot)] = DefaultOf(type);
    const auto level = static_cast<std::size_t>(routine->level);
    if (exec.display.size() <= level) exec.display.resize(level + 1, nullptr);
    Frame* saved = exec.display[level];
    exec.display[level] = &frame;
    struct Restore {
      Exec& exec;
      std::size_t level;
      Frame* saved;
      ~Restore() {
        exec.display[level] = saved;
        --exec.depth;
      }
    } restore{exec, level, saved};
    routine->body->Run(exec);
    return routine->result ? std::move(frame.values[static_cast<std::size_t>(routine->resultSlot())]) : Value();
  }
};

// --- Statements ------------------------------------------------------------------

void Poll(const Exec& exec, const Node& at) {
  if (exec.stop && exec.stop->load(std::memory_order_relaxed))
    at.Fail(exec.stopReason && !exec.stopReason->isEmpty() ? *exec.stopReason
                                                           : QStringLiteral("script arrêté par l'utilisateur"));
}

struct CompoundStmt : Stmt {
  std::vector<StmtPtr> statements;
  Flow Run(Exec& exec) const override {
    for (const StmtPtr& statement : statements) {
      Poll(exec, *statement);
      const Flow flow = statement->Run(exec);
      if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
  }
};

struct AssignStmt : Stmt {
  ExprPtr target, value;
  Flow Run(Exec& exec) const override {
    Value v = value->Eval(exec);
    *target->Ref(exec) = std::move(v);
    return Flow::Normal;
  }
};

struct CharAssignStmt : Stmt {
  std::unique_ptr<CharIndexExpr> target;
  ExprPtr value;
  Flow Run(Exec& exec) const override {
    const std::int64_t c = value->Eval(exec).i;
    Value* text = target->text->Ref(exec);
    text->s[target->Position(exec, text->s)] = QChar(static_cast<char16_t>(c));
    return Flow::Normal;
  }
};

struct ExprStmt : Stmt {
  ExprPtr call;
  Flow Run(Exec& exec) const override {
    call->Eval(exec);
    return Flow::Normal;
  }
};

struct IfStmt : Stmt {
  ExprPtr condition;
  StmtPtr then, otherwise;
  Flow Run(Exec& exec) const override {
    if (condition->Eval(exec).i) return then ? then->Run(exec) : Flow::Normal;
    return otherwise ? otherwise->Run(exec) : Flow::Normal;
  }
};

struct CaseStmt : Stmt {
  struct Branch {
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    StmtPtr statement;
  };
  ExprPtr selector;
  std::vector<Branch> branches;
  StmtPtr otherwise;
  Flow Run(Exec& exec) const override {
    const std::int64_t v = selector->Eval(exec).i;
    for (const Branch& branch : branches)
      for (const auto& [from, to] : branch.ranges)
        if (v >= from && v <= to) return branch.statement ? branch.statement->Run(exec) : Flow::Normal;
    return otherwise ? otherwise->Run(exec) : Flow::Normal;
  }
};

struct ForStmt : Stmt {
  ExprPtr variable, from, to;
  bool down = false;
  StmtPtr body;
  Flow Run(Exec& exec) const override {
    const std::int64_t first = from->Eval(exec).i, last = to->Eval(exec).i;
    if (down ? first < last : first > last) return Flow::Normal;
    for (std::int64_t v = first;; down ? --v : ++v) {
      Value* control = variable->Ref(exec);
      control->i = Wrap(v, variable->type);
      Poll(exec, *this);
      const Flow flow = body ? body->Run(exec) : Flow::Normal;
      if (flow == Flow::Break) break;
      if (flow == Flow::Exit) return flow;
      if (v == last) break;
    }
    return Flow::Normal;
  }
};

struct WhileStmt : Stmt {
  ExprPtr condition;
  StmtPtr body;
  Flow Run(Exec& exec) const override {
    while (condition->Eval(exec).i) {
      Poll(exec, *this);
      const Flow flow = body ? body->Run(exec) : Flow::Normal;
      if (flow == Flow::Break) break;
      if (flow == Flow::Exit) return flow;
    }
    return Flow::Normal;
  }
};

struct RepeatStmt : Stmt {
  std::vector<StmtPtr> statements;
  ExprPtr condition;
  Flow Run(Exec& exec) const override {
    for (;;) {
      Flow flow = Flow::Normal;
      for (const StmtPtr& statement : statements) {
        Poll(exec, *statement);
        flow = statement->Run(exec);
        if (flow != Flow::Normal) break;
      }
      if (flow == Flow::Break) break;
      if (flow == Flow::Exit) return flow;
      if (condition->Eval(exec).i) break;
    }
    return Flow::Normal;
  }
};

struct JumpStmt : Stmt {
  Flow flow = Flow::Break;
  ExprPtr result;  // Exit(value)
  ExprPtr resultSlot;
  Flow Run(Exec& exec) const override {
    if (result) *resultSlot->Ref(exec) = result->Eval(exec);
    return flow;
  }
};

// --- Built-in routines -----------------------------------------------------------

enum class Builtin : std::uint8_t {
  IntToStr, StrToInt, StrToIntDef, Length, Copy, Pos, UpperCase, LowerCase, Trim, Inc, Dec, Ord, Chr, Low, High,
  Exit, Break, Continue,
};

struct BuiltinName {
  const char* name;
  Builtin id;
};
constexpr BuiltinName kBuiltins[] = {
    {"inttostr", Builtin::IntToStr}, {"strtoint", Builtin::StrToInt}, {"strtointdef", Builtin::StrToIntDef},
    {"length", Builtin::Length},     {"copy", Builtin::Copy},         {"pos", Builtin::Pos},
    {"uppercase", Builtin::UpperCase}, {"lowercase", Builtin::LowerCase}, {"trim", Builtin::Trim},
    {"inc", Builtin::Inc},           {"dec", Builtin::Dec},           {"ord", Builtin::Ord},
    {"chr", Builtin::Chr},           {"low", Builtin::Low},           {"high", Builtin::High},
    {"exit", Builtin::Exit},         {"break", Builtin::Break},       {"continue", Builtin::Continue},
};

std::optional<std::int64_t> ParseInt(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  qsizetype at = 0;
  bool negative = false;
  if (t[0] == '-' || t[0] == '+') {
    negative = t[0] == '-';
    ++at;
  }
  const bool hex = at < t.size() && t[at] == '$';
  if (hex) ++at;
  if (at >= t.size()) return std::nullopt;
  std::uint64_t value = 0;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
  for (; at < t.size(); ++at) {
    const QChar c = t[at];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c.unicode() - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c.unicode() - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c.unicode() - 'A' + 10;
    if (digit < 0) return std::nullopt;
    const std::uint64_t radix = hex ? 16 : 10;
    if (value > (limit - static_cast<std::uint64_t>(digit)) / radix) return std::nullopt;
    value = value * radix + static_cast<std::uint64_t>(digit);
  }
  return negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
}

struct BuiltinExpr : Expr {
  Builtin id = Builtin::Ord;
  std::vector<ExprPtr> arguments;
  std::int64_t fixed = 0;  // Low and High of a type
  Value Eval(Exec& exec) const override {
    switch (id) {
      case Builtin::IntToStr: return Value::Str(QString::number(arguments[0]->Eval(exec).i));
      case Builtin::StrToInt: {
        const QString text = arguments[0]->Eval(exec).s;
        if (const auto v = ParseInt(text)) return Value::Int(*v);
        Fail(QStringLiteral("'%1' n'est pas un entier valide").arg(text.left(80)));
      }
      case Builtin::StrToIntDef: {
        const QString text = arguments[0]->Eval(exec).s;
        const std::int64_t fallback = arguments[1]->Eval(exec).i;
        return Value::Int(ParseInt(text).value_or(fallback));
      }
      case Builtin::Length: {
        const Value v = arguments[0]->Eval(exec);
        return Value::Int(arguments[0]->type->kind == Kind::Array ? static_cast<std::int64_t>(v.items.size()) : v.s.size());
      }
      case Builtin::Copy: {
        const QString s = arguments[0]->Eval(exec).s;
        std::int64_t from = arguments[1]->Eval(exec).i;
        std::int64_t count = arguments.size() > 2 ? arguments[2]->Eval(exec).i : std::numeric_limits<std::int64_t>::max();
        if (from < 1) from = 1;
        if (from > s.size() || count <= 0) return Value::Str({});
        count = std::min<std::int64_t>(count, s.size() - from + 1);
        return Value::Str(s.mid(static_cast<qsizetype>(from - 1), static_cast<qsizetype>(count)));
      }
      case Builtin::Pos: {
        const QString sub = arguments[0]->Eval(exec).s;
        const QString s = arguments[1]->Eval(exec).s;
        return Value::Int(sub.isEmpty() ? 0 : s.indexOf(sub) + 1);
      }
      case Builtin::UpperCase: return Value::Str(arguments[0]->Eval(exec).s.toUpper());
      case Builtin::LowerCase: return Value::Str(arguments[0]->Eval(exec).s.toLower());
      case Builtin::Trim: return Value::Str(arguments[0]->Eval(exec).s.trimmed());
      case Builtin::Inc:
      case Builtin::Dec: {
        const std::int64_t step = arguments.size() > 1 ? arguments[1]->Eval(exec).i : 1;
        Value* target = arguments[0]->Ref(exec);
        const std::int64_t v = Arith(*this, id == Builtin::Inc ? Op::Add : Op::Sub, target->i, step);
        target->i = Wrap(v, arguments[0]->type);
        return {};
      }
      case Builtin::Ord: return Value::Int(arguments[0]->Eval(exec).i);
      case Builtin::Chr: {
        const std::int64_t code = arguments[0]->Eval(exec).i;
        if (code < 0 || code > 0xFFFF) Fail(QStringLiteral("code de caractère hors limites : %1").arg(code));
        return Value::Int(code);
      }
      case Builtin::Low: return Value::Int(fixed);
      case Builtin::High:
        if (!arguments.empty()) return Value::Int(arguments[0]->Eval(exec).s.size());  // a string's
        return Value::Int(fixed);
      default: return {};
    }
  }
};

// --- Symbols ---------------------------------------------------------------------

struct Symbol {
  enum class What : std::uint8_t { Constant, TypeName, Variable, RoutineName, BuiltinName } what = What::Constant;
  const Type* type = nullptr;
  Value value;  // a constant's
  int level = 0, slot = 0;
  bool byReference = false;
  bool constParameter = false;
  Routine* routine = nullptr;
  Builtin builtin = Builtin::Ord;
};

struct Scope {
  Scope* parent = nullptr;
  QHash<QString, Symbol> symbols;
  Routine* routine = nullptr;  // the routine whose body this is; null for the program
  int level = 0;
  int slotCount = 0;
  std::vector<std::pair<int, const Type*>> locals;

  const Symbol* Find(const QString& key) const {
    for (const Scope* scope = this; scope; scope = scope->parent)
      if (const auto it = scope->symbols.constFind(key); it != scope->symbols.constEnd()) return &*it;
    return nullptr;
  }
};

}  // namespace

// What a compilation produced: its types, routines and main program. The
// nodes point into it, so it is never copied.
class Compiled {
 public:
  std::deque<Type> types;
  std::deque<Routine> routines;
  std::deque<Scope> scopes;
  StmtPtr main;
  int globalSlots = 0;
  std::vector<std::pair<int, const Type*>> globals;
  std::vector<std::pair<int, Value>> initialised;  // globals with a value given in their declaration

  Type* NewType(const Type& model) {
    types.push_back(model);
    return &types.back();
  }
};

namespace {

// --- Parser and checker ----------------------------------------------------------

struct CompileError {
  int line, column;
  QString text;
};

}  // namespace

class Parser {
 public:
  explicit Parser(Compiled& out) : out_(out) {}

  void Globals() {
    out_.scopes.emplace_back();
    global_ = &out_.scopes.back();
    scope_ = global_;
    const auto integer = [this](const char* name, int bits, bool isSigned) {
      Type t;
      t.name = QString::fromLatin1(name);
      t.bits = bits;
      t.isSigned = isSigned;
      if (bits < 64) {
        t.low = isSigned ? -(std::int64_t{1} << (bits - 1)) : 0;
        t.high = isSigned ? (std::int64_t{1} << (bits - 1)) - 1 : (std::int64_t{1} << bits) - 1;
      }
      return out_.NewType(t);
    };
    integer_ = integer("Integer", 32, true);
    int64_ = integer("Int64", 64, true);
    const std::pair<const char*, const Type*> integers[] = {
        {"Byte", integer("Byte", 8, false)},           {"ShortInt", integer("ShortInt", 8, true)},
        {"Word", integer("Word", 16, false)},          {"SmallInt", integer("SmallInt", 16, true)},
        {"Cardinal", integer("Cardinal", 32, false)},  {"LongWord", nullptr},
        {"Integer", integer_},                         {"LongInt", integer_},
        {"Int64", int64_},
    };
    const Type* cardinal = nullptr;
    for (const auto& [name, type] : integers) {
      if (QLatin1String(name) == QLatin1String("Cardinal")) cardinal = type;
      DeclareType(QString::fromLatin1(name), type ? type : cardinal);
    }
    Type boolean;
    boolean.kind = Kind::Boolean;
    boolean.name = "Boolean";
    boolean.low = 0;
    boolean.high = 1;
    boolean_ = out_.NewType(boolean);
    DeclareType("Boolean", boolean_);
    Type character;
    character.kind = Kind::Char;
    character.name = "Char";
    character.low = 0;
    character.high = 0xFFFF;
    char_ = out_.NewType(character);
    DeclareType("Char", char_);
    DeclareType("WideChar", char_);
    Type text;
    text.kind = Kind::String;
    text.name = "string";
    string_ = out_.NewType(text);
    for (const char* name : {"string", "widestring", "AnsiString", "UnicodeString"}) DeclareType(QString::fromLatin1(name), string_);
    Type empty;
    empty.kind = Kind::EmptySet;
    empty.name = "[]";
    emptySet_ = out_.NewType(empty);
    DeclareConstant("True", boolean_, Value::Bool(true));
    DeclareConstant("False", boolean_, Value::Bool(false));
    for (const BuiltinName& builtin : kBuiltins) {
      Symbol symbol;
      symbol.what = Symbol::What::BuiltinName;
      symbol.builtin = builtin.id;
      global_->symbols.insert(QString::fromLatin1(builtin.name), symbol);
    }
  }

  // The registration step's parts.
  void HostFunction(HostCall call) {
    Routine& routine = Heading();
    routine.host = std::move(call);
    routine.defined = true;
    Accept(Tok::Semicolon);
    Expect(Tok::End);
  }
  // A procedure taking its arguments as variants: texts as QString,
  // booleans as bool, other ordinals as qlonglong.
  void HostVariantProcedure(std::function<void(const QVariantList&)> call) {
    Routine& routine = Heading();
    std::vector<Kind> kinds;
    for (const Parameter& parameter : routine.parameters) kinds.push_back(Root(parameter.type)->kind);
    routine.host = [call = std::move(call), kinds](std::vector<Value>& arguments) {
      QVariantList values;
      for (std::size_t i = 0; i < arguments.size(); ++i) {
        switch (kinds[i]) {
          case Kind::String: values << arguments[i].s; break;
          case Kind::Char: values << QString(QChar(static_cast<char16_t>(arguments[i].i))); break;
          case Kind::Boolean: values << (arguments[i].i != 0); break;
          default: values << static_cast<qlonglong>(arguments[i].i); break;
        }
      }
      call(values);
      return Value();
    };
    routine.defined = true;
    Accept(Tok::Semicolon);
    Expect(Tok::End);
  }
  void HostType(const QString& name) {
    const Type* type = TypeSpec();
    Accept(Tok::Semicolon);
    Expect(Tok::End);
    DeclareType(name, Named(type, name));
  }
  void HostOpaque(const QString& name) {
    Type opaque;
    opaque.kind = Kind::Opaque;
    opaque.name = name;
    DeclareType(name, out_.NewType(opaque));
  }
  void HostConstant(const QString& name, const QString& typeName, const Value& value) {
    const Symbol* type = scope_->Find(typeName.toLower());
    if (!type || type->what != Symbol::What::TypeName) throw Error(QStringLiteral("type inconnu : %1").arg(typeName));
    const QString key = name.toLower();
    if (const auto it = global_->symbols.constFind(key); it != global_->symbols.constEnd()) {
      // The same constant given again is no conflict.
      if (it->what == Symbol::What::Constant && it->type == type->type && it->value.i == value.i && it->value.s == value.s) return;
      throw Error(QStringLiteral("identificateur redéclaré : %1").arg(name));
    }
    DeclareConstant(name, type->type, value);
  }
  void Restart(TokenStream& stream) {
    stream_ = &stream;
    ahead_.clear();
  }

  void Program() {
    if (Accept(Tok::Program)) {
      Ident();
      Expect(Tok::Semicolon);
    }
    Declarations();
    const Token begin = Current();
    Expect(Tok::Begin);
    out_.main = CompoundRest(begin);
    Expect(Tok::Dot);
    for (const Routine& routine : out_.routines)
      if (!routine.defined && !routine.host)
        throw CompileError{routine.line, routine.column, QStringLiteral("%1 déclarée forward sans corps").arg(routine.name)};
    out_.globalSlots = global_->slotCount;
    out_.globals = global_->locals;
  }

 private:
  // -- tokens
  void Fill(std::size_t count) const {
    while (ahead_.size() < count) ahead_.push_back(stream_->Next());
  }
  const Token& Current() const {
    Fill(1);
    return ahead_.front();
  }
  const Token& Peek(std::size_t ahead = 1) const {
    Fill(ahead + 1);
    return ahead_[ahead];
  }
  bool Is(Tok kind) const { return Current().kind == kind; }
  void Next() {
    Fill(1);
    if (ahead_.front().kind != Tok::End) ahead_.pop_front();
  }
  bool Accept(Tok kind) {
    if (!Is(kind)) return false;
    Next();
    return true;
  }
  CompileError Error(const QString& text) const { return {Current().line, Current().column, text}; }
  CompileError ErrorAt(const Node& node, const QString& text) const { return {node.line, node.column, text}; }
  QString Shown(const Token& token) const {
    switch (token.kind) {
      case Tok::Ident:
      case Tok::Unsupported: return QStringLiteral("'%1'").arg(token.text.left(40));
      case Tok::Integer: return QString::number(token.number);
      case Tok::String: return QStringLiteral("chaîne");
      default: return TokenText(token.kind);
    }
  }
  void Expect(Tok kind) {
    if (Accept(kind)) return;
    if (Is(Tok::Unsupported))
      throw Error(QStringLiteral("'%1' n'est pas pris en charge par ce langage").arg(Current().text));
    throw Error(QStringLiteral("%1 attendu mais %2 trouvé").arg(TokenText(kind), Shown(Current())));
  }
  QString Ident() {
    if (Is(Tok::Unsupported))
      throw Error(QStringLiteral("'%1' n'est pas pris en charge par ce langage").arg(Current().text));
    if (!Is(Tok::Ident)) throw Error(QStringLiteral("identificateur attendu mais %1 trouvé").arg(Shown(Current())));
    QString name = Current().text;
    Next();
    return name;
  }
  template <typename T>
  T* At(T* node, const Token& token) {
    node->line = token.line;
    node->column = token.column;
    return node;
  }

  // Nesting is bounded, whatever the text: deep enough for any script, far
  // from the end of the stack.
  struct Deeper {
    Deeper(Parser& parser) : parser(parser) {
      if (++parser.nesting_ > kMaxNesting)
        throw parser.Error(QStringLiteral("imbrication trop profonde (plus de %1 niveaux)").arg(kMaxNesting));
    }
    ~Deeper() { --parser.nesting_; }
    Parser& parser;
  };

  // -- declarations
  void Check(const QString& name, const Token& at) {
    if (scope_->symbols.contains(name.toLower()))
      throw CompileError{at.line, at.column, QStringLiteral("identificateur redéclaré : %1").arg(name)};
  }
  void DeclareType(const QString& name, const Type* type) {
    Symbol symbol;
    symbol.what = Symbol::What::TypeName;
    symbol.type = type;
    scope_->symbols.insert(name.toLower(), symbol);
  }
  void DeclareConstant(const QString& name, const Type* type, const Value& value) {
    Symbol symbol;
    symbol.what = Symbol::What::Constant;
    symbol.type = type;
    symbol.value = value;
    scope_->symbols.insert(name.toLower(), symbol);
  }
  Symbol& DeclareVariable(const QString& name, const Type* type) {
    Symbol symbol;
    symbol.what = Symbol::What::Variable;
    symbol.type = type;
    symbol.level = scope_->level;
    symbol.slot = scope_->slotCount++;
    return *scope_->symbols.insert(name.toLower(), symbol);
  }
  // A new name for a type given by its definition (an enumeration or record
  // is named by its declaration, an alias stays the type it names).
  const Type* Named(const Type* type, const QString& name) {
    if (type->name.isEmpty()) const_cast<Type*>(type)->name = name;
    return type;
  }

  void Declarations() {
    for (;;) {
      if (Accept(Tok::Const)) {
        while (Is(Tok::Ident)) ConstDeclaration();
      } else if (Accept(Tok::Type)) {
        while (Is(Tok::Ident)) {
          const Token at = Current();
          const QString name = Ident();
          Check(name, at);
          Expect(Tok::Equal);
          const Type* type = TypeSpec();
          Expect(Tok::Semicolon);
          DeclareType(name, Named(type, name));
        }
      } else if (Accept(Tok::Var)) {
        while (Is(Tok::Ident)) VarDeclaration();
      } else if (Is(Tok::Procedure) || Is(Tok::Function)) {
        RoutineDeclaration();
      } else {
        return;
      }
    }
  }

  void ConstDeclaration() {
    const Token at = Current();
    const QString name = Ident();
    Check(name, at);
    const Type* declared = nullptr;
    if (Accept(Tok::Colon)) declared = TypeSpec();
    Expect(Tok::Equal);
    ExprPtr value = Expression();
    if (declared) value = Converted(std::move(value), declared, at);
    if (!value->constant) throw ErrorAt(*value, QStringLiteral("expression constante attendue"));
    Expect(Tok::Semicolon);
    DeclareConstant(name, value->type, ConstantValue(*value));
  }

  void VarDeclaration() {
    std::vector<std::pair<QString, Token>> names;
    do {
      const Token at = Current();
      names.emplace_back(Ident(), at);
    } while (Accept(Tok::Comma));
    Expect(Tok::Colon);
    const Type* type = TypeSpec();
    if (type->kind == Kind::Opaque) throw Error(QStringLiteral("le type %1 ne peut pas être utilisé par un script").arg(type->name));
    std::optional<Value> initial;
    if (Accept(Tok::Equal)) {
      if (names.size() != 1) throw Error(QStringLiteral("une seule variable peut recevoir une valeur initiale"));
      ExprPtr value = Converted(Expression(), type, names[0].second);
      if (!value->constant) throw ErrorAt(*value, QStringLiteral("expression constante attendue"));
      initial = ConstantValue(*value);
    }
    Expect(Tok::Semicolon);
    for (const auto& [name, at] : names) {
      Check(name, at);
      const Symbol& symbol = DeclareVariable(name, type);
      scope_->locals.emplace_back(symbol.slot, type);
      if (initial) {
        if (scope_ != global_) throw CompileError{at.line, at.column, QStringLiteral("seules les variables globales peuvent recevoir une valeur initiale")};
        out_.initialised.emplace_back(symbol.slot, *initial);
      }
    }
  }

  Value ConstantValue(const Expr& expr) {
    Exec exec;
    try {
      return expr.Eval(exec);
    } catch (const Failure& failure) {
      throw ErrorAt(expr, failure.message.section(QChar(' '), 1));
    }
  }

  // "procedure name(params): type" up to its ';', declared in the current
  // scope; the routine's own scope is made, not entered.
  Routine& Heading() {
    const bool function = Is(Tok::Function);
    if (!function && !Is(Tok::Procedure)) throw Error(QStringLiteral("'procedure' ou 'function' attendu"));
    Next();
    const Token at = Current();
    const QString name = Ident();
    std::vector<Parameter> parameters;
    if (Accept(Tok::LParen)) {
      if (!Is(Tok::RParen)) {
        do {
          Mode mode = Mode::Value;
          if (Accept(Tok::Var)) mode = Mode::Var;
          else if (Accept(Tok::Const)) mode = Mode::Const;
          std::vector<QString> names;
          do {
            names.push_back(Ident());
          } while (Accept(Tok::Comma));
          Expect(Tok::Colon);
          const Type* type = TypeSpec();
          for (const QString& parameter : names) parameters.push_back({parameter, type, mode});
        } while (Accept(Tok::Semicolon));
      }
      Expect(Tok::RParen);
    }
    const Type* result = nullptr;
    if (function) {
      Expect(Tok::Colon);
      result = TypeSpec();
    }
    // A forward declaration is completed by the routine of the same name.
    const QString key = name.toLower();
    if (const auto it = scope_->symbols.find(key); it != scope_->symbols.end()) {
      if (it->what == Symbol::What::RoutineName && !it->routine->defined && !it->routine->host) {
        Routine& earlier = *it->routine;
        if (earlier.parameters.size() != parameters.size() || earlier.result != result)
          throw CompileError{at.line, at.column, QStringLiteral("la déclaration de %1 diffère de sa déclaration forward").arg(name)};
        return earlier;
      }
      throw CompileError{at.line, at.column, QStringLiteral("identificateur redéclaré : %1").arg(name)};
    }
    out_.routines.emplace_back();
    Routine& routine = out_.routines.back();
    routine.name = name;
    routine.parameters = std::move(parameters);
    routine.result = result;
    routine.level = scope_->level + 1;
    routine.line = at.line;
    routine.column = at.column;
    Symbol symbol;
    symbol.what = Symbol::What::RoutineName;
    symbol.routine = &routine;
    scope_->symbols.insert(key, symbol);
    return routine;
  }

  void RoutineDeclaration() {
    const Deeper deeper(*this);
    Routine& routine = Heading();
    Expect(Tok::Semicolon);
    if (Is(Tok::Ident) && Current().text.compare("forward", Qt::CaseInsensitive) == 0) {
      Next();
      Expect(Tok::Semicolon);
      return;
    }
    if (routine.level > kMaxNesting) throw Error(QStringLiteral("routines imbriquées trop profondément"));
    out_.scopes.emplace_back();
    Scope& scope = out_.scopes.back();
    scope.parent = scope_;
    scope.routine = &routine;
    scope.level = routine.level;
    scope_ = &scope;
    for (const Parameter& parameter : routine.parameters) {
      Check(parameter.name, Current());
      Symbol& symbol = DeclareVariable(parameter.name, parameter.type);
      symbol.byReference = parameter.mode == Mode::Var;
      symbol.constParameter = parameter.mode == Mode::Const;
    }
    if (routine.result) {
      Symbol& result = DeclareVariable("Result", routine.result);
      (void)result;
    }
    Declarations();
    const Token begin = Current();
    Expect(Tok::Begin);
    routine.body = CompoundRest(begin);
    Expect(Tok::Semicolon);
    routine.slotCount = scope.slotCount;
    routine.locals = scope.locals;
    routine.defined = true;
    scope_ = scope.parent;
  }

  // -- types
  const Type* TypeSpec() {
    const Deeper deeper(*this);
    const Token at = Current();
    if (Accept(Tok::LParen)) {
      Type enumeration;
      enumeration.kind = Kind::Enum;
      enumeration.low = 0;
      Type* type = out_.NewType(enumeration);
      do {
        const Token valueAt = Current();
        const QString name = Ident();
        Check(name, valueAt);
        DeclareConstant(name, type, Value::Int(type->names.size()));
        type->names << name;
      } while (Accept(Tok::Comma));
      Expect(Tok::RParen);
      type->high = type->names.size() - 1;
      return type;
    }
    if (Accept(Tok::Set)) {
      Expect(Tok::Of);
      const Type* base = TypeSpec();
      if (!base->ordinal() || base->low < 0 || base->high > 255)
        throw CompileError{at.line, at.column, QStringLiteral("un ensemble ne peut contenir que des ordinaux de 0 à 255")};
      Type set;
      set.kind = Kind::Set;
      set.base = base;
      return out_.NewType(set);
    }
    if (Accept(Tok::Array)) {
      Expect(Tok::LBracket);
      std::vector<const Type*> indexes;
      do {
        indexes.push_back(TypeSpec());
      } while (Accept(Tok::Comma));
      Expect(Tok::RBracket);
      Expect(Tok::Of);
      const Type* element = TypeSpec();
      for (const Type* index : indexes) {
        if (!index->ordinal() || index->low == std::numeric_limits<std::int64_t>::min())
          throw CompileError{at.line, at.column, QStringLiteral("indice de tableau : un intervalle ou un type ordinal borné est attendu")};
        if (index->high - index->low >= kMaxCells) throw CompileError{at.line, at.column, QStringLiteral("tableau trop grand")};
      }
      for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        Type array;
        array.kind = Kind::Array;
        array.base = *it;
        array.low = (*it)->low;
        array.high = (*it)->high;
        array.element = element;
        array.cells = (array.high - array.low + 1) * element->cells;
        if (array.cells > kMaxCells) throw CompileError{at.line, at.column, QStringLiteral("tableau trop grand")};
        element = out_.NewType(array);
      }
      return element;
    }
    if (Accept(Tok::Record)) {
      Type record;
      record.kind = Kind::Record;
      Type* type = out_.NewType(record);
      while (!Is(Tok::End_)) {
        std::vector<std::pair<QString, Token>> names;
        do {
          const Token fieldAt = Current();
          names.emplace_back(Ident(), fieldAt);
        } while (Accept(Tok::Comma));
        Expect(Tok::Colon);
        const Type* field = TypeSpec();
        for (const auto& [name, fieldAt] : names) {
          if (type->names.contains(name, Qt::CaseInsensitive))
            throw CompileError{fieldAt.line, fieldAt.column, QStringLiteral("champ redéclaré : %1").arg(name)};
          type->names << name;
          type->fields.push_back(field);
          type->cells += field->cells;
          if (type->cells > kMaxCells) throw CompileError{fieldAt.line, fieldAt.column, QStringLiteral("enregistrement trop grand")};
        }
        if (!Accept(Tok::Semicolon)) break;
      }
      Expect(Tok::End_);
      return type;
    }
    // A type's name, or a subrange of constants.
    if (Is(Tok::Ident) && !(Peek().kind == Tok::DotDot)) {
      if (const Symbol* symbol = scope_->Find(Current().text.toLower()); symbol && symbol->what == Symbol::What::TypeName) {
        Next();
        return symbol->type;
      }
    }
    ExprPtr low = Expression();
    if (!Accept(Tok::DotDot)) {
      throw ErrorAt(*low, QStringLiteral("type attendu"));
    }
    ExprPtr high = Expression();
    if (!low->constant || !high->constant || !low->type->ordinal() || Root(low->type) != Root(high->type))
      throw CompileError{at.line, at.column, QStringLiteral("intervalle de constantes ordinales de même type attendu")};
    Type subrange = *Root(low->type);
    subrange.name.clear();
    subrange.base = Root(low->type);
    subrange.low = ConstantValue(*low).i;
    subrange.high = ConstantValue(*high).i;
    if (subrange.low > subrange.high) throw CompileError{at.line, at.column, QStringLiteral("intervalle vide")};
    return out_.NewType(subrange);
  }

  // -- statements
  std::unique_ptr<CompoundStmt> CompoundRest(const Token& begin) {
    auto compound = std::make_unique<CompoundStmt>();
    At(compound.get(), begin);
    StatementList(compound->statements, Tok::End_);
    Expect(Tok::End_);
    return compound;
  }

  void StatementList(std::vector<StmtPtr>& statements, Tok end) {
    for (;;) {
      if (StmtPtr statement = Statement()) statements.push_back(std::move(statement));
      if (Accept(Tok::Semicolon)) continue;
      if (Is(end)) return;
      throw Error(QStringLiteral("';' attendu mais %1 trouvé").arg(Shown(Current())));
    }
  }

  StmtPtr Statement() {
    const Deeper deeper(*this);
    const Token at = Current();
    switch (at.kind) {
      case Tok::Begin: Next(); return CompoundRest(at);
      case Tok::If: {
        Next();
        auto statement = std::make_unique<IfStmt>();
        At(statement.get(), at);
        statement->condition = Condition();
        Expect(Tok::Then);
        statement->then = Statement();
        if (Accept(Tok::Else)) statement->otherwise = Statement();
        return statement;
      }
      case Tok::While: {
        Next();
        auto statement = std::make_unique<WhileStmt>();
        At(statement.get(), at);
        statement->condition = Condition();
        Expect(Tok::Do);
        ++loops_;
        statement->body = Statement();
        --loops_;
        return statement;
      }
      case Tok::Repeat: {
        Next();
        auto statement = std::make_unique<RepeatStmt>();
        At(statement.get(), at);
        ++loops_;
        StatementList(statement->statements, Tok::Until);
        --loops_;
        Expect(Tok::Until);
        statement->condition = Condition();
        return statement;
      }
      case Tok::For: return For(at);
      case Tok::Case: return Case(at);
      case Tok::Ident: return Simple(at);
      case Tok::Semicolon:
      case Tok::End_:
      case Tok::Until:
      case Tok::Else: return nullptr;  // the empty statement
      case Tok::Unsupported: throw Error(QStringLiteral("'%1' n'est pas pris en charge par ce langage").arg(at.text));
      default: throw Error(QStringLiteral("instruction attendue mais %1 trouvé").arg(Shown(at)));
    }
  }

  ExprPtr Condition() {
    ExprPtr condition = Expression();
    if (condition->type->kind != Kind::Boolean) throw ErrorAt(*condition, QStringLiteral("expression booléenne attendue"));
    return condition;
  }

  StmtPtr For(const Token& at) {
    Next();
    auto statement = std::make_unique<ForStmt>();
    At(statement.get(), at);
    const Token variableAt = Current();
    const QString name = Ident();
    const Symbol* symbol = scope_->Find(name.toLower());
    if (!symbol || symbol->what != Symbol::What::Variable || symbol->byReference || symbol->level != scope_->level)
      throw CompileError{variableAt.line, variableAt.column, QStringLiteral("la variable de contrôle doit être une variable locale : %1").arg(name)};
    if (!symbol->type->ordinal()) throw CompileError{variableAt.line, variableAt.column, QStringLiteral("variable de contrôle ordinale attendue")};
    statement->variable = Variable(*symbol, variableAt);
    Expect(Tok::Assign);
    statement->from = Converted(Expression(), symbol->type, variableAt);
    if (Accept(Tok::Downto)) statement->down = true;
    else Expect(Tok::To);
    statement->to = Converted(Expression(), symbol->type, variableAt);
    Expect(Tok::Do);
    ++loops_;
    statement->body = Statement();
    --loops_;
    return statement;
  }

  StmtPtr Case(const Token& at) {
    Next();
    auto statement = std::make_unique<CaseStmt>();
    At(statement.get(), at);
    statement->selector = Expression();
    const Type* selector = statement->selector->type;
    if (!selector->ordinal()) throw ErrorAt(*statement->selector, QStringLiteral("sélecteur ordinal attendu"));
    Expect(Tok::Of);
    while (!Is(Tok::Else) && !Is(Tok::End_)) {
      CaseStmt::Branch branch;
      do {
        ExprPtr first = Expression();
        ExprPtr last;
        if (Accept(Tok::DotDot)) last = Expression();
        for (const ExprPtr* label : {&first, &last}) {
          if (!*label) continue;
          if (!(*label)->constant || !Compatible(selector, (*label)->type))
            throw ErrorAt(**label, QStringLiteral("étiquette constante du type du sélecteur attendue"));
        }
        const std::int64_t from = ConstantValue(*first).i;
        branch.ranges.emplace_back(from, last ? ConstantValue(*last).i : from);
      } while (Accept(Tok::Comma));
      Expect(Tok::Colon);
      branch.statement = Statement();
      statement->branches.push_back(std::move(branch));
      if (!Accept(Tok::Semicolon)) break;
    }
    if (Accept(Tok::Else)) {
      auto otherwise = std::make_unique<CompoundStmt>();
      At(otherwise.get(), Current());
      StatementList(otherwise->statements, Tok::End_);
      statement->otherwise = std::move(otherwise);
    }
    Expect(Tok::End_);
    return statement;
  }

  // An assignment or a call, both beginning with a name.
  StmtPtr Simple(const Token& at) {
    const Symbol* symbol = scope_->Find(at.text.toLower());
    if (symbol && symbol->what == Symbol::What::BuiltinName) {
      switch (symbol->builtin) {
        case Builtin::Break:
        case Builtin::Continue: {
          Next();
          if (loops_ == 0) throw CompileError{at.line, at.column, QStringLiteral("%1 hors d'une boucle").arg(at.text)};
          auto jump = std::make_unique<JumpStmt>();
          At(jump.get(), at);
          jump->flow = symbol->builtin == Builtin::Break ? Flow::Break : Flow::Continue;
          return jump;
        }
        case Builtin::Exit: {
          Next();
          auto jump = std::make_unique<JumpStmt>();
          At(jump.get(), at);
          jump->flow = Flow::Exit;
          if (Accept(Tok::LParen)) {
            Routine* routine = scope_->routine;
            if (!routine || !routine->result) throw CompileError{at.line, at.column, QStringLiteral("Exit avec une valeur hors d'une fonction")};
            jump->result = Converted(Expression(), routine->result, at);
            Expect(Tok::RParen);
            jump->resultSlot = ResultOf(*routine, at);
          }
          return jump;
        }
        default: break;
      }
    }
    // The name of a function being defined, assigned to, is its result.
    if (symbol && symbol->what == Symbol::What::RoutineName && Peek().kind == Tok::Assign) {
      for (const Scope* scope = scope_; scope; scope = scope->parent)
        if (scope->routine == symbol->routine && symbol->routine->result) {
          Next();
          Next();
          auto assign = std::make_unique<AssignStmt>();
          At(assign.get(), at);
          assign->target = ResultOf(*symbol->routine, at);
          assign->value = Converted(Expression(), symbol->routine->result, at);
          return assign;
        }
    }
    ExprPtr target = Designator(true);
    if (Accept(Tok::Assign)) {
      if (auto* character = dynamic_cast<CharIndexExpr*>(target.get())) {
        if (!character->text->assignable()) throw ErrorAt(*target, QStringLiteral("cette expression ne peut pas être modifiée"));
        auto assign = std::make_unique<CharAssignStmt>();
        At(assign.get(), at);
        assign->value = Converted(Expression(), char_, at);
        assign->target.reset(static_cast<CharIndexExpr*>(target.release()));
        return assign;
      }
      if (!target->assignable() || IsConstParameter(*target))
        throw ErrorAt(*target, QStringLiteral("cette expression ne peut pas être modifiée"));
      auto assign = std::make_unique<AssignStmt>();
      At(assign.get(), at);
      assign->value = Converted(Expression(), target->type, at);
      assign->target = std::move(target);
      return assign;
    }
    if (!dynamic_cast<CallExpr*>(target.get()) && !dynamic_cast<BuiltinExpr*>(target.get()))
      throw ErrorAt(*target, QStringLiteral("instruction attendue (une affectation ou un appel)"));
    auto statement = std::make_unique<ExprStmt>();
    At(statement.get(), at);
    statement->call = std::move(target);
    return statement;
  }

  bool IsConstParameter(const Expr& target) const {
    const Expr* e = &target;
    for (;;) {
      if (const auto* field = dynamic_cast<const FieldExpr*>(e)) e = field->record.get();
      else if (const auto* index = dynamic_cast<const IndexExpr*>(e)) e = index->array.get();
      else break;
    }
    const auto* variable = dynamic_cast<const VarExpr*>(e);
    return variable && variable->readOnly;
  }

  ExprPtr ResultOf(const Routine& routine, const Token& at) {
    auto result = std::make_unique<VarExpr>();
    At(result.get(), at);
    result->type = routine.result;
    result->level = routine.level;
    result->slot = routine.resultSlot();
    return result;
  }

  ExprPtr Variable(const Symbol& symbol, const Token& at) {
    auto variable = std::make_unique<VarExpr>();
    At(variable.get(), at);
    variable->type = symbol.type;
    variable->level = symbol.level;
    variable->slot = symbol.slot;
    variable->byReference = symbol.byReference;
    variable->readOnly = symbol.constParameter;
    return variable;
  }

  // -- expressions
  ExprPtr Expression() {
    ExprPtr left = SimpleExpression();
    for (;;) {
      const Token at = Current();
      Op op;
      switch (at.kind) {
        case Tok::Equal: op = Op::Eq; break;
        case Tok::NotEqual: op = Op::Ne; break;
        case Tok::Less: op = Op::Lt; break;
        case Tok::LessEqual: op = Op::Le; break;
        case Tok::Greater: op = Op::Gt; break;
        case Tok::GreaterEqual: op = Op::Ge; break;
        case Tok::In: op = Op::In; break;
        default: return left;
      }
      Next();
      left = Binary(op, std::move(left), SimpleExpression(), at);
    }
  }

  ExprPtr SimpleExpression() {
    ExprPtr left = Term();
    for (;;) {
      const Token at = Current();
      Op op;
      switch (at.kind) {
        case Tok::Plus: op = Op::Add; break;
        case Tok::Minus: op = Op::Sub; break;
        case Tok::Or: op = Op::Or; break;
        case Tok::Xor: op = Op::Xor; break;
        default: return left;
      }
      Next();
      left = Binary(op, std::move(left), Term(), at);
    }
  }

  ExprPtr Term() {
    ExprPtr left = Factor();
    for (;;) {
      const Token at = Current();
      Op op;
      switch (at.kind) {
        case Tok::Star: op = Op::Mul; break;
        case Tok::Div: op = Op::Div; break;
        case Tok::Mod: op = Op::Mod; break;
        case Tok::And: op = Op::And; break;
        case Tok::Shl: op = Op::Shl; break;
        case Tok::Shr: op = Op::Shr; break;
        case Tok::Slash: throw Error(QStringLiteral("'/' donne un nombre réel, non pris en charge : utilisez div"));
        default: return left;
      }
      Next();
      left = Binary(op, std::move(left), Factor(), at);
    }
  }

  // A node is deeper than each of its operands; evaluating it recurses that
  // deep, so the depth is bounded.
  void Deepen(Expr& node, const Expr& operand) const {
    node.depth = std::max(node.depth, operand.depth + 1);
    if (node.depth > kMaxExpressionDepth)
      throw CompileError{node.line, node.column, QStringLiteral("expression trop longue (plus de %1 opérations enchaînées)").arg(kMaxExpressionDepth)};
  }

  ExprPtr Constant(const Type* type, const Value& value, const Token& at) {
    auto constant = std::make_unique<ConstExpr>();
    At(constant.get(), at);
    constant->type = type;
    constant->value = value;
    constant->constant = true;
    return constant;
  }

  ExprPtr Factor() {
    const Deeper deeper(*this);
    const Token at = Current();
    switch (at.kind) {
      case Tok::Integer: Next(); return Constant(IntegerTypeOf(at.number), Value::Int(at.number), at);
      case Tok::String:
        Next();
        // One character is a Char, which a string takes as well.
        if (at.text.size() == 1) return Constant(char_, Value::Int(at.text[0].unicode()), at);
        return Constant(string_, Value::Str(at.text), at);
      case Tok::LParen: {
        Next();
        ExprPtr inner = Expression();
        Expect(Tok::RParen);
        return inner;
      }
      case Tok::Not: {
        Next();
        ExprPtr operand = Factor();
        auto expr = std::make_unique<UnaryExpr>();
        At(expr.get(), at);
        if (operand->type->kind == Kind::Boolean) expr->op = Unary::BoolNot;
        else if (Root(operand->type)->kind == Kind::Integer) expr->op = Unary::Not;
        else throw ErrorAt(*operand, QStringLiteral("'not' demande un booléen ou un entier"));
        expr->type = expr->op == Unary::BoolNot ? boolean_ : int64_;
        expr->constant = operand->constant;
        Deepen(*expr, *operand);
        expr->operand = std::move(operand);
        return Folded(std::move(expr));
      }
      case Tok::Minus:
      case Tok::Plus: {
        Next();
        ExprPtr operand = Factor();
        if (Root(operand->type)->kind != Kind::Integer) throw ErrorAt(*operand, QStringLiteral("entier attendu"));
        if (at.kind == Tok::Plus) return operand;
        auto expr = std::make_unique<UnaryExpr>();
        At(expr.get(), at);
        expr->op = Unary::Negate;
        expr->type = int64_;
        expr->constant = operand->constant;
        Deepen(*expr, *operand);
        expr->operand = std::move(operand);
        return Folded(std::move(expr));
      }
      case Tok::LBracket: return SetConstructor(at);
      case Tok::Ident: return Designator(false);
      case Tok::Unsupported: throw Error(QStringLiteral("'%1' n'est pas pris en charge par ce langage").arg(at.text));
      default: throw Error(QStringLiteral("expression attendue mais %1 trouvé").arg(Shown(at)));
    }
  }

  const Type* IntegerTypeOf(std::int64_t v) const {
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max() ? integer_ : int64_;
  }

  // A constant expression is worked out once, while compiling.
  ExprPtr Folded(ExprPtr expr) {
    if (!expr->constant || dynamic_cast<ConstExpr*>(expr.get())) return expr;
    const Value value = ConstantValue(*expr);
    return Constant(expr->type, value, Token{Tok::End, {}, 0, expr->line, expr->column});
  }

  ExprPtr SetConstructor(const Token& at) {
    Next();
    auto set = std::make_unique<SetExpr>();
    At(set.get(), at);
    set->type = emptySet_;
    set->constant = true;
    const Type* base = nullptr;
    if (!Is(Tok::RBracket)) {
      do {
        SetExpr::Item item;
        item.first = Expression();
        if (Accept(Tok::DotDot)) item.last = Expression();
        for (const ExprPtr* element : {&item.first, &item.last}) {
          if (!*element) continue;
          const Type* type = (*element)->type;
          if (!type->ordinal()) throw ErrorAt(**element, QStringLiteral("élément ordinal attendu dans un ensemble"));
          if (base && !SameFamily(base, type)) throw ErrorAt(**element, QStringLiteral("éléments de types différents dans un ensemble"));
          if (!base) base = type;
          set->constant = set->constant && (*element)->constant;
          Deepen(*set, **element);
        }
        set->items.push_back(std::move(item));
      } while (Accept(Tok::Comma));
    }
    Expect(Tok::RBracket);
    if (base) {
      Type type;
      type.kind = Kind::Set;
      type.base = Root(base);
      set->type = out_.NewType(type);
    }
    return Folded(std::move(set));
  }

  static bool SameSetBase(const Type* a, const Type* b) {
    if (a->kind == Kind::EmptySet || b->kind == Kind::EmptySet) return true;
    return SameFamily(a->base, b->base);
  }

  static bool IsText(const Type* t) { return t->kind == Kind::String || t->kind == Kind::Char; }

  ExprPtr Binary(Op op, ExprPtr left, ExprPtr right, const Token& at) {
    auto expr = std::make_unique<BinaryExpr>();
    At(expr.get(), at);
    const Type* a = left->type;
    const Type* b = right->type;
    const auto refuse = [&]() -> CompileError {
      return {at.line, at.column, QStringLiteral("opérateur %1 impossible entre %2 et %3").arg(TokenText(at.kind), TypeName(a), TypeName(b))};
    };
    const bool integers = Root(a)->kind == Kind::Integer && Root(b)->kind == Kind::Integer;
    const bool booleans = a->kind == Kind::Boolean && b->kind == Kind::Boolean;
    const bool sets = (a->kind == Kind::Set || a->kind == Kind::EmptySet) && (b->kind == Kind::Set || b->kind == Kind::EmptySet);
    const bool comparison = op == Op::Eq || op == Op::Ne || op == Op::Lt || op == Op::Le || op == Op::Gt || op == Op::Ge;
    if (op == Op::In) {
      if (!a->ordinal() || !(b->kind == Kind::Set || b->kind == Kind::EmptySet) ||
          (b->kind == Kind::Set && !SameFamily(a, b->base)))
        throw refuse();
      expr->type = boolean_;
    } else if (comparison) {
      if (IsText(a) && IsText(b) && (a->kind == Kind::String || b->kind == Kind::String)) {
        left = Converted(std::move(left), string_, at);
        right = Converted(std::move(right), string_, at);
        op = static_cast<Op>(static_cast<int>(Op::StrEq) + (static_cast<int>(op) - static_cast<int>(Op::Eq)));
      } else if (sets) {
        if (!SameSetBase(a, b) || op == Op::Lt || op == Op::Gt) throw refuse();
        op = op == Op::Eq ? Op::SetEq : op == Op::Ne ? Op::SetNe : op == Op::Le ? Op::SetLe : Op::SetGe;
      } else if (!(a->ordinal() && b->ordinal() && SameFamily(a, b))) {
        throw refuse();
      }
      expr->type = boolean_;
    } else if (op == Op::Add && IsText(a) && IsText(b)) {
      left = Converted(std::move(left), string_, at);
      right = Converted(std::move(right), string_, at);
      op = Op::Concat;
      expr->type = string_;
    } else if (sets && (op == Op::Add || op == Op::Sub || op == Op::Mul)) {
      if (!SameSetBase(a, b)) throw refuse();
      op = op == Op::Add ? Op::SetUnion : op == Op::Sub ? Op::SetDiff : Op::SetMul;
      expr->type = a->kind == Kind::EmptySet ? b : a;
    } else if (booleans && (op == Op::And || op == Op::Or || op == Op::Xor)) {
      op = op == Op::And ? Op::BoolAnd : op == Op::Or ? Op::BoolOr : Op::BoolXor;
      expr->type = boolean_;
    } else if (integers) {
      expr->type = int64_;
    } else {
      throw refuse();
    }
    expr->op = op;
    expr->constant = left->constant && right->constant;
    Deepen(*expr, *left);
    Deepen(*expr, *right);
    expr->left = std::move(left);
    expr->right = std::move(right);
    return Folded(std::move(expr));
  }

  static QString TypeName(const Type* t) {
    if (!t->name.isEmpty()) return t->name;
    switch (t->kind) {
      case Kind::Set: return QStringLiteral("ensemble");
      case Kind::Array: return QStringLiteral("tableau");
      case Kind::Record: return QStringLiteral("enregistrement");
      case Kind::Enum: return QStringLiteral("énumération");
      default: return Root(t)->name;
    }
  }

  // Whether a value of `from` may be stored as `to`.
  bool Compatible(const Type* to, const Type* from) const {
    if (to == from) return true;
    const Type* a = Root(to);
    const Type* b = Root(from);
    if (a == b) return true;
    if (a->kind == Kind::Integer && b->kind == Kind::Integer) return true;
    if (a->kind == Kind::String && b->kind == Kind::Char) return true;
    if (to->kind == Kind::Set && from->kind == Kind::EmptySet) return true;
    if (to->kind == Kind::Set && from->kind == Kind::Set) return SameFamily(to->base, from->base);
    return false;
  }

  ExprPtr Converted(ExprPtr value, const Type* to, const Token& at) {
    if (!Compatible(to, value->type))
      throw CompileError{value->line ? value->line : at.line, value->line ? value->column : at.column,
                         QStringLiteral("types incompatibles : %1 attendu, %2 donné").arg(TypeName(to), TypeName(value->type))};
    const bool toString = to->kind == Kind::String && value->type->kind == Kind::Char;
    const bool narrower = Root(to)->kind == Kind::Integer && to->bits < 64 && value->type != to;
    if (!toString && !narrower) return value;
    auto convert = std::make_unique<ConvertExpr>();
    convert->line = value->line;
    convert->column = value->column;
    convert->type = Root(to)->kind == Kind::Integer ? Root(to) : to;
    convert->charToString = toString;
    convert->constant = value->constant;
    Deepen(*convert, *value);
    convert->operand = std::move(value);
    return Folded(std::move(convert));
  }

  // A name with its selectors: a constant, a variable and its fields and
  // elements, a call, a built-in routine, a type cast.
  ExprPtr Designator(bool statement) {
    const Token at = Current();
    const QString name = Ident();
    const Symbol* symbol = scope_->Find(name.toLower());
    if (!symbol) throw CompileError{at.line, at.column, QStringLiteral("identificateur non déclaré : %1").arg(name)};
    ExprPtr expr;
    switch (symbol->what) {
      case Symbol::What::Constant: expr = Constant(symbol->type, symbol->value, at); break;
      case Symbol::What::Variable: expr = Variable(*symbol, at); break;
      case Symbol::What::RoutineName: expr = Call(*symbol->routine, at, statement); break;
      case Symbol::What::BuiltinName: expr = BuiltinCall(symbol->builtin, at, statement); break;
      case Symbol::What::TypeName: {
        // Integer(x), TAlignment(1): an ordinal as another ordinal type.
        const Type* type = symbol->type;
        if (!type->ordinal() || !Accept(Tok::LParen)) throw CompileError{at.line, at.column, QStringLiteral("%1 est un type, pas une valeur").arg(name)};
        ExprPtr operand = Expression();
        Expect(Tok::RParen);
        if (!operand->type->ordinal()) throw ErrorAt(*operand, QStringLiteral("valeur ordinale attendue"));
        auto cast = std::make_unique<ConvertExpr>();
        At(cast.get(), at);
        cast->type = type;
        cast->constant = operand->constant;
        Deepen(*cast, *operand);
        cast->operand = std::move(operand);
        expr = Folded(std::move(cast));
        break;
      }
    }
    for (;;) {
      const Token selectorAt = Current();
      if (Accept(Tok::Dot)) {
        if (expr->type->kind != Kind::Record) throw CompileError{selectorAt.line, selectorAt.column, QStringLiteral("'.' après une valeur qui n'est pas un enregistrement")};
        const Token fieldAt = Current();
        const QString field = Ident();
        qsizetype index = -1;
        for (qsizetype i = 0; i < expr->type->names.size() && index < 0; ++i)
          if (expr->type->names[i].compare(field, Qt::CaseInsensitive) == 0) index = i;
        if (index < 0) throw CompileError{fieldAt.line, fieldAt.column, QStringLiteral("champ inconnu : %1").arg(field)};
        auto selected = std::make_unique<FieldExpr>();
        At(selected.get(), fieldAt);
        selected->type = expr->type->fields[static_cast<std::size_t>(index)];
        selected->field = static_cast<std::size_t>(index);
        Deepen(*selected, *expr);
        selected->record = std::move(expr);
        expr = std::move(selected);
      } else if (Accept(Tok::LBracket)) {
        do {
          ExprPtr index = Expression();
          if (expr->type->kind == Kind::String) {
            auto character = std::make_unique<CharIndexExpr>();
            At(character.get(), selectorAt);
            character->type = char_;
            character->index = Converted(std::move(index), int64_, selectorAt);
            Deepen(*character, *character->index);
            Deepen(*character, *expr);
            character->text = std::move(expr);
            expr = std::move(character);
          } else if (expr->type->kind == Kind::Array) {
            if (!Compatible(expr->type->base, index->type)) throw ErrorAt(*index, QStringLiteral("indice du mauvais type"));
            auto element = std::make_unique<IndexExpr>();
            At(element.get(), selectorAt);
            element->type = expr->type->element;
            Deepen(*element, *index);
            Deepen(*element, *expr);
            element->index = std::move(index);
            element->array = std::move(expr);
            expr = std::move(element);
          } else {
            throw ErrorAt(*index, QStringLiteral("'[' après une valeur qui n'est ni un tableau ni une chaîne"));
          }
        } while (Accept(Tok::Comma));
        Expect(Tok::RBracket);
      } else {
        return expr;
      }
    }
  }

  std::vector<ExprPtr> Arguments() {
    std::vector<ExprPtr> arguments;
    if (Accept(Tok::LParen)) {
      if (!Is(Tok::RParen)) {
        do {
          arguments.push_back(Expression());
        } while (Accept(Tok::Comma));
      }
      Expect(Tok::RParen);
    }
    return arguments;
  }

  ExprPtr Call(Routine& routine, const Token& at, bool statement) {
    std::vector<ExprPtr> arguments = Arguments();
    if (arguments.size() != routine.parameters.size())
      throw CompileError{at.line, at.column, QStringLiteral("%1 attend %2 argument(s), %3 donné(s)").arg(routine.name).arg(routine.parameters.size()).arg(arguments.size())};
    if (!routine.result && !statement) throw CompileError{at.line, at.column, QStringLiteral("la procédure %1 ne donne pas de valeur").arg(routine.name)};
    auto call = std::make_unique<CallExpr>();
    At(call.get(), at);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      const Parameter& parameter = routine.parameters[i];
      if (parameter.mode == Mode::Var) {
        if (!arguments[i]->assignable() || IsConstParameter(*arguments[i]))
          throw ErrorAt(*arguments[i], QStringLiteral("une variable est attendue pour le paramètre var %1").arg(parameter.name));
        if (arguments[i]->type != parameter.type && !(Root(arguments[i]->type) == Root(parameter.type) && arguments[i]->type->bits == parameter.type->bits))
          throw ErrorAt(*arguments[i], QStringLiteral("le paramètre var %1 demande exactement le type %2").arg(parameter.name, TypeName(parameter.type)));
      } else {
        arguments[i] = Converted(std::move(arguments[i]), parameter.type, at);
      }
    }
    for (const ExprPtr& argument : arguments) Deepen(*call, *argument);
    call->routine = &routine;
    call->type = routine.result ? routine.result : boolean_;
    call->arguments = std::move(arguments);
    return call;
  }

  ExprPtr BuiltinCall(Builtin id, const Token& at, bool statement) {
    auto call = std::make_unique<BuiltinExpr>();
    At(call.get(), at);
    call->id = id;
    const auto fail = [&](const QString& text) { return CompileError{at.line, at.column, text}; };
    if (id == Builtin::Exit || id == Builtin::Break || id == Builtin::Continue)
      throw fail(QStringLiteral("%1 est une instruction, pas une valeur").arg(at.text));
    // Low and High of a type name.
    if ((id == Builtin::Low || id == Builtin::High) && Is(Tok::LParen) && Peek().kind == Tok::Ident && Peek(2).kind == Tok::RParen) {
      const Symbol* named = scope_->Find(Peek().text.toLower());
      if (named && named->what == Symbol::What::TypeName) {
        Next();
        Next();
        Next();
        return Bound(std::move(call), named->type, id == Builtin::Low, at);
      }
    }
    std::vector<ExprPtr> arguments = Arguments();
    const auto count = [&](std::size_t least, std::size_t most) {
      if (arguments.size() < least || arguments.size() > most)
        throw fail(QStringLiteral("nombre d'arguments incorrect pour %1").arg(at.text));
    };
    const auto want = [&](std::size_t i, const Type* type) { arguments[i] = Converted(std::move(arguments[i]), type, at); };
    switch (id) {
      case Builtin::IntToStr: count(1, 1); want(0, int64_); call->type = string_; break;
      case Builtin::StrToInt: count(1, 1); want(0, string_); call->type = int64_; break;
      case Builtin::StrToIntDef: count(2, 2); want(0, string_); want(1, int64_); call->type = int64_; break;
      case Builtin::Length:
        count(1, 1);
        if (arguments[0]->type->kind != Kind::Array) want(0, string_);
        call->type = integer_;
        break;
      case Builtin::Copy: count(2, 3); want(0, string_); want(1, int64_); if (arguments.size() > 2) want(2, int64_); call->type = string_; break;
      case Builtin::Pos: count(2, 2); want(0, string_); want(1, string_); call->type = integer_; break;
      case Builtin::UpperCase:
      case Builtin::LowerCase:
      case Builtin::Trim: count(1, 1); want(0, string_); call->type = string_; break;
      case Builtin::Inc:
      case Builtin::Dec:
        if (!statement) throw fail(QStringLiteral("%1 est une procédure").arg(at.text));
        count(1, 2);
        if (!arguments[0]->assignable() || IsConstParameter(*arguments[0]) || Root(arguments[0]->type)->kind != Kind::Integer)
          throw fail(QStringLiteral("%1 demande une variable entière").arg(at.text));
        if (arguments.size() > 1) want(1, int64_);
        call->type = boolean_;
        break;
      case Builtin::Ord:
        count(1, 1);
        if (!arguments[0]->type->ordinal()) throw fail(QStringLiteral("Ord demande une valeur ordinale"));
        call->type = int64_;
        break;
      case Builtin::Chr: count(1, 1); want(0, int64_); call->type = char_; break;
      case Builtin::Low:
      case Builtin::High: {
        count(1, 1);
        const Type* type = arguments[0]->type;
        if (type->kind == Kind::String) {
          if (id == Builtin::Low) return Bound(std::move(call), nullptr, true, at);
          call->type = integer_;
          call->arguments = std::move(arguments);
          return call;
        }
        return Bound(std::move(call), type, id == Builtin::Low, at);
      }
      default: break;
    }
    for (const ExprPtr& argument : arguments) Deepen(*call, *argument);
    call->arguments = std::move(arguments);
    bool constant = id != Builtin::Inc && id != Builtin::Dec && id != Builtin::StrToInt;
    for (const ExprPtr& argument : call->arguments) constant = constant && argument->constant;
    call->constant = constant;
    return Folded(std::move(call));
  }

  // Low or High of a type (a string's Low is 1).
  ExprPtr Bound(std::unique_ptr<BuiltinExpr> call, const Type* type, bool low, const Token& at) {
    if (!type) return Constant(integer_, Value::Int(1), at);
    if (type->kind == Kind::Array) {
      const Type* index = type->base;
      return Constant(index, Value::Int(low ? type->low : type->high), at);
    }
    if (!type->ordinal()) throw CompileError{at.line, at.column, QStringLiteral("Low et High demandent un type ordinal, un tableau ou une chaîne")};
    (void)call;
    return Constant(type, Value::Int(low ? type->low : type->high), at);
  }

  Compiled& out_;
  TokenStream* stream_ = nullptr;
  mutable std::deque<Token> ahead_;
  Scope* global_ = nullptr;
  Scope* scope_ = nullptr;
  int nesting_ = 0;
  int loops_ = 0;
  const Type* integer_ = nullptr;
  const Type* int64_ = nullptr;
  const Type* boolean_ = nullptr;
  const Type* char_ = nullptr;
  const Type* string_ = nullptr;
  const Type* emptySet_ = nullptr;
};

namespace {

QString Message(bool error, int line, int column, const QString& text) {
  return QStringLiteral("[%1] (%2:%3) %4").arg(error ? QStringLiteral("Erreur") : QStringLiteral("Indice")).arg(line).arg(column).arg(text);
}

}  // namespace

// --- Registration and the engine ----------------------------------------------------

TScriptEngine::TScriptEngine() = default;
TScriptEngine::~TScriptEngine() = default;

namespace {

// The registration step's texts are parsed like the script's own.
template <typename Step>
bool Register(Parser* parser, QStringList* messages, const QString& text, const QString& what, Step step) {
  if (!parser) return false;
  TokenStream stream(text);
  try {
    parser->Restart(stream);
    step(*parser);
    if (!stream.ok()) {
      const LexMessage& error = stream.messages().back();
      throw CompileError{error.line, error.column, error.text};
    }
    return true;
  } catch (const CompileError& error) {
    if (messages)
      *messages << QStringLiteral("[Erreur] %1 refusé(e) « %2 » : %3").arg(what, text.left(120), error.text);
    return false;
  }
}

}  // namespace

bool TScriptEngine::AddFunction(const QString& declaration, HostCall call) {
  return Register(registering_, messages_, declaration, QStringLiteral("Déclaration"),
                  [&](Parser& parser) { parser.HostFunction(std::move(call)); });
}

bool TScriptEngine::AddProcedure(const QString& declaration, std::function<void(const QVariantList&)> call) {
  return Register(registering_, messages_, declaration, QStringLiteral("Déclaration"),
                  [&](Parser& parser) { parser.HostVariantProcedure(std::move(call)); });
}

bool TScriptEngine::AddConstant(const QString& name, const QString& typeName, const Value& value) {
  return Register(registering_, messages_, QString(), QStringLiteral("Constante ") + name,
                  [&](Parser& parser) { parser.HostConstant(name, typeName, value); });
}

bool TScriptEngine::AddType(const QString& name, const QString& definition) {
  return Register(registering_, messages_, definition, QStringLiteral("Type ") + name,
                  [&](Parser& parser) { parser.HostType(name); });
}

bool TScriptEngine::AddOpaqueType(const QString& name) {
  return Register(registering_, messages_, QString(), QStringLiteral("Type ") + name,
                  [&](Parser& parser) { parser.HostOpaque(name); });
}

bool TScriptEngine::Compile(const QString& text, QStringList& messages) {
  if (running_ || registering_) {
    // The program being run, or registered for, stays as it is.
    messages << QStringLiteral("[Erreur] (0:0) un script est en cours d'exécution : il ne peut pas être recompilé");
    return false;
  }
  program_.reset();
  auto compiled = std::make_unique<Compiled>();
  Parser parser(*compiled);
  parser.Globals();
  messages_ = &messages;
  registering_ = &parser;
  const qsizetype before = messages.size();
  if (onRegister) onRegister(*this);
  registering_ = nullptr;
  messages_ = nullptr;
  if (messages.size() != before) return false;
  TokenStream stream(text);
  std::optional<CompileError> failed;
  try {
    parser.Restart(stream);
    parser.Program();
  } catch (const CompileError& error) {
    failed = error;
  }
  // The lexer's hints, and its error, which is what stopped the parser.
  for (const LexMessage& message : stream.messages())
    messages << Message(message.error, message.line, message.column, message.text);
  if (!stream.ok()) return false;
  if (failed) {
    messages << Message(true, failed->line, failed->column, failed->text);
    return false;
  }
  program_ = std::move(compiled);
  return true;
}

void TScriptEngine::Abort(const QString& reason) {
  if (!running_) return;
  abortReason_ = reason;
  stopRequested_.store(true);
}

bool TScriptEngine::Run(QString* error) {
  if (!program_) {
    if (error) *error = QStringLiteral("aucun programme compilé");
    return false;
  }
  if (running_) {
    if (error) *error = QStringLiteral("un script est déjà en cours d'exécution");
    return false;
  }
  running_ = true;
  stopRequested_.store(false);
  abortReason_.clear();
  Frame globals;
  globals.values.resize(static_cast<std::size_t>(program_->globalSlots));
  for (const auto& [slot, type] : program_->globals) globals.values[static_cast<std::size_t>(slot)] = DefaultOf(type);
  for (const auto& [slot, value] : program_->initialised) globals.values[static_cast<std::size_t>(slot)] = value;
  Exec exec;
  exec.display.push_back(&globals);
  exec.stop = &stopRequested_;
  exec.stopReason = &abortReason_;
  // The program stays compiled while it runs, even if a host call compiles
  // another one: this one is kept until the run ends.
  Compiled* program = program_.get();
  bool ok = true;
  try {
    program->main->Run(exec);
  } catch (const Failure& failure) {
    ok = false;
    if (error) *error = failure.message;
  }
  running_ = false;
  return ok;
}

}  // namespace script
