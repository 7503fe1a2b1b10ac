#include "actions/scriptlexer.h"

#include <limits>

namespace script {

namespace {

struct Word {
  const char* text;
  Tok kind;
};

constexpr Word kReserved[] = {
    {"and", Tok::And},         {"array", Tok::Array},     {"begin", Tok::Begin},   {"case", Tok::Case},
    {"const", Tok::Const},     {"div", Tok::Div},         {"do", Tok::Do},         {"downto", Tok::Downto},
    {"else", Tok::Else},       {"end", Tok::End_},        {"for", Tok::For},       {"function", Tok::Function},
    {"if", Tok::If},           {"in", Tok::In},           {"mod", Tok::Mod},       {"not", Tok::Not},
    {"of", Tok::Of},           {"or", Tok::Or},           {"procedure", Tok::Procedure},
    {"program", Tok::Program}, {"record", Tok::Record},   {"repeat", Tok::Repeat}, {"set", Tok::Set},
    {"shl", Tok::Shl},         {"shr", Tok::Shr},         {"then", Tok::Then},     {"to", Tok::To},
    {"type", Tok::Type},       {"until", Tok::Until},     {"var", Tok::Var},       {"while", Tok::While},
    {"xor", Tok::Xor},
};

// Words of what the language leaves out: refused with a clear message
// rather than read as names.
constexpr const char* kLeftOut[] = {"class",     "object",   "try",        "except",   "finally", "raise",
                                    "with",      "goto",     "label",      "uses",     "unit",    "interface",
                                    "implementation", "nil", "constructor", "destructor", "property",
                                    "inherited", "packed",   "file",       "asm",      "initialization",
                                    "finalization"};

// The reserved word a name is, or Ident.
Tok WordKind(const QString& name) {
  if (name.size() > 14) return Tok::Ident;  // longer than any reserved word
  for (const Word& word : kReserved)
    if (name.compare(QLatin1String(word.text), Qt::CaseInsensitive) == 0) return word.kind;
  for (const char* word : kLeftOut)
    if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return Tok::Unsupported;
  return Tok::Ident;
}

bool IsIdentStart(QChar c) { return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsIdentPart(QChar c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(QChar c) { return c >= '0' && c <= '9'; }
int HexDigit(QChar c) {
  if (c >= '0' && c <= '9') return c.unicode() - '0';
  if (c >= 'a' && c <= 'f') return c.unicode() - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c.unicode() - 'A' + 10;
  return -1;
}

}  // namespace

class TokenStream::Lexer {
 public:
  Lexer(const QString& text, QSet<QString> defines) : text_(text), defines_(std::move(defines)) {}

  Token Next() {
    while (ok_ && !ended_) {
      SkipBlanksAndComments();
      if (!ok_) break;
      if (pos_ >= text_.size()) break;
      if (skipping_ > 0) {
        SkipInactive();
        continue;
      }
      const int line = line_, column = Column();
      Token token;
      if (!ReadToken(token)) break;
      token.line = line;
      token.column = column;
      return token;
    }
    if (ok_ && !ended_ && !conditions_.empty())
      Error(conditions_.back().line, conditions_.back().column, QStringLiteral("{$ENDIF} manquant"));
    if (!ended_) {
      ended_ = true;
      end_.line = line_;
      end_.column = Column();
    }
    return end_;
  }
  bool ok() const { return ok_; }
  const std::vector<LexMessage>& messages() const { return messages_; }

 private:
  struct Condition {
    bool active;      // this branch is taken (and every enclosing one)
    bool sawElse = false;
    bool outerActive;
    int line, column;
  };

  int Column() const { return static_cast<int>(pos_ - lineStart_) + 1; }
  QChar At(qsizetype offset = 0) const {
    const qsizetype p = pos_ + offset;
    return p < text_.size() ? text_[p] : QChar();
  }
  void Advance() {
    if (text_[pos_] == '\n') {
      ++line_;
      lineStart_ = pos_ + 1;
    }
    ++pos_;
  }
  void Error(int line, int column, const QString& text) {
    if (!ok_) return;
    ok_ = false;
    messages_.push_back({true, line, column, text});
  }
  void Hint(int line, int column, const QString& text) { messages_.push_back({false, line, column, text}); }

  void SkipBlanksAndComments() {
    while (ok_ && pos_ < text_.size()) {
      const QChar c = At();
      if (c.isSpace() || c == QChar(0)) {
        Advance();
      } else if (c == '/' && At(1) == '/') {
        while (pos_ < text_.size() && At() != '\n') Advance();
      } else if (c == '{') {
        const int line = line_, column = Column();
        const qsizetype start = pos_;
        while (pos_ < text_.size() && At() != '}') Advance();
        if (pos_ >= text_.size()) return Error(line, column, QStringLiteral("commentaire non terminé"));
        Advance();
        if (text_[start + 1] == '$') Directive(text_.mid(start + 2, pos_ - start - 3), line, column);
      } else if (c == '(' && At(1) == '*') {
        const int line = line_, column = Column();
        Advance();
        Advance();
        while (pos_ < text_.size() && !(At() == '*' && At(1) == ')')) Advance();
        if (pos_ >= text_.size()) return Error(line, column, QStringLiteral("commentaire non terminé"));
        Advance();
        Advance();
      } else {
        return;
      }
    }
  }

  void Directive(const QString& body, int line, int column) {
    const QString trimmed = body.trimmed();
    qsizetype nameEnd = 0;
    while (nameEnd < trimmed.size() && IsIdentPart(trimmed[nameEnd])) ++nameEnd;
    const QString name = trimmed.left(nameEnd).toUpper();
    const QString argument = trimmed.mid(nameEnd).trimmed().section(QChar(' '), 0, 0).toLower();
    const bool active = skipping_ == 0;
    if (name == "IFDEF" || name == "IFNDEF") {
      if (conditions_.size() >= static_cast<std::size_t>(kMaxNesting))
        return Error(line, column, QStringLiteral("directives imbriquées trop profondément (plus de %1)").arg(kMaxNesting));
      if (argument.isEmpty()) return Error(line, column, QStringLiteral("nom de symbole attendu après {$%1}").arg(name));
      const bool taken = defines_.contains(argument) == (name == "IFDEF");
      conditions_.push_back({active && taken, false, active, line, column});
      if (!(active && taken)) ++skipping_;
    } else if (name == "ELSE") {
      if (conditions_.empty() || conditions_.back().sawElse)
        return Error(line, column, QStringLiteral("{$ELSE} sans {$IFDEF}"));
      Condition& condition = conditions_.back();
      condition.sawElse = true;
      if (!condition.outerActive) return;
      if (condition.active) {
        condition.active = false;
        ++skipping_;
      } else {
        condition.active = true;
        --skipping_;
      }
    } else if (name == "ENDIF") {
      if (conditions_.empty()) return Error(line, column, QStringLiteral("{$ENDIF} sans {$IFDEF}"));
      if (!conditions_.back().active) --skipping_;
      conditions_.pop_back();
    } else if (!active) {
      return;
    } else if (name == "DEFINE" || name == "UNDEF") {
      if (argument.isEmpty()) return Error(line, column, QStringLiteral("nom de symbole attendu après {$%1}").arg(name));
      if (name == "DEFINE")
        defines_.insert(argument);
      else
        defines_.remove(argument);
    } else {
      Hint(line, column, QStringLiteral("directive {$%1} inconnue, ignorée").arg(name.isEmpty() ? trimmed.left(20) : name));
    }
  }

  // Text a condition leaves out need not be valid: only its comments (which
  // may be directives) and quoted runs (which may hold braces) count.
  void SkipInactive() {
    if (At() != '\'') return Advance();
    Advance();
    while (pos_ < text_.size() && At() != '\'' && At() != '\n') Advance();
    if (pos_ < text_.size() && At() == '\'') Advance();
  }

  bool ReadToken(Token& token) {
    const QChar c = At();
    const int line = line_, column = Column();
    if (IsIdentStart(c)) {
      const qsizetype start = pos_;
      while (pos_ < text_.size() && IsIdentPart(At())) Advance();
      token.text = text_.mid(start, pos_ - start);
      token.kind = WordKind(token.text);
      return true;
    }
    if (IsDigit(c) || (c == '$' && HexDigit(At(1)) >= 0)) return ReadNumber(token, line, column);
    if (c == '\'' || c == '#') return ReadString(token, line, column);
    Advance();
    const QChar next = At();
    const auto two = [&](Tok kind) {
      Advance();
      token.kind = kind;
      return true;
    };
    switch (c.unicode()) {
      case '+': token.kind = Tok::Plus; return true;
      case '-': token.kind = Tok::Minus; return true;
      case '*': token.kind = Tok::Star; return true;
      case '/': token.kind = Tok::Slash; return true;
      case '=': token.kind = Tok::Equal; return true;
      case '<':
        if (next == '>') return two(Tok::NotEqual);
        if (next == '=') return two(Tok::LessEqual);
        token.kind = Tok::Less;
        return true;
      case '>':
        if (next == '=') return two(Tok::GreaterEqual);
        token.kind = Tok::Greater;
        return true;
      case '(': token.kind = Tok::LParen; return true;
      case ')': token.kind = Tok::RParen; return true;
      case '[': token.kind = Tok::LBracket; return true;
      case ']': token.kind = Tok::RBracket; return true;
      case '.':
        if (next == '.') return two(Tok::DotDot);
        token.kind = Tok::Dot;
        return true;
      case ',': token.kind = Tok::Comma; return true;
      case ':':
        if (next == '=') return two(Tok::Assign);
        token.kind = Tok::Colon;
        return true;
      case ';': token.kind = Tok::Semicolon; return true;
      case '^': token.kind = Tok::Caret; return true;
      case '@': token.kind = Tok::At; return true;
      default: break;
    }
    const QString shown = c.isPrint() ? QStringLiteral("'%1'").arg(c) : QStringLiteral("#%1").arg(c.unicode());
    Error(line, column, QStringLiteral("caractère inattendu %1").arg(shown));
    return false;
  }

  bool ReadNumber(Token& token, int line, int column) {
    token.kind = Tok::Integer;
    std::uint64_t value = 0;
    bool overflow = false;
    if (At() == '$') {
      Advance();
      while (HexDigit(At()) >= 0) {
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) overflow = true;
        value = value << 4 | static_cast<std::uint64_t>(HexDigit(At()));
        Advance();
      }
      // $FFFFFFFFFFFFFFFF is -1, as an Int64 bit pattern.
      if (overflow) {
        Error(line, column, QStringLiteral("nombre trop grand"));
        return false;
      }
      token.number = static_cast<std::int64_t>(value);
      return true;
    }
    while (IsDigit(At())) {
      const auto digit = static_cast<std::uint64_t>(At().unicode() - '0');
      if (value > (static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - digit) / 10) overflow = true;
      value = value * 10 + digit;
      Advance();
    }
    if ((At() == '.' && IsDigit(At(1))) || ((At() == 'e' || At() == 'E') && (IsDigit(At(1)) || At(1) == '-' || At(1) == '+'))) {
      Error(line, column, QStringLiteral("les nombres réels ne sont pas pris en charge"));
      return false;
    }
    if (overflow) {
      Error(line, column, QStringLiteral("nombre trop grand"));
      return false;
    }
    token.number = static_cast<std::int64_t>(value);
    return true;
  }

  // Quoted runs and #n characters, joined while they follow one another.
  bool ReadString(Token& token, int line, int column) {
    token.kind = Tok::String;
    QString value;
    while (At() == '\'' || At() == '#') {
      if (At() == '\'') {
        Advance();
        for (;;) {
          if (pos_ >= text_.size() || At() == '\n' || At() == '\r') {
            Error(line, column, QStringLiteral("chaîne non terminée"));
            return false;
          }
          if (At() == '\'') {
            Advance();
            if (At() != '\'') break;
          }
          value += At();
          Advance();
        }
      } else {
        const int hashColumn = Column();
        Advance();
        std::uint32_t code = 0;
        bool any = false;
        if (At() == '$') {
          Advance();
          while (HexDigit(At()) >= 0) {
            code = code * 16 + static_cast<std::uint32_t>(HexDigit(At()));
            if (code > 0xFFFF) break;
            any = true;
            Advance();
          }
        } else {
          while (IsDigit(At())) {
            code = code * 10 + static_cast<std::uint32_t>(At().unicode() - '0');
            if (code > 0xFFFF) break;
            any = true;
            Advance();
          }
        }
        if (!any || code > 0xFFFF) {
          Error(line_, hashColumn, QStringLiteral("code de caractère invalide après #"));
          return false;
        }
        value += QChar(static_cast<char16_t>(code));
      }
    }
    token.text = value;
    return true;
  }

  const QString& text_;
  QSet<QString> defines_;
  qsizetype pos_ = 0;
  qsizetype lineStart_ = 0;
  int line_ = 1;
  std::vector<Condition> conditions_;
  int skipping_ = 0;  // enclosing conditions not taken
  bool ok_ = true;
  bool ended_ = false;
  Token end_;
  std::vector<LexMessage> messages_;
};

TokenStream::TokenStream(const QString& text, QSet<QString> defines)
    : lexer_(std::make_unique<Lexer>(text, std::move(defines))) {}
TokenStream::~TokenStream() = default;
Token TokenStream::Next() { return lexer_->Next(); }
bool TokenStream::ok() const { return lexer_->ok(); }
const std::vector<LexMessage>& TokenStream::messages() const { return lexer_->messages(); }

QString TokenText(Tok kind) {
  switch (kind) {
    case Tok::End: return QStringLiteral("fin du texte");
    case Tok::Ident: return QStringLiteral("identificateur");
    case Tok::Integer: return QStringLiteral("nombre");
    case Tok::String: return QStringLiteral("chaîne");
    case Tok::Plus: return "'+'";
    case Tok::Minus: return "'-'";
    case Tok::Star: return "'*'";
    case Tok::Slash: return "'/'";
    case Tok::Equal: return "'='";
    case Tok::NotEqual: return "'<>'";
    case Tok::Less: return "'<'";
    case Tok::LessEqual: return "'<='";
    case Tok::Greater: return "'>'";
    case Tok::GreaterEqual: return "'>='";
    case Tok::LParen: return "'('";
    case Tok::RParen: return "')'";
    case Tok::LBracket: return "'['";
    case Tok::RBracket: return "']'";
    case Tok::Dot: return "'.'";
    case Tok::DotDot: return "'..'";
    case Tok::Comma: return "','";
    case Tok::Colon: return "':'";
    case Tok::Semicolon: return "';'";
    case Tok::Assign: return "':='";
    case Tok::Caret: return "'^'";
    case Tok::At: return "'@'";
    case Tok::Unsupported: return QStringLiteral("mot réservé");
    default: break;
  }
  for (const Word& word : kReserved)
    if (word.kind == kind) return QStringLiteral("'%1'").arg(QString::fromLatin1(word.text));
  return QStringLiteral("?");
}

}  // namespace script
