#include "board/Ftd2xx_library.h"

#include <gtest/gtest.h>

#include <cstring>

#include "board/Usb_backend.h"

namespace velqoris {
namespace {

using namespace d2xx;

TEST(Ftd2xxLibraryTest, MissingLibraryOrFunctionGivesNoBackend) {
  EXPECT_EQ(Ftd2xxLibrary::Load("/nonexistent/libnothing.so"), nullptr);
  EXPECT_EQ(Ftd2xxLibrary::Load(VELQORIS_FAKE_FTD2XX_INCOMPLETE), nullptr);
#ifdef _WIN32
  // Imported by ordinal: names alone do not make a library usable.
  EXPECT_EQ(Ftd2xxLibrary::Load(VELQORIS_FAKE_FTD2XX_MISNUMBERED), nullptr);
#else
  EXPECT_EQ(Ftd2xxLibrary::Load("libm.so.6"), nullptr);
#endif
}

TEST(Ftd2xxLibraryTest, TheLastLoadTellsAMissingDriverFromAnIncompleteOne) {
  using Outcome = Ftd2xxLibrary::LoadOutcome;
  struct Case {
    const char* name;
    Outcome outcome;
  };
  const Case cases[] = {
      {"/nonexistent/FTD2XX.DLL", Outcome::kMissing},
      {VELQORIS_FAKE_FTD2XX, Outcome::kLoaded},
      {VELQORIS_FAKE_FTD2XX_INCOMPLETE, Outcome::kIncomplete},
      {"/nonexistent/フォルダ/FTD2XX.DLL", Outcome::kMissing},
  };
  for (const Case& c : cases) {
    const auto library = Ftd2xxLibrary::Load(c.name);
    EXPECT_EQ(library != nullptr, c.outcome == Outcome::kLoaded) << c.name;
    EXPECT_EQ(Ftd2xxLibrary::LastLoad(), c.outcome) << c.name;
  }
}

TEST(Ftd2xxLibraryTest, CallsReachTheLibraryWithTheirArguments) {
  auto lib = Ftd2xxLibrary::Load(VELQORIS_FAKE_FTD2XX);
  ASSERT_NE(lib, nullptr);
  FT_HANDLE handle = nullptr;
  EXPECT_EQ(lib->FT_Open(1, &handle), FT_DEVICE_NOT_FOUND);
  ASSERT_EQ(lib->FT_Open(0, &handle), FT_OK);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(lib->FT_SetUSBParameters(handle, 4096, 0), FT_OK);
  EXPECT_EQ(lib->FT_SetUSBParameters(handle, 4096, 1), FT_INVALID_PARAMETER);
  EXPECT_EQ(lib->FT_Purge(handle, 3), FT_OK);
  EXPECT_EQ(lib->FT_Purge(handle, 1), FT_INVALID_PARAMETER);
  DWORD n = 0;
  EXPECT_EQ(lib->FT_GetQueueStatus(handle, &n), FT_OK);
  EXPECT_EQ(n, 1234u);
  char buf[8] = {};
  EXPECT_EQ(lib->FT_Read(handle, buf, 8, &n), FT_OK);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::memcmp(buf, "fake", 4), 0);
  EXPECT_EQ(lib->FT_Write(handle, "SB1\r", 4, &n), FT_OK);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(lib->FT_Close(handle), FT_OK);
}

TEST(UsbBackendTest, AlwaysGivesABackend) {
  // Without the vendor library this is libftdi1; with no board attached the
  // open fails cleanly.
  auto backend = OpenUsbBackend();
  ASSERT_NE(backend, nullptr);
}

}  // namespace
}  // namespace velqoris
