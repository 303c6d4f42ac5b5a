// The writers one burner offers, listed once per control (each window opening
// makes a fresh control) and found by letter or by position.
#pragma once
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
};
