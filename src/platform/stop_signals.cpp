#include "platform/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {
namespace {

// The handler only writes the signal number into this pipe: nothing else is safe there.
std::atomic<int> g_write_fd{-1};
int g_pipe[2] = {-1, -1};
struct sigaction g_previous_term {};
struct sigaction g_previous_int {};

void OnSignal(int signal) {
  const int saved_errno = errno;
  const int fd = g_write_fd.load();
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
  }
  errno = saved_errno;
}

}  // namespace

StopSignals::StopSignals(std::function<void(int)> on_stop) : on_stop_(std::move(on_stop)) {
  // One set of handlers per process.
  if (g_write_fd.load() >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_write_fd.store(g_pipe[1]);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, &g_previous_term);
  sigaction(SIGINT, &action, &g_previous_int);
  active_ = true;
  const int read_fd = g_pipe[0];
  watcher_ = std::thread([this, read_fd] {
    for (;;) {
      pollfd in = {read_fd, POLLIN, 0};
      if (poll(&in, 1, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      unsigned char byte = 0;
      const ssize_t n = read(read_fd, &byte, 1);
      if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        return;
      }
      // 0 is the destructor's own byte: time to go.
      if (byte == 0) return;
      if (on_stop_) on_stop_(byte);
    }
  });
}

StopSignals::~StopSignals() {
  if (!active_) return;
  sigaction(SIGTERM, &g_previous_term, nullptr);
  sigaction(SIGINT, &g_previous_int, nullptr);
  const unsigned char stop = 0;
  [[maybe_unused]] ssize_t n = write(g_pipe[1], &stop, 1);
  watcher_.join();
  g_write_fd.store(-1);
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

}  // namespace platform
