#include "platform/cTreeView.h"

#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>

#include "platform/cImageList.h"

namespace {
// Hands the typed caption to the tree, which asks AfterLabelEdit before taking it.
class LabelDelegate : public QStyledItemDelegate {
 public:
  LabelDelegate(cTreeView* tree, std::function<void(QTreeWidgetItem*, QString)> commit)
      : QStyledItemDelegate(tree), tree_(tree), commit_(std::move(commit)) {}
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit) return;
    commit_(tree_->itemFromIndex(index), edit->text());
  }
 private:
  cTreeView* tree_;
  std::function<void(QTreeWidgetItem*, QString)> commit_;
};
}  // namespace

long cTreeNodes::Count() const { return long(list().size()); }

std::vector<cTreeNode*> cTreeNodes::list() const {
  std::vector<cTreeNode*> out;
  for (auto& n : tree_->nodes_)
    if (!parent_ || n->Parent() == parent_) out.push_back(n.get());
  return out;
}

cTreeNode* cTreeNodes::Item(long position) const {
  auto l = list();
  if (position < 1 || size_t(position) > l.size()) return nullptr;
  return l[size_t(position - 1)];
}

cTreeNode* cTreeNodes::Item(const QString& key) const {
  for (cTreeNode* n : list())
    if (n->Key() == key) return n;
  return nullptr;
}

cTreeNode* cTreeNodes::Add(cTreeNode* relative, int relationship, const QString& key, const QString& text,
                           long image, long) {
  if (Item(key) && !key.isEmpty()) return nullptr;  // keys are unique
  cTreeNode* parent = parent_;
  if (relative) parent = relationship == 4 ? relative : relative->Parent();
  return tree_->addNode(parent, key, text, image);
}

void cTreeNodes::Clear() {
  // A node goes with its children, so of the whole tree only the roots are removed.
  std::vector<cTreeNode*> top;
  for (cTreeNode* n : list())
    if (parent_ || !n->Parent()) top.push_back(n);
  for (cTreeNode* n : top) n->Remove();
}

QString cTreeNode::Text() const { return item_->text(0); }
void cTreeNode::SetText(const QString& text) { item_->setText(0, text); }
bool cTreeNode::Selected() const { return item_->isSelected(); }

void cTreeNode::SetSelected(bool on) {
  tree_->quiet_ = true;
  if (on) tree_->setCurrentItem(item_);
  else item_->setSelected(false);
  tree_->quiet_ = false;
}

cTreeNodes cTreeNode::Children() { return cTreeNodes(tree_, this); }
cTreeNode* cTreeNode::Parent() const { return tree_->nodeFor(item_->parent()); }
bool cTreeNode::Expanded() const { return item_->isExpanded(); }
void cTreeNode::SetExpanded(bool on) { item_->setExpanded(on); }

void cTreeNode::SetBold(bool on) {
  QFont f = item_->font(0);
  f.setBold(on);
  item_->setFont(0, f);
}
bool cTreeNode::Bold() const { return item_->font(0).bold(); }

void cTreeNode::StartLabelEdit() {
  // Deferred, so that it also works from within an ending edit.
  QTreeWidgetItem* it = item_;
  cTreeView* tree = tree_;
  QTimer::singleShot(0, tree, [tree, it] {
    if (tree->LabelEdit() && tree->nodeFor(it)) tree->editItem(it, 0);
  });
}

void cTreeNode::Remove() { tree_->removeNode(this); }

cTreeView::cTreeView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new LabelDelegate(this, [this](QTreeWidgetItem* it, QString text) { commitLabel(it, text); }));
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* it, int) {
    if (cTreeNode* n = nodeFor(it)) emit NodeClick(n);
  });
  connect(this, &QTreeWidget::currentItemChanged, this, [this] {
    if (!quiet_) emit SelectionChanged();
  });
}

cTreeView::~cTreeView() = default;

void cTreeView::SetLabelEdit(bool on) {
  labelEdit_ = on;
  setEditTriggers(on ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                     : QAbstractItemView::NoEditTriggers);
}

cTreeNode* cTreeView::SelectedItem() const { return nodeFor(currentItem()); }

cTreeNode* cTreeView::nodeFor(QTreeWidgetItem* item) const {
  if (!item) return nullptr;
  for (auto& n : nodes_)
    if (n->item_ == item) return n.get();
  return nullptr;
}

cTreeNode* cTreeView::addNode(cTreeNode* parent, const QString& key, const QString& text, long image) {
  auto* item = parent ? new QTreeWidgetItem(parent->item_) : new QTreeWidgetItem(this);
  item->setText(0, text);
  item->setFlags(item->flags() | Qt::ItemIsEditable);
  if (images_ && image >= 0) item->setIcon(0, images_->ItemPicture(image));
  nodes_.push_back(std::unique_ptr<cTreeNode>(new cTreeNode(this, item, key, image)));
  return nodes_.back().get();
}

void cTreeView::removeNode(cTreeNode* node) {
  for (int i = node->item_->childCount() - 1; i >= 0; --i)
    if (cTreeNode* c = nodeFor(node->item_->child(i))) removeNode(c);
  QTreeWidgetItem* item = node->item_;
  std::erase_if(nodes_, [node](auto& p) { return p.get() == node; });
  delete item;
}

void cTreeView::commitLabel(QTreeWidgetItem* item, QString text) {
  cTreeNode* n = nodeFor(item);
  if (!n) return;
  int cancel = 0;
  emit AfterLabelEdit(n, text, cancel);
  // The handler may have removed the node.
  if (!cancel && nodeFor(item)) item->setText(0, text);
}
