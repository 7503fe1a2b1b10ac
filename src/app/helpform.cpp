#include "app/helpform.h"

#include <QCloseEvent>
#include <QCollator>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "actions/keys.h"
#include "actions/scripthighlighter.h"
#include "app/scriptform.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QString NameOf(TCustomAbstractAction* action) { return action->ScriptName.isEmpty() ? action->text() : action->ScriptName; }

constexpr int kActionRole = Qt::UserRole;

}  // namespace

THelpForm::THelpForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpForm");
  setWindowTitle(Text(texts::kHelpWindowTitle));
  QPalette backdrop = palette();
  backdrop.setColor(QPalette::Window, WorkspaceColour());
  setPalette(backdrop);
  setAutoFillBackground(true);

  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  pages = new QTabWidget(this);
  left->addWidget(pages, 1);
  auto* sorts = new QHBoxLayout;
  const std::pair<const char*, Sort> buttons[] = {
      {texts::kHelpSortByName, Sort::Name}, {texts::kHelpSortByKey, Sort::Key}, {texts::kHelpSortBySwitch, Sort::Switch}};
  for (const auto& [caption, sort] : buttons) {
    auto* button = new QPushButton(Text(caption), this);
    connect(button, &QPushButton::clicked, this, [this, sort = sort] { SetSort(sort); });
    sorts->addWidget(button);
  }
  left->addLayout(sorts);
  layout->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  leName = new QLabel(this);
  QFont nameFont = leName->font();
  nameFont.setPointSize(12);
  leName->setFont(nameFont);
  QPalette black = leName->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  leName->setPalette(black);
  leHint = new QLabel(this);
  leHint->setWordWrap(true);
  leSyntaxe = new QPlainTextEdit(this);
  leSyntaxe->setReadOnly(true);
  QFont mono(QStringLiteral("Liberation Mono"));
  mono.setStyleHint(QFont::Monospace);
  leSyntaxe->setFont(mono);
  new TScriptHighlighter(leSyntaxe->document());
  leSwitch = new QLabel(this);
  QFont switchFont = leSwitch->font();
  switchFont.setPointSize(10);
  leSwitch->setFont(switchFont);
  QPalette navy = leSwitch->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  leSwitch->setPalette(navy);
  leCommentaire = new QLabel(this);
  leCommentaire->setWordWrap(true);
  for (QWidget* widget : std::initializer_list<QWidget*>{leName, leHint, leSyntaxe, leSwitch, leCommentaire})
    right->addWidget(widget);
  right->addStretch(1);
  layout->addLayout(right, 1);
  connect(pages, &QTabWidget::currentChanged, this, [this] { ShowSelected(); });
  resize(760, 480);
}

QListWidget* THelpForm::Page(int index) const {
  return index >= 0 && index < static_cast<int>(lists_.size()) ? lists_[static_cast<std::size_t>(index)].first
                                                                : nullptr;
}

void THelpForm::AddPage(const QString& title, const TCustomOBActionList& list) {
  auto* page = new QListWidget(pages);
  lists_.emplace_back(page, &list);
  pages->addTab(page, title);
  connect(page, &QListWidget::currentItemChanged, this, [this] { ShowSelected(); });
  connect(page, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
    if (auto* action = static_cast<TCustomAbstractAction*>(item->data(kActionRole).value<void*>()))
      action->ExecuteFromUser();
  });
  Fill(page);
}

void THelpForm::SetSort(Sort sort) {
  sort_ = sort;
  for (const auto& [page, list] : lists_) Fill(page);
  ShowSelected();
}

// The page's commands in the order chosen; the one chosen stays chosen.
void THelpForm::Fill(QListWidget* page) {
  const auto entry = std::find_if(lists_.begin(), lists_.end(), [page](const auto& e) { return e.first == page; });
  if (entry == lists_.end()) return;
  TCustomAbstractAction* kept = nullptr;
  if (QListWidgetItem* current = page->currentItem())
    kept = static_cast<TCustomAbstractAction*>(current->data(kActionRole).value<void*>());
  QList<TCustomAbstractAction*> actions = entry->second->actions();
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  const auto keyOf = [this](TCustomAbstractAction* action) {
    switch (sort_) {
      case Sort::Key: return KeyText(action->shortcut());
      case Sort::Switch: return action->Switch;
      default: return NameOf(action);
    }
  };
  // Commands without a key or switch come after the others, by name.
  std::stable_sort(actions.begin(), actions.end(), [&](TCustomAbstractAction* a, TCustomAbstractAction* b) {
    const QString ka = keyOf(a), kb = keyOf(b);
    if (ka.isEmpty() != kb.isEmpty()) return kb.isEmpty();
    const int order = collator.compare(ka, kb);
    return order != 0 ? order < 0 : collator.compare(NameOf(a), NameOf(b)) < 0;
  });
  const QSignalBlocker quiet(page);
  page->clear();
  for (TCustomAbstractAction* action : actions) {
    auto* item = new QListWidgetItem(NameOf(action), page);
    item->setData(kActionRole, QVariant::fromValue(static_cast<void*>(action)));
    if (action == kept) page->setCurrentItem(item);
  }
  if (!page->currentItem() && page->count() > 0) page->setCurrentRow(0);
}

TCustomAbstractAction* THelpForm::Selected() const {
  const QListWidget* page = Page(pages->currentIndex());
  const QListWidgetItem* item = page ? page->currentItem() : nullptr;
  return item ? static_cast<TCustomAbstractAction*>(item->data(kActionRole).value<void*>()) : nullptr;
}

void THelpForm::ShowSelected() {
  TCustomAbstractAction* action = Selected();
  if (!action) {
    for (QLabel* label : {leName, leHint, leSwitch, leCommentaire}) label->clear();
    leSyntaxe->clear();
    return;
  }
  leName->setText(NameOf(action) + "    " + KeyText(action->shortcut()));
  leHint->setText(action->toolTip());
  leSyntaxe->setPlainText(action->ScriptDeclaration());
  leSwitch->setText(action->Switch.isEmpty() ? Text(texts::kHelpNoSwitch)
                                             : Text(texts::kHelpSwitch) + " " + action->SwitchSyntax());
  leCommentaire->setText(action->Comments.join('\n'));
}

void THelpForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (onClosed) onClosed();
}

bool THelpForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) ShowSelected();
  return QWidget::event(event);
}
