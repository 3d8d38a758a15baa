#include "board/Usb_io_thread.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "board/Receive_queue.h"
#include "tests/board/Fake_transport.h"

namespace velqoris {
namespace {

using namespace d2xx;
using testing::Eventually;
using testing::FakeTransport;
using testing::TransportState;

class IoThreadTest : public ::testing::Test {
 protected:
  std::shared_ptr<TransportState> state = std::make_shared<TransportState>();
  std::unique_ptr<UsbIoThread> io;

  void Start(std::size_t capacity = 4096, int chunk = 4096) {
    io = std::make_unique<UsbIoThread>(std::make_unique<FakeTransport>(state), capacity, chunk);
  }
  DWORD Queued() {
    DWORD n = 0;
    EXPECT_EQ(io->Queued(&n), FT_OK);
    return n;
  }
  std::string Take(DWORD n) {
    std::string out(n, '\0');
    DWORD got = 0;
    EXPECT_EQ(io->Read(out.data(), n, &got), FT_OK);
    out.resize(got);
    return out;
  }
};

TEST_F(IoThreadTest, BytesArriveInOrderAndReadsNeverWait) {
  Start();
  state->Push("hello");
  ASSERT_TRUE(Eventually([&] { return Queued() == 5; }));
  EXPECT_EQ(Take(3), "hel");
  EXPECT_EQ(Take(10), "lo");  // only what is there
  EXPECT_EQ(Take(10), "");
}

TEST_F(IoThreadTest, IdleAndTimeoutsAreNotErrors) {
  Start();
  state->Script({0, UsbTransport::kTimedOut, 0, UsbTransport::kTimedOut});
  ASSERT_TRUE(state->WaitUntil([&] { return state->reads >= 6; }));
  EXPECT_EQ(io->Error(), FT_OK);
  state->Push("x");
  ASSERT_TRUE(Eventually([&] { return Queued() == 1; }));
  EXPECT_EQ(Take(1), "x");
}

TEST_F(IoThreadTest, WritesGoOutInOrder) {
  Start();
  DWORD written = 0;
  EXPECT_EQ(io->Write("SB1\r", 4, &written), FT_OK);
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(io->Write("AX\r", 3, &written), FT_OK);
  std::lock_guard lock(state->mutex);
  ASSERT_EQ(state->writes.size(), 2u);
  EXPECT_EQ(state->writes[0], "SB1\r");
  EXPECT_EQ(state->writes[1], "AX\r");
}

// A stop command must not wait for the chip's next packet.
TEST_F(IoThreadTest, WriteGoesOutWhileAReadIsInFlight) {
  Start();
  {
    std::lock_guard lock(state->mutex);
    state->gateClosed = true;
  }
  ASSERT_TRUE(state->WaitUntil([&] { return state->inGate; }));
  DWORD written = 0;
  EXPECT_EQ(io->Write("AX\r", 3, &written), FT_OK);
  EXPECT_EQ(written, 3u);
  {
    std::lock_guard lock(state->mutex);
    EXPECT_TRUE(state->inGate);
    EXPECT_EQ(state->writes, std::vector<std::string>{"AX\r"});
  }
  state->OpenGate();
}

TEST_F(IoThreadTest, PartialWriteIsReportedAsSuch) {
  Start();
  state->writeResult = 1;
  DWORD written = 0;
  EXPECT_EQ(io->Write("SB1\r", 4, &written), FT_OK);
  EXPECT_EQ(written, 1u);
}

TEST_F(IoThreadTest, DisconnectIsStickyAndNeverHangs) {
  Start();
  state->Push("ab");
  ASSERT_TRUE(Eventually([&] { return Queued() == 2; }));
  state->Script({-4});  // no such device
  ASSERT_TRUE(Eventually([&] { return io->Error() != FT_OK; }));
  DWORD n = 99, written = 99;
  char buf[4];
  EXPECT_NE(io->Queued(&n), FT_OK);
  EXPECT_EQ(n, 0u);
  EXPECT_NE(io->Read(buf, 2, &n), FT_OK);
  EXPECT_EQ(n, 0u);
  EXPECT_NE(io->Write("?\r", 2, &written), FT_OK);
  EXPECT_EQ(written, 0u);
  EXPECT_NE(io->Purge(true, true), FT_OK);
  EXPECT_NE(io->SetReadChunk(4096), FT_OK);
  io.reset();
  EXPECT_TRUE(state->destroyed);
}

TEST_F(IoThreadTest, FailedWriteFailsOnlyThatCall) {
  Start();
  state->writeResult = -1;
  DWORD written = 0;
  EXPECT_NE(io->Write("?\r", 2, &written), FT_OK);
  EXPECT_EQ(Queued(), 0u);
  state->writeResult = 0;
  EXPECT_EQ(io->Write("?\r", 2, &written), FT_OK);
  EXPECT_EQ(written, 2u);
}

// A transfer that failed lost bytes: the queue calls say so until a purge has
// emptied both ends, while writes (the stop command) still go out.
TEST_F(IoThreadTest, FailedReadHoldsUntilASuccessfulPurge) {
  Start();
  state->Push("ab");
  ASSERT_TRUE(Eventually([&] { return Queued() == 2; }));
  state->Script({-1});
  ASSERT_TRUE(Eventually([&] { return io->Error() != FT_OK; }));
  state->Push("cd");  // not read while the error stands
  DWORD n = 99, written = 0;
  char buf[4];
  EXPECT_NE(io->Queued(&n), FT_OK);
  EXPECT_NE(io->Read(buf, 2, &n), FT_OK);
  EXPECT_NE(io->Queued(&n), FT_OK);  // not only once
  EXPECT_EQ(io->Write("AX\r", 3, &written), FT_OK);
  EXPECT_EQ(written, 3u);
  EXPECT_FALSE(io->Gone());
  EXPECT_EQ(io->Purge(true, true), FT_OK);
  EXPECT_EQ(io->Error(), FT_OK);
  EXPECT_EQ(Queued(), 0u);
  state->Push("ef");
  ASSERT_TRUE(Eventually([&] { return Queued() == 2; }));
  EXPECT_EQ(Take(2), "ef");
}

TEST_F(IoThreadTest, PurgeDuringAReadDiscardsWhatThatReadBrought) {
  Start();
  {
    std::lock_guard lock(state->mutex);
    state->gateClosed = true;
  }
  state->Push("OLD");
  ASSERT_TRUE(state->WaitUntil([&] { return state->inGate; }));
  FT_STATUS purged = FT_OTHER_ERROR;
  std::thread caller([&] { purged = io->Purge(true, true); });
  state->OpenGate();
  caller.join();
  EXPECT_EQ(purged, FT_OK);
  EXPECT_EQ(Queued(), 0u);
  {
    std::lock_guard lock(state->mutex);
    ASSERT_EQ(state->purges.size(), 1u);
    EXPECT_EQ(state->purges[0], std::make_pair(true, true));
    EXPECT_FALSE(state->purgeDuringRead);  // never with a transfer in flight
  }
  state->Push("NEW");
  ASSERT_TRUE(Eventually([&] { return Queued() == 3; }));
  EXPECT_EQ(Take(3), "NEW");
}

TEST_F(IoThreadTest, TransmitOnlyPurgeKeepsTheQueue) {
  Start();
  state->Push("keep");
  ASSERT_TRUE(Eventually([&] { return Queued() == 4; }));
  EXPECT_EQ(io->Purge(false, true), FT_OK);
  EXPECT_EQ(Queued(), 4u);
}

TEST_F(IoThreadTest, FullQueueStopsReadingAndDropsNothing) {
  Start(8);
  const std::string sent = "ABCDEFGHIJKLMNOPQRST";
  state->Push(sent);
  ASSERT_TRUE(Eventually([&] { return Queued() == 8; }));
  {
    std::lock_guard lock(state->mutex);
    EXPECT_EQ(state->stream.size(), 12u);  // the rest waits in the chip
    for (int size : state->readSizes) EXPECT_LE(size, 8);
  }
  std::string got;
  while (got.size() < sent.size()) {
    ASSERT_TRUE(Eventually([&] { return Queued() > 0; }));
    got += Take(5);
  }
  EXPECT_EQ(got, sent);
}

TEST_F(IoThreadTest, ShutdownWakesAThreadWaitingOnAFullQueue) {
  Start(4);
  state->Push("0123456789");
  ASSERT_TRUE(Eventually([&] { return Queued() == 4; }));
  io.reset();
  EXPECT_TRUE(state->destroyed);
}

TEST_F(IoThreadTest, ShutdownWhileIdle) {
  Start();
  ASSERT_TRUE(state->WaitUntil([&] { return state->reads > 0; }));
  io.reset();
  EXPECT_TRUE(state->destroyed);
}

TEST_F(IoThreadTest, ReadChunkMustBeAMultipleOf64Within64K) {
  Start();
  for (DWORD bad : {0u, 32u, 63u, 100u, 4095u, 65600u, 131072u})
    EXPECT_EQ(io->SetReadChunk(bad), FT_INVALID_PARAMETER) << bad;
  EXPECT_EQ(io->SetReadChunk(64), FT_OK);
  EXPECT_EQ(io->SetReadChunk(65536), FT_OK);
  EXPECT_EQ(io->SetReadChunk(128), FT_OK);
  std::size_t before = 0;
  {
    std::lock_guard lock(state->mutex);
    EXPECT_EQ(state->chunks, (std::vector<int>{64, 65536, 128}));
    before = state->readSizes.size();
  }
  ASSERT_TRUE(state->WaitUntil([&] { return state->readSizes.size() > before + 1; }));
  std::lock_guard lock(state->mutex);
  EXPECT_EQ(state->readSizes.back(), 128);
}

TEST(ReceiveQueueTest, WrapsAroundAndRefusesOverflow) {
  ReceiveQueue queue(5);
  const std::uint8_t in[] = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(queue.Push(in, 4), 4u);
  std::uint8_t out[8] = {};
  EXPECT_EQ(queue.Take(out, 3), 3u);
  EXPECT_EQ(queue.Push(in + 4, 3), 3u);  // wraps
  EXPECT_EQ(queue.Push(in, 7), 1u);      // only what fits
  EXPECT_EQ(queue.Count(), 5u);
  EXPECT_EQ(queue.Take(out, 8), 5u);
  const std::uint8_t expected[] = {4, 5, 6, 7, 1};
  EXPECT_TRUE(std::equal(expected, expected + 5, out));
  queue.Clear();
  EXPECT_EQ(queue.Count(), 0u);
  EXPECT_EQ(queue.Free(), 5u);
}

}  // namespace
}  // namespace velqoris
