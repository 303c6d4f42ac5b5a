// The item grid: keyed columns (some hidden), 1-based rows and columns, cells
// with text and an icon index, a current row and column. Rows come into being
// only by writing a cell one row past the last.
#pragma once
#include <QFont>
#include <QStringList>
#include <QTableWidget>
#include <QVariant>

class cImageList;
class cGrid;

// One cell, addressed by row and column; reads and writes go to the grid.
class cGridCell {
 public:
  cGridCell(cGrid* grid, long row, long col) : grid_(grid), row_(row), col_(col) {}
  QString Text() const;
  void SetText(const QString& text);
  long IconIndex() const;
  void SetIconIndex(long index);
  bool Selected() const;
 private:
  cGrid* grid_;
  long row_, col_;
};

class cGrid : public QTableWidget {
  Q_OBJECT
 public:
  explicit cGrid(QWidget* parent = nullptr);

  void AddColumn(const QString& key, const QString& header, int alignment = 0, long icon = -1,
                 long width = -1, bool visible = true);
  long Rows() const { return rowCount(); }
  long Columns() const { return columnCount(); }
  // The position of the keyed column, 0 when there is none.
  long ColumnIndex(const QString& key) const;
  QString ColumnKey(long col) const;
  cGridCell Cell(long row, long col) { return cGridCell(this, row, col); }
  // Writes text and icon; writing row Rows() + 1 appends that row. An invalid
  // value writes no text; an icon of -2 keeps the icon the cell has.
  void SetCell(long row, long col, const QVariant& value = QVariant(), long format = 0, long icon = -2);
  QString CellText(long row, long col) const;
  long CellIcon(long row, long col) const;
  void SetCellIcon(long row, long col, long icon);
  bool CellSelected(long row, long col) const;
  void SetCellFont(long row, long col, const QFont& font);
  QFont CellFont(long row, long col) const;
  void RemoveRow(long row);
  void Clear();
  long SelectedRow() const;
  void SetSelectedRow(long row);
  long SelectedCol() const;
  void SetSelectedCol(long col);
  void SetRedraw(bool on);
  bool Redraw() const { return redraw_; }
  void SetGridLines(bool on) { setShowGrid(on); }
  bool GridLines() const { return showGrid(); }
  void SetHotTrack(bool on);
  bool HotTrack() const { return hotTrack_; }
  void SetImageList(cImageList* list);
  void SetDefaultRowHeight(long h);
  void SetGridLineColor(long color);
  // Switches of the old grid that only change its look; kept so callers can set them.
  void SetGridOption(int option, bool on) { Q_UNUSED(option); Q_UNUSED(on); }
  void SetBackColor(long color);

 signals:
  void SelChange(long row, long col);
  // X and Y in twips from the grid's own top-left corner.
  void MouseUp(int button, int shift, float x, float y);
  void DblClick(long row, long col);
  void RedrawOn(long unused);
  // Files dropped from a file manager: the full paths, effect, button, shift and the point.
  void OLEDragDrop(const QStringList& files, long effect, int button, int shift, float x, float y);

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  QTableWidgetItem* item(long row, long col, bool create);
  void refreshIcon(QTableWidgetItem* it) const;
  QStringList keys_;
  cImageList* images_ = nullptr;
  bool redraw_ = true;
  bool hotTrack_ = false;
  long rowHeight_ = 24;
};
