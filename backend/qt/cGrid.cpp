#include "platform/cGrid.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "platform/Form.h"
#include "platform/cImageList.h"

namespace {
constexpr int IconRole = Qt::UserRole + 1;
}

QString cGridCell::Text() const { return grid_->CellText(row_, col_); }
void cGridCell::SetText(const QString& text) { grid_->SetCell(row_, col_, text); }
long cGridCell::IconIndex() const { return grid_->CellIcon(row_, col_); }
void cGridCell::SetIconIndex(long index) { grid_->SetCellIcon(row_, col_, index); }
bool cGridCell::Selected() const { return grid_->CellSelected(row_, col_); }

cGrid::cGrid(QWidget* parent) : QTableWidget(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->hide();
  horizontalHeader()->setHighlightSections(false);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  connect(this, &QTableWidget::currentCellChanged, this,
          [this](int r, int c, int, int) { emit SelChange(r + 1, c + 1); });
}

void cGrid::AddColumn(const QString& key, const QString& header, int alignment, long icon, long width,
                      bool visible) {
  int c = columnCount();
  insertColumn(c);
  keys_.insert(c, key);
  auto* h = new QTableWidgetItem(header);
  h->setTextAlignment((alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft) |
                      Qt::AlignVCenter);
  if (images_ && icon >= 0) h->setIcon(images_->ItemPicture(icon));
  setHorizontalHeaderItem(c, h);
  if (width >= 0) setColumnWidth(c, int(width));
  setColumnHidden(c, !visible);
}

long cGrid::ColumnIndex(const QString& key) const { return keys_.indexOf(key) + 1; }

QString cGrid::ColumnKey(long col) const { return keys_.value(col - 1); }

QTableWidgetItem* cGrid::item(long row, long col, bool create) {
  if (row < 1 || col < 1 || col > columnCount()) return nullptr;
  if (row > rowCount()) {
    if (!create || row != rowCount() + 1) return nullptr;
    insertRow(rowCount());
    setRowHeight(rowCount() - 1, int(rowHeight_));
  }
  QTableWidgetItem* it = QTableWidget::item(int(row - 1), int(col - 1));
  if (!it && create) {
    it = new QTableWidgetItem();
    it->setData(IconRole, -1);
    setItem(int(row - 1), int(col - 1), it);
  }
  return it;
}

void cGrid::refreshIcon(QTableWidgetItem* it) const {
  long icon = it->data(IconRole).toLongLong();
  it->setIcon(images_ && icon >= 0 ? images_->ItemPicture(icon) : QIcon());
}

void cGrid::SetCell(long row, long col, const QVariant& value, long format, long icon) {
  QTableWidgetItem* it = item(row, col, true);
  if (!it) return;
  it->setText(value.isValid() ? value.toString() : QString());
  if (icon != -2) {
    it->setData(IconRole, qlonglong(icon));
    refreshIcon(it);
  }
}

QString cGrid::CellText(long row, long col) const {
  auto* it = QTableWidget::item(int(row - 1), int(col - 1));
  return it ? it->text() : QString();
}

long cGrid::CellIcon(long row, long col) const {
  auto* it = QTableWidget::item(int(row - 1), int(col - 1));
  return it ? long(it->data(IconRole).toLongLong()) : -1;
}

void cGrid::SetCellIcon(long row, long col, long icon) {
  QTableWidgetItem* it = item(row, col, true);
  if (!it) return;
  it->setData(IconRole, qlonglong(icon));
  refreshIcon(it);
}

bool cGrid::CellSelected(long row, long col) const {
  if (row < 1 || row > rowCount() || col < 1 || col > columnCount()) return false;
  return selectionModel()->isSelected(model()->index(int(row - 1), int(col - 1)));
}

void cGrid::SetCellFont(long row, long col, const QFont& font) {
  if (QTableWidgetItem* it = item(row, col, true)) it->setFont(font);
}

QFont cGrid::CellFont(long row, long col) const {
  auto* it = QTableWidget::item(int(row - 1), int(col - 1));
  return it ? it->font() : font();
}

void cGrid::RemoveRow(long row) {
  if (row < 1 || row > rowCount()) return;
  removeRow(int(row - 1));
}

void cGrid::Clear() { setRowCount(0); }

long cGrid::SelectedRow() const { return currentRow() + 1; }

void cGrid::SetSelectedRow(long row) {
  if (row < 1 || row > rowCount()) return;
  int col = std::max(0, currentColumn());
  setCurrentCell(int(row - 1), col);
}

long cGrid::SelectedCol() const { return currentColumn() + 1; }

void cGrid::SetSelectedCol(long col) {
  if (col < 1 || col > columnCount() || currentRow() < 0) return;
  setCurrentCell(currentRow(), int(col - 1), QItemSelectionModel::NoUpdate);
}

void cGrid::SetRedraw(bool on) {
  redraw_ = on;
  setUpdatesEnabled(on);
}

void cGrid::SetHotTrack(bool on) {
  hotTrack_ = on;
  setMouseTracking(on);
  setStyleSheet(on ? "QTableWidget::item:hover { background: palette(midlight); }" : QString());
}

void cGrid::SetImageList(cImageList* list) {
  images_ = list;
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (auto* it = QTableWidget::item(r, c)) refreshIcon(it);
}

void cGrid::SetDefaultRowHeight(long h) {
  rowHeight_ = h;
  verticalHeader()->setDefaultSectionSize(int(h));
}

void cGrid::SetGridLineColor(long color) {
  // System colours (high bit set) keep the style's own line colour.
  if (color & 0x80000000L) return;
  QPalette p = palette();
  p.setColor(QPalette::Mid, ColorFromNumber(color));
  setPalette(p);
}

void cGrid::SetBackColor(long color) {
  QPalette p = palette();
  p.setColor(QPalette::Base, ColorFromNumber(color));
  setPalette(p);
}

void cGrid::mousePressEvent(QMouseEvent* e) {
  // The cell under the pointer becomes current first, whatever the button.
  QModelIndex idx = indexAt(e->position().toPoint());
  if (e->button() == Qt::RightButton && idx.isValid() && !selectionModel()->isSelected(idx))
    setCurrentIndex(idx);
  QTableWidget::mousePressEvent(e);
}

void cGrid::mouseReleaseEvent(QMouseEvent* e) {
  QTableWidget::mouseReleaseEvent(e);
  int button = e->button() == Qt::RightButton ? 2 : e->button() == Qt::MiddleButton ? 4 : 1;
  int shift = (e->modifiers() & Qt::ShiftModifier ? 1 : 0) | (e->modifiers() & Qt::ControlModifier ? 2 : 0);
  QPoint p = viewport()->mapTo(this, e->position().toPoint());
  emit MouseUp(button, shift, float(twips(p.x())), float(twips(p.y())));
}

void cGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  QTableWidget::mouseDoubleClickEvent(e);
  QModelIndex idx = indexAt(e->position().toPoint());
  if (idx.isValid()) emit DblClick(idx.row() + 1, idx.column() + 1);
}

void cGrid::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void cGrid::dragMoveEvent(QDragMoveEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void cGrid::dropEvent(QDropEvent* e) {
  QStringList files;
  for (const QUrl& u : e->mimeData()->urls())
    if (u.isLocalFile()) files << u.toLocalFile();
  if (files.isEmpty()) return;
  e->acceptProposedAction();
  QPoint p = e->position().toPoint();
  emit OLEDragDrop(files, 1, 1, 0, float(p.x()), float(p.y()));
}
