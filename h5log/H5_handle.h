// One HDF5 identifier, closed by its own close call when it goes.
#pragma once

#include <hdf5.h>

#include <utility>

namespace velqoris::h5log {

class H5Handle {
 public:
  using Closer = herr_t (*)(hid_t);
  H5Handle() = default;
  H5Handle(hid_t id, Closer close) : id_(id), close_(close) {}
  ~H5Handle() { Reset(); }
  H5Handle(H5Handle&& o) noexcept : id_(std::exchange(o.id_, H5I_INVALID_HID)), close_(o.close_) {}
  H5Handle& operator=(H5Handle&& o) noexcept {
    if (this != &o) {
      Reset();
      id_ = std::exchange(o.id_, H5I_INVALID_HID);
      close_ = o.close_;
    }
    return *this;
  }
  H5Handle(const H5Handle&) = delete;
  H5Handle& operator=(const H5Handle&) = delete;

  hid_t get() const { return id_; }
  bool Valid() const { return id_ >= 0; }
  // False when closing failed (the file's last writes among others).
  bool Reset() {
    bool ok = true;
    if (id_ >= 0 && close_ != nullptr) ok = close_(id_) >= 0;
    id_ = H5I_INVALID_HID;
    return ok;
  }

 private:
  hid_t id_ = H5I_INVALID_HID;
  Closer close_ = nullptr;
};

// HDF5 prints its error stack by default; the program says what failed itself.
void SilenceHdf5Errors();

}  // namespace velqoris::h5log
