// The writers one burner offers, listed once per control (each window opening
// makes a fresh control) and found by letter or by position.
#pragma once
#include <QElapsedTimer>
#include <functional>
#include <vector>

#include "backend/burn/BurnDrives.h"

class WriterList {
 public:
  using Filter = std::function<bool(const BurnDrives::Writer&)>;
  explicit WriterList(Filter accept) : accept_(std::move(accept)) {}

  const std::vector<BurnDrives::Writer>& All() {
    if (!listed_) {
      for (const BurnDrives::Writer& w : BurnDrives::All())
        if (accept_(w)) writers_.push_back(w);
      listed_ = true;
    }
    return writers_;
  }
  const BurnDrives::Writer* Find(const QString& letter) { return BurnDrives::Find(All(), letter); }
  // position from 0
  const BurnDrives::Writer* At(long position) {
    return position >= 0 && size_t(position) < All().size() ? &All()[size_t(position)] : nullptr;
  }

  // The disc in a writer. A window asks for speeds, size, room and state one
  // after another; a look at a real drive takes a while, so one look serves
  // the questions of the next few seconds.
  BurnDrives::DiscInfo Disc(const BurnDrives::Writer& w) {
    if (w.letter != discLetter_ || !discAge_.isValid() || discAge_.elapsed() > 3000) {
      disc_ = BurnDrives::ReadDisc(w);
      discLetter_ = w.letter;
      discAge_.start();
    }
    return disc_;
  }
  // A write changes the disc: the next question looks again.
  void ForgetDisc() { discAge_.invalidate(); }

  // What each burner takes: audio CDs go to CD writers and BIN/CUE images; data
  // discs to writers of the media and to the other images.
  static bool AudioCd(const BurnDrives::Writer& w) {
    return w.kind == BurnDrives::Kind::AudioImage || (w.kind == BurnDrives::Kind::Real && w.writesCd);
  }
  static bool DataCd(const BurnDrives::Writer& w) {
    return w.kind == BurnDrives::Kind::DataImage || (w.kind == BurnDrives::Kind::Real && w.writesCd);
  }
  static bool DataAny(const BurnDrives::Writer& w) {
    return w.kind == BurnDrives::Kind::DataImage || (w.kind == BurnDrives::Kind::Real && (w.writesCd || w.writesDvd));
  }

 private:
  Filter accept_;
  std::vector<BurnDrives::Writer> writers_;
  bool listed_ = false;
  BurnDrives::DiscInfo disc_;
  QString discLetter_;
  QElapsedTimer discAge_;
};
