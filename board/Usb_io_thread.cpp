#include "board/Usb_io_thread.h"

#include <algorithm>
#include <utility>

namespace velqoris {

using namespace d2xx;

UsbIoThread::UsbIoThread(std::unique_ptr<UsbTransport> transport, std::size_t queueCapacity,
                         int readChunk)
    : transport_(std::move(transport)),
      queue_(queueCapacity),
      scratch_(kMaxChunk),
      chunk_(std::clamp(readChunk, kMinChunk, kMaxChunk)) {
  thread_ = std::thread([this] { Loop(); });
}

UsbIoThread::~UsbIoThread() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  transport_.reset();
}

FT_STATUS UsbIoThread::Error() const {
  return gone_.load() || readFailed_.load() ? FT_IO_ERROR : FT_OK;
}

FT_STATUS UsbIoThread::Run(std::function<FT_STATUS()> work) {
  if (gone_.load()) return FT_IO_ERROR;
  Op op{std::move(work)};
  std::unique_lock lock(mutex_);
  ops_.push_back(&op);
  wake_.notify_all();
  done_.wait(lock, [&] { return op.done; });
  return op.result;
}

FT_STATUS UsbIoThread::Write(const void* data, DWORD size, DWORD* written) {
  if (written) *written = 0;
  if (data == nullptr && size > 0) return FT_INVALID_PARAMETER;
  if (gone_.load()) return FT_IO_ERROR;
  std::lock_guard lock(writeMutex_);
  const int r = transport_->Write(static_cast<const std::uint8_t*>(data),
                                  static_cast<int>(std::min<DWORD>(size, 1u << 30)));
  if (r < 0) {
    if (r == UsbTransport::kGone) gone_ = true;
    return FT_IO_ERROR;
  }
  if (written) *written = static_cast<DWORD>(r);
  return FT_OK;
}

FT_STATUS UsbIoThread::Purge(bool receive, bool transmit) {
  return Run([&]() -> FT_STATUS {
    const int r = transport_->Purge(receive, transmit);
    if (r == UsbTransport::kGone) gone_ = true;
    if (r != 0) return FT_IO_ERROR;
    // Cleared here, on the thread that fills it, so no byte read before the
    // purge can slip in after it. What a failed read lost is behind us now.
    if (receive) {
      queue_.Clear();
      readFailed_ = false;
    }
    return FT_OK;
  });
}

FT_STATUS UsbIoThread::SetReadChunk(DWORD bytes) {
  if (bytes < kMinChunk || bytes > kMaxChunk || bytes % 64 != 0) return FT_INVALID_PARAMETER;
  return Run([&]() -> FT_STATUS {
    if (transport_->SetReadChunk(static_cast<int>(bytes)) != 0) return FT_IO_ERROR;
    chunk_ = static_cast<int>(bytes);
    return FT_OK;
  });
}

FT_STATUS UsbIoThread::Read(void* dest, DWORD size, DWORD* got) {
  if (got) *got = 0;
  if (FT_STATUS error = Error(); error != FT_OK) return error;
  if (dest == nullptr && size > 0) return FT_INVALID_PARAMETER;
  const std::size_t n = queue_.Take(static_cast<std::uint8_t*>(dest), size);
  if (got) *got = static_cast<DWORD>(n);
  if (n > 0) WakeReader();
  return FT_OK;
}

FT_STATUS UsbIoThread::Queued(DWORD* count) const {
  if (count) *count = 0;
  if (FT_STATUS error = Error(); error != FT_OK) return error;
  if (count) *count = static_cast<DWORD>(queue_.Count());
  return FT_OK;
}

// Taking the lock orders this wake-up after the thread's look at the free
// space, so it cannot be lost.
void UsbIoThread::WakeReader() {
  { std::lock_guard lock(mutex_); }
  wake_.notify_all();
}

void UsbIoThread::Loop() {
  std::unique_lock lock(mutex_);
  auto reading = [&] { return !gone_.load() && !readFailed_.load() && queue_.Free() > 0; };
  while (!stop_) {
    if (!ops_.empty()) {
      Op* op = ops_.front();
      ops_.pop_front();
      lock.unlock();
      const FT_STATUS result = gone_.load() ? FT_IO_ERROR : op->work();
      lock.lock();
      op->result = result;
      op->done = true;
      done_.notify_all();
      continue;
    }
    if (!reading()) {
      wake_.wait(lock, [&] { return stop_ || !ops_.empty() || reading(); });
      continue;
    }
    const std::size_t room = std::min<std::size_t>(static_cast<std::size_t>(chunk_), queue_.Free());
    lock.unlock();
    const int r = transport_->Read(scratch_.data(), static_cast<int>(room));
    if (r > 0) {
      queue_.Push(scratch_.data(), std::min<std::size_t>(static_cast<std::size_t>(r), room));
    } else if (r == UsbTransport::kGone) {
      gone_ = true;
    } else if (r < 0 && r != UsbTransport::kTimedOut) {
      readFailed_ = true;
    }
    lock.lock();
  }
}

}  // namespace velqoris
