// The level graph: a strip of level values (0 to 100) drawn right to left,
// newest at the right, in the foreground colours over the background colour.
// Colours are Windows colour numbers.
#pragma once
#include <QWidget>
#include <deque>

class cAudioGraph : public QWidget {
  Q_OBJECT
 public:
  explicit cAudioGraph(QWidget* parent = nullptr);

  void AddValue(long value);
  void ClearGraph();
  void RefreshGraph();
  void CloseGraph();

  long GraphBackColor() const { return backColor_; }
  void SetGraphBackColor(long color);
  long GraphForeColor() const { return foreColor_; }
  void SetGraphForeColor(long color);
  // The colour the bars fade to at their top.
  long GraphForeColor2() const { return foreColor2_; }
  void SetGraphForeColor2(long color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::deque<long> values_;
  long backColor_ = 0;
  long foreColor_ = 0x00FF00;
  long foreColor2_ = 0x00FF00;
};
