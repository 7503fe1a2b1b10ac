// The script language's tokens, with the conditional directives applied:
// what {$IFDEF} leaves out never reaches the parser.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace script {

enum class Tok : std::uint8_t {
  End,
  Ident,
  Integer,
  String,  // one literal, its adjacent parts ('a'#13#10'b') joined
  // Symbols
  Plus, Minus, Star, Slash, Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
  LParen, RParen, LBracket, RBracket, Dot, DotDot, Comma, Colon, Semicolon, Assign, Caret, At,
  // Reserved words
  And, Array, Begin, Case, Const, Div, Do, Downto, Else, End_, For, Function, If, In, Mod, Not, Of, Or,
  Procedure, Program, Record, Repeat, Set, Shl, Shr, Then, To, Type, Until, Var, While, Xor,
  // Reserved words of what the language leaves out
  Unsupported,
};

struct Token {
  Tok kind = Tok::End;
  QString text;  // identifier as written, string's value, unsupported word
  std::int64_t number = 0;
  int line = 1;
  int column = 1;
};

struct LexMessage {
  bool error = false;
  int line = 0;
  int column = 0;
  QString text;
};

// Reads the text one token at a time, so that a huge text never becomes a
// huge token list. After the first error it gives only End; the error is
// among the messages.
class TokenStream {
 public:
  // `defines` are the symbols defined before the text starts. The text must
  // outlive the stream.
  explicit TokenStream(const QString& text, QSet<QString> defines = {});
  ~TokenStream();
  TokenStream(const TokenStream&) = delete;
  TokenStream& operator=(const TokenStream&) = delete;

  Token Next();
  bool ok() const;
  const std::vector<LexMessage>& messages() const;

 private:
  class Lexer;
  std::unique_ptr<Lexer> lexer_;
};

// The text of a token kind for messages ("';'", "'begin'").
QString TokenText(Tok kind);

// How deep conditional directives, statements, expressions and types may
// nest.
constexpr int kMaxNesting = 256;

}  // namespace script
