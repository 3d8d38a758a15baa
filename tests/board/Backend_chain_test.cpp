#include "board/Backend_chain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "board/Usb_backend.h"

namespace velqoris {
namespace {

using namespace d2xx;

// A backend that opens or not, and records who was asked what.
struct FakeBackend final : Api {
  FakeBackend(std::string name, FT_STATUS openResult, std::vector<std::string>& log)
      : name_(std::move(name)), open_(openResult), log_(log) {}
  FT_STATUS FT_Open(int, FT_HANDLE* handle) override {
    log_.push_back(name_ + " open");
    if (open_ == FT_OK) *handle = this;
    return open_;
  }
  FT_STATUS FT_Close(FT_HANDLE) override { return Note("close"); }
  FT_STATUS FT_Read(FT_HANDLE, void*, DWORD, DWORD* got) override {
    *got = 1;
    return Note("read");
  }
  FT_STATUS FT_Write(FT_HANDLE, const void*, DWORD size, DWORD* written) override {
    *written = size;
    return Note("write");
  }
  FT_STATUS FT_Purge(FT_HANDLE, DWORD) override { return Note("purge"); }
  FT_STATUS FT_GetQueueStatus(FT_HANDLE, DWORD* n) override {
    *n = 0;
    return Note("queue");
  }
  FT_STATUS FT_SetUSBParameters(FT_HANDLE, DWORD, DWORD) override { return Note("params"); }
  FT_STATUS Note(const char* what) {
    log_.push_back(name_ + " " + what);
    return FT_OK;
  }
  std::string name_;
  FT_STATUS open_;
  std::vector<std::string>& log_;
};

class BackendChainTest : public ::testing::Test {
 protected:
  // A maker for the chain; a negative result stands for a library that is missing.
  std::function<std::unique_ptr<Api>()> Maker(const std::string& name, long openResult) {
    return [this, name, openResult]() -> std::unique_ptr<Api> {
      log.push_back(name + " made");
      if (openResult < 0) return nullptr;
      return std::make_unique<FakeBackend>(name, static_cast<FT_STATUS>(openResult), log);
    };
  }
  std::unique_ptr<BackendChain> Chain(long libftdi, long vendor) {
    return std::make_unique<BackendChain>(
        UsbBackendOrder(Maker("libftdi1", libftdi), Maker("vendor", vendor)),
        [this](const std::string& name) { notes.push_back(name); });
  }
  std::vector<std::string> log, notes;
};

#ifndef _WIN32
// The kernel's serial driver holds the chip: the vendor library could not
// open it, libftdi1 can, and the vendor library is then never even loaded.
TEST_F(BackendChainTest, LibftdiComesFirstOnLinux) {
  auto chain = Chain(FT_OK, FT_DEVICE_NOT_OPENED);
  FT_HANDLE handle = nullptr;
  ASSERT_EQ(chain->FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(chain->OpenedBy(), kLibftdiName);
  EXPECT_EQ(notes, std::vector<std::string>{kLibftdiName});
  DWORD n = 0;
  EXPECT_EQ(chain->FT_Write(handle, "?\r", 2, &n), FT_OK);
  EXPECT_EQ(chain->FT_GetQueueStatus(handle, &n), FT_OK);
  EXPECT_EQ(log, (std::vector<std::string>{"libftdi1 made", "libftdi1 open", "libftdi1 write",
                                           "libftdi1 queue"}));
}

// No device for libftdi1 (or not allowed to claim it): the vendor library's turn.
TEST_F(BackendChainTest, VendorLibraryWhenLibftdiOpensNothing) {
  auto chain = Chain(FT_DEVICE_NOT_FOUND, FT_OK);
  FT_HANDLE handle = nullptr;
  ASSERT_EQ(chain->FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(chain->OpenedBy(), kVendorName);
  EXPECT_EQ(chain->FT_Purge(handle, 3), FT_OK);
  EXPECT_EQ(chain->FT_Close(handle), FT_OK);
  EXPECT_EQ(chain->OpenedBy(), "");
  EXPECT_EQ(log, (std::vector<std::string>{"libftdi1 made", "libftdi1 open", "vendor made",
                                           "vendor open", "vendor purge", "vendor close"}));
  // The next open starts from the top again, without making anything twice.
  log.clear();
  EXPECT_EQ(chain->FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(log, (std::vector<std::string>{"libftdi1 open", "vendor open"}));
}
#else
// The vendor library, with its own driver, holds the chip: it comes first.
TEST_F(BackendChainTest, VendorLibraryComesFirstOnWindows) {
  auto chain = Chain(FT_OK, FT_OK);
  FT_HANDLE handle = nullptr;
  ASSERT_EQ(chain->FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(chain->OpenedBy(), kVendorName);
  EXPECT_EQ(log, (std::vector<std::string>{"vendor made", "vendor open"}));
}
#endif

TEST_F(BackendChainTest, NothingOpensWhenNoBackendFindsTheBoard) {
  auto chain = Chain(FT_DEVICE_NOT_FOUND, -1);  // vendor library not installed
  FT_HANDLE handle = reinterpret_cast<FT_HANDLE>(1);
  EXPECT_EQ(chain->FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
  EXPECT_TRUE(notes.empty());
  DWORD n = 7;
  EXPECT_EQ(chain->FT_GetQueueStatus(handle, &n), FT_INVALID_HANDLE);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(chain->FT_Read(handle, &n, 1, &n), FT_INVALID_HANDLE);
  EXPECT_EQ(chain->FT_Close(handle), FT_INVALID_HANDLE);
}

TEST_F(BackendChainTest, AnOpenDeviceIsNotOpenedTwice) {
  auto chain = Chain(FT_OK, FT_OK);
  FT_HANDLE handle = nullptr, again = nullptr;
  ASSERT_EQ(chain->FT_Open(0, &handle), FT_OK);
  EXPECT_NE(chain->FT_Open(0, &again), FT_OK);
  EXPECT_EQ(again, nullptr);
  EXPECT_FALSE(chain->OpenedBy().empty());
  EXPECT_EQ(notes.size(), 1u);
}

}  // namespace
}  // namespace velqoris
