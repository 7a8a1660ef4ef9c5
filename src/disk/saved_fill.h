#pragma once
// The fill the saved settings choose, for the disk eraser and the wipe.
#include <cstdint>

#include "base/config_record.h"
#include "base/settings_store.h"
#include "disk/volume_eraser.h"
#include "engine/fill_buffer.h"
#include "engine/random_fill.h"

// The fill of one erase or wipe, chosen by the saved settings: random data,
// or the fill buffer built from the pattern; and whether to read it back.
class SavedFill {
 public:
  SavedFill() {
    LoadConfig(settings_);
    LoadShredOptions(options_);
    fill_.verify = options_.verify != 0;
    if (options_.randomFill)
      fill_.random = SystemRandom;
    else if (BuildFillBuffer(data_, settings_.fillPattern, settings_.fillLength))
      fill_.pattern = data_;
  }
  ~SavedFill() { FreeFillBuffer(data_); }
  SavedFill(const SavedFill&) = delete;
  SavedFill& operator=(const SavedFill&) = delete;
  bool Usable() const { return fill_.pattern || fill_.random; }
  const EraseFill& Fill() const { return fill_; }
  const ConfigRecord& Settings() const { return settings_; }
  const ShredOptions& Options() const { return options_; }

 private:
  ConfigRecord settings_;
  ShredOptions options_ = {};
  uint8_t* data_ = nullptr;
  EraseFill fill_;
};
