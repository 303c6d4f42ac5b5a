// The tree of lists and drives and of the options pages: keyed nodes with
// captions and pictures, a selected node, caption editing that a handler can
// cancel. Node positions are 1-based in order of addition.
#pragma once
#include <QString>
#include <QTreeWidget>
#include <memory>
#include <vector>

class cImageList;
class cTreeView;
class cTreeNode;

// A collection of nodes: the whole tree, or the direct children of one node.
class cTreeNodes {
 public:
  cTreeNodes(cTreeView* tree, cTreeNode* parent) : tree_(tree), parent_(parent) {}
  long Count() const;
  // By position from 1, or by key; nullptr when there is none.
  cTreeNode* Item(long position) const;
  cTreeNode* Item(const QString& key) const;
  // Relationship 0 or 2 without a relative makes a root, 4 a child of the relative.
  cTreeNode* Add(cTreeNode* relative, int relationship, const QString& key, const QString& text,
                 long image = -1, long selectedImage = -1);
  void Clear();
 private:
  std::vector<cTreeNode*> list() const;
  cTreeView* tree_;
  cTreeNode* parent_;
};

class cTreeNode {
 public:
  QString Key() const { return key_; }
  void SetKey(const QString& key) { key_ = key; }
  QString Text() const;
  void SetText(const QString& text);
  bool Selected() const;
  // True selects the node without raising NodeClick; False clears its selection.
  void SetSelected(bool on);
  cTreeNodes Children();
  cTreeNode* Parent() const;
  bool Expanded() const;
  void SetExpanded(bool on);
  void SetBold(bool on);
  bool Bold() const;
  void SetNodeOption124(bool) {}
  void StartLabelEdit();
  void Remove();
  long Image() const { return image_; }

 private:
  friend class cTreeView;
  friend class cTreeNodes;
  cTreeNode(cTreeView* tree, QTreeWidgetItem* item, const QString& key, long image)
      : tree_(tree), item_(item), key_(key), image_(image) {}
  cTreeView* tree_;
  QTreeWidgetItem* item_;
  QString key_;
  long image_;
};

class cTreeView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit cTreeView(QWidget* parent = nullptr);
  ~cTreeView() override;
  cTreeNodes Nodes() { return cTreeNodes(this, nullptr); }
  cTreeNode* SelectedItem() const;
  void SetImageList(cImageList* list) { images_ = list; }
  void SetLabelEdit(bool on);
  bool LabelEdit() const { return labelEdit_; }
  void SetTreeOption4F(bool) {}

  // Internal: the node behind an item.
  cTreeNode* nodeFor(QTreeWidgetItem* item) const;

 signals:
  void NodeClick(cTreeNode* node);
  // The user ended a caption edit; setting Cancel keeps the old caption.
  void AfterLabelEdit(cTreeNode* node, QString& NewString, int& Cancel);
  void SelectionChanged();

 private:
  friend class cTreeNode;
  friend class cTreeNodes;
  cTreeNode* addNode(cTreeNode* parent, const QString& key, const QString& text, long image);
  void removeNode(cTreeNode* node);
  void commitLabel(QTreeWidgetItem* item, QString text);
  std::vector<std::unique_ptr<cTreeNode>> nodes_;  // in order of addition
  cImageList* images_ = nullptr;
  bool labelEdit_ = false;
  bool quiet_ = false;
};
