// The keyboard side of the commands: the text a key is shown with, the key a
// key press stands for, the keys a focused text field keeps, and the walk
// through the command lists that finds the command a key runs.
#pragma once

#include <QKeyCombination>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class QAction;
class QKeyEvent;
class TActionList;

// "Shift+", "Ctrl+", "Alt+" in that order, then the key's French name: "F5",
// "Barre d'Espace", "Inser", "Num +"... Empty for no key.
QString KeyText(const QKeySequence& key);

// The key a press stands for: the numeric pad counts only for its plus and
// minus (its arrows and Enter are the main keys'), Enter is Return.
QKeyCombination PressedKey(const QKeyEvent& event);

// True when a focused text field takes this key for itself: typing, moving
// the caret, the editing shortcuts. Alt combinations never are.
bool TextFieldKeepsKey(QKeyCombination key, const QString& text);

// Keys walk the main list, then a second one; within a list the first
// command carrying the key (as key or second key) takes it. A disabled main
// command still takes its key and does nothing.
struct TKeyDispatch {
  const TActionList* main = nullptr;
  // The second list's command for a key, or none.
  std::function<QAction*(QKeyCombination key)> second;

  // The command that takes the key, whether or not it may run now.
  QAction* Target(QKeyCombination key) const;
  // Runs the command of the key; false when no command has it.
  bool Dispatch(QKeyCombination key) const;
};

// The first action of `actions` that carries the key.
QAction* FirstWithKey(const QList<QAction*>& actions, QKeyCombination key);
