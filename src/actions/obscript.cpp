#include "actions/obscript.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QThread>

#include "platform/shellutils.h"
#include "texts.h"

using script::TScriptEngine;
using script::Value;

namespace {

// The types every script may name, as the program registers them.
constexpr const char* kTypes[][2] = {
    {"TAlignment", "(taLeftJustify, taRightJustify, taCenter)"},
    {"HResult", "LongInt"},
    {"TGUID", "record D1: LongWord; D2: Word; D3: Word; D4: array[0..7] of Byte; end;"},
    {"TCLSID", "TGUID"},
    {"TIID", "TGUID"},
    {"TPoint", "record x,y: Longint; end;"},
    {"TScrollBarKind", "(sbHorizontal, sbVertical)"},
    {"TScrollBarInc", "SmallInt"},
    {"TFormBorderStyle", "(bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)"},
    {"TBorderStyle", "TFormBorderStyle"},
    {"TWindowState", "(wsNormal, wsMinimized, wsMaximized)"},
    {"TFormStyle", "(fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)"},
    {"TPosition",
     "(poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, "
     "poMainFormCenter, poOwnerFormCenter)"},
    {"TPrintScale", "(poNone, poProportional, poPrintToFit)"},
    {"TCloseAction", "(caNone, caHide, caFree, caMinimize)"},
    {"TBorderIcon", "(biSystemMenu, biMinimize, biMaximize, biHelp)"},
    {"TBorderIcons", "set of TBorderIcon"},
    {"THELPCONTEXT", "Longint"},
    {"TRect", "record Left, Top, Right, Bottom: Integer; end;"},
    {"TEditCharCase", "(ecNormal, ecUpperCase, ecLowerCase)"},
    {"TScrollStyle", "(ssNone, ssHorizontal, ssVertical, ssBoth)"},
    {"TComboBoxStyle", "(csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)"},
    {"TCheckBoxState", "(cbUnchecked, cbChecked, cbGrayed)"},
    {"TListBoxStyle", "(lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable)"},
    {"TScrollCode",
     "(scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll)"},
    {"TEOwnerDrawState",
     "(odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel, "
     "odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)"},
    {"TTextLayout", "( tlTop, tlCenter, tlBottom )"},
    {"TOwnerDrawState", "set of TEOwnerDrawState"},
    {"TSHORTCUT", "WORD"},
    {"TSavePreferences", "(spRegistre,spPortable,spNone)"},
};

// The graphics unit's part a script can use: the colour type and the
// standard colours, the font, pen and brush styles, and the drawing classes
// as names only.
constexpr std::pair<const char*, std::int64_t> kColours[] = {
    {"clBlack", 0x000000},   {"clMaroon", 0x000080}, {"clGreen", 0x008000},   {"clOlive", 0x008080},
    {"clNavy", 0x800000},    {"clPurple", 0x800080}, {"clTeal", 0x808000},    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},  {"clRed", 0x0000FF},    {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},    {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},   {"clWhite", 0xFFFFFF},
    {"clLtGray", 0xC0C0C0},  {"clDkGray", 0x808080}, {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
};
constexpr const char* kGraphicsTypes[][2] = {
    {"TColor", "Integer"},
    {"TFontStyle", "(fsBold, fsItalic, fsUnderline, fsStrikeOut)"},
    {"TFontStyles", "set of TFontStyle"},
    {"TPenStyle", "(psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)"},
    {"TBrushStyle", "(bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross)"},
};
constexpr const char* kGraphicsClasses[] = {"TGraphicsObject", "TFont", "TPen", "TBrush", "TCanvas",
                                            "TGraphic", "TBitmap", "TPicture"};

QString WithSlash(const QString& folder) { return folder.endsWith('/') ? folder : folder + '/'; }

// The name part's last dot, or -1.
qsizetype ExtensionDot(const QString& path) {
  const qsizetype dot = path.lastIndexOf('.');
  return dot > path.lastIndexOf('/') ? dot : -1;
}

}  // namespace

QString ScriptTextFromBytes(const QByteArray& bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    const bool little = bytes[0] == '\xFF';
    QString text;
    text.reserve((bytes.size() - 2) / 2);
    for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
      const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
      text += QChar(static_cast<char16_t>(little ? (b << 8 | a) : (a << 8 | b)));
    }
    return text;
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(bytes);
  return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

TOBScript::TOBScript(Desktop desktop) : desktop_(std::move(desktop)) {
  if (!desktop_.toTrash) desktop_.toTrash = shell::DeleteToRecycleBin;
  engine_.onRegister = [this](TScriptEngine& engine) { Register(engine); };
}

int TOBScript::Attach(std::function<QList<ScriptProcedure>()> commands) {
  attached_.emplace_back(++lastAttachment_, std::move(commands));
  return lastAttachment_;
}

void TOBScript::Detach(int attachment) {
  std::erase_if(attached_, [attachment](const auto& entry) { return entry.first == attachment; });
}

void TOBScript::Register(TScriptEngine& engine) {
  RegisterFunctions(engine);
  engine.AddConstant("clMoneyGreen", "Integer", Value::Int(12639424));
  engine.AddConstant("clSkyBlue", "Integer", Value::Int(15780518));
  engine.AddConstant("clCream", "Integer", Value::Int(15793151));
  engine.AddConstant("SecsPerDay", "LongInt", Value::Int(86400));
  engine.AddConstant("MSecPerDay", "LongInt", Value::Int(86400000));
  for (const auto& [name, definition] : kTypes) engine.AddType(name, definition);
  for (const auto& [name, definition] : kGraphicsTypes) engine.AddType(name, definition);
  for (const auto& [name, value] : kColours) engine.AddConstant(name, "TColor", Value::Int(value));
  for (const char* name : kGraphicsClasses) engine.AddOpaqueType(name);
  if (OnCompile) OnCompile(engine);
  for (const auto& [number, commands] : attached_)
    for (const ScriptProcedure& procedure : commands()) engine.AddProcedure(procedure.declaration, procedure.call);
}

void TOBScript::RegisterFunctions(TScriptEngine& engine) {
  engine.AddFunction("function findfirst(dossier:widestring;masque:widestring):widestring;",
                     [this](std::vector<Value>& a) {
                       searchFolder_ = WithSlash(a[0].s);
                       // A Windows-minded "*.*" means every name, with a dot or not.
                       const QString mask = a[1].s == "*.*" ? QStringLiteral("*") : a[1].s;
                       searchNames_ = QDir(searchFolder_).entryList(
                           {mask}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot |
                                       QDir::CaseSensitive,
                           QDir::Name);
                       if (searchNames_.isEmpty()) return Value::Str({});
                       return Value::Str(searchFolder_ + searchNames_.takeFirst());
                     });
  engine.AddFunction("function findnext:widestring;", [this](std::vector<Value>&) {
    if (searchNames_.isEmpty()) return Value::Str({});
    return Value::Str(searchFolder_ + searchNames_.takeFirst());
  });
  engine.AddFunction("procedure findclose;", [this](std::vector<Value>&) {
    searchFolder_.clear();
    searchNames_.clear();
    return Value();
  });
  engine.AddFunction("procedure showmessage(z:string);", [this](std::vector<Value>& a) {
    if (desktop_.showMessage) desktop_.showMessage(a[0].s);
    return Value();
  });
  engine.AddFunction("procedure sleep(milli:Cardinal);", [](std::vector<Value>& a) {
    QThread::msleep(static_cast<unsigned long>(a[0].i));
    return Value();
  });
  engine.AddFunction("procedure processmessages;", [this](std::vector<Value>&) {
    if (desktop_.processMessages) desktop_.processMessages();
    return Value();
  });
  engine.AddFunction("procedure forcedirectories(dir:widestring);", [](std::vector<Value>& a) {
    QDir().mkpath(a[0].s);
    return Value();
  });
  engine.AddFunction("function changefileext(fichier:widestring;ext:widestring):widestring;",
                     [](std::vector<Value>& a) {
                       const qsizetype dot = ExtensionDot(a[0].s);
                       return Value::Str((dot < 0 ? a[0].s : a[0].s.left(dot)) + a[1].s);
                     });
  engine.AddFunction("function deletefiletorecyclebin(fichier:widestring):Boolean;", [this](std::vector<Value>& a) {
    const QString& path = a[0].s;
    if (!QFileInfo::exists(path)) return Value::Bool(false);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    return Value::Bool(desktop_.toTrash(path));
  });
  engine.AddFunction("procedure renamefile(oldfile,newname:widestring);", [](std::vector<Value>& a) {
    QFile::rename(a[0].s, a[1].s);
    return Value();
  });
  engine.AddFunction("function extractfilename(fichier:widestring):widestring;", [](std::vector<Value>& a) {
    return Value::Str(a[0].s.mid(a[0].s.lastIndexOf('/') + 1));
  });
  engine.AddFunction("function extractfilepath(fichier:widestring):widestring;", [](std::vector<Value>& a) {
    return Value::Str(a[0].s.left(a[0].s.lastIndexOf('/') + 1));
  });
  engine.AddFunction("function extractfileext(fichier:widestring):widestring;", [](std::vector<Value>& a) {
    const qsizetype dot = ExtensionDot(a[0].s);
    return Value::Str(dot < 0 ? QString() : a[0].s.mid(dot));
  });
}

namespace {

// "procedure setHelp(const a:Boolean);" gives "setHelp".
QString RoutineName(const QString& declaration) {
  const QString text = declaration.trimmed();
  const qsizetype space = text.indexOf(' ');
  if (space < 0) return {};
  qsizetype end = space + 1;
  while (end < text.size() && (text[end].isLetterOrNumber() || text[end] == '_')) ++end;
  return text.mid(space + 1, end - space - 1);
}

}  // namespace

QStringList TOBScript::RoutineNames() const {
  QStringList names{"findfirst", "findnext", "findclose", "showmessage", "sleep", "processmessages",
                    "forcedirectories", "changefileext", "deletefiletorecyclebin", "renamefile", "extractfilename",
                    "extractfilepath", "extractfileext"};
  for (const auto& [number, commands] : attached_)
    for (const ScriptProcedure& procedure : commands())
      for (const QString& line : procedure.declaration.split('\n')) names << RoutineName(line);
  return names;
}

bool TOBScript::RefuseWhileRunning() {
  // A macro compiling or running a script while it runs (ExecuteMacro)
  // ends with an error; what it runs is left as it is.
  if (!engine_.running()) return false;
  engine_.Abort(QString::fromUtf8(texts::kScriptAlreadyRunning));
  return true;
}

bool TOBScript::CompileScript() {
  if (RefuseWhileRunning()) return false;
  Messages.clear();
  compiled_ = engine_.Compile(Script, Messages);
  Messages << QString::fromUtf8(compiled_ ? texts::kScriptCompiled : texts::kScriptNotCompiled);
  return compiled_;
}

bool TOBScript::RunScript() {
  if (RefuseWhileRunning()) return false;
  Messages.clear();
  if (!compiled_) {
    Messages << QString::fromUtf8(texts::kScriptNotReady);
    return false;
  }
  QString error;
  const bool ran = engine_.Run(&error);
  Messages << (ran ? QString::fromUtf8(texts::kScriptRan) : QString::fromUtf8(texts::kScriptRunFailed) + error);
  return ran;
}
