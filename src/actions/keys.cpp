#include "actions/keys.h"

#include <QAction>
#include <QKeyEvent>
#include <algorithm>

#include "actions/superaction.h"

namespace {

QString KeyName(Qt::Key key, bool keypad) {
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return QChar(key);
  switch (key) {
    case Qt::Key_Backspace: return QStringLiteral("BkSp");
    case Qt::Key_Tab: return QStringLiteral("Tab");
    case Qt::Key_Escape: return QStringLiteral("Echap");
    case Qt::Key_Return:
    case Qt::Key_Enter: return QStringLiteral("Entrée");
    case Qt::Key_Space: return QStringLiteral("Barre d'Espace");
    case Qt::Key_PageUp: return QStringLiteral("PgUp");
    case Qt::Key_PageDown: return QStringLiteral("PgDn");
    case Qt::Key_End: return QStringLiteral("Fin");
    case Qt::Key_Home: return QStringLiteral("Home");
    case Qt::Key_Left: return QStringLiteral("Left");
    case Qt::Key_Up: return QStringLiteral("Up");
    case Qt::Key_Right: return QStringLiteral("Right");
    case Qt::Key_Down: return QStringLiteral("Down");
    case Qt::Key_Insert: return QStringLiteral("Inser");
    case Qt::Key_Delete: return QStringLiteral("Suppr");
    case Qt::Key_Pause: return QStringLiteral("Pause");
    case Qt::Key_Plus: return keypad ? QStringLiteral("Num +") : QStringLiteral("+");
    case Qt::Key_Minus: return keypad ? QStringLiteral("Num -") : QStringLiteral("-");
    default: return QKeySequence(key).toString(QKeySequence::NativeText);
  }
}

}  // namespace

QString KeyText(const QKeySequence& key) {
  if (key.isEmpty()) return {};
  const QKeyCombination combination = key[0];
  const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
  QString text;
  if (modifiers & Qt::ShiftModifier) text += QStringLiteral("Shift+");
  if (modifiers & Qt::ControlModifier) text += QStringLiteral("Ctrl+");
  if (modifiers & Qt::AltModifier) text += QStringLiteral("Alt+");
  return text + KeyName(combination.key(), modifiers & Qt::KeypadModifier);
}

QKeyCombination PressedKey(const QKeyEvent& event) {
  auto key = static_cast<Qt::Key>(event.key());
  Qt::KeyboardModifiers modifiers =
      event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier);
  if (key == Qt::Key_Enter) key = Qt::Key_Return;
  if (key != Qt::Key_Plus && key != Qt::Key_Minus) modifiers &= ~Qt::KeypadModifier;
  return QKeyCombination(modifiers, key);
}

bool TextFieldKeepsKey(QKeyCombination key, const QString& text) {
  const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
  if (modifiers & Qt::AltModifier) return false;
  if (key.key() == Qt::Key_Space) return !(modifiers & Qt::ControlModifier);
  switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      break;
  }
  if (modifiers & Qt::ControlModifier) {
    const Qt::Key editing[] = {Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_A, Qt::Key_Z, Qt::Key_Y};
    return std::find(std::begin(editing), std::end(editing), key.key()) != std::end(editing);
  }
  return !text.isEmpty() && text.at(0).isPrint();
}

QAction* FirstWithKey(const QList<QAction*>& actions, QKeyCombination key) {
  const QKeySequence wanted(key);
  for (QAction* action : actions)
    if (action->shortcuts().contains(wanted)) return action;
  return nullptr;
}

QAction* TKeyDispatch::Target(QKeyCombination key) const {
  if (main) {
    QList<QAction*> actions;
    for (TCustomSuperAction* action : main->actions()) actions << action;
    if (QAction* found = FirstWithKey(actions, key)) return found;
  }
  return second ? second(key) : nullptr;
}

bool TKeyDispatch::Dispatch(QKeyCombination key) const {
  QAction* target = Target(key);
  if (!target) return false;
  if (auto* command = qobject_cast<TCustomSuperAction*>(target))
    command->Execute();  // does nothing while disabled
  else if (target->isEnabled())
    target->trigger();
  return true;
}
