#include "platform/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace platform {
namespace {

constexpr char kRaise[] = "raise\n";
constexpr char kRequest[] = "request ";  // followed by the byte count, a newline, the bytes
constexpr int kReadTimeoutMs = 2000;

// Reads from `fd` until `enough` says the text is complete or a read times out or ends.
std::string ReadUntil(int fd, size_t limit, const std::function<bool(const std::string&)>& enough,
                      int timeout_ms) {
  std::string text;
  char buffer[4096];
  while (text.size() < limit && !enough(text)) {
    pollfd in = {fd, POLLIN, 0};
    const int ready = poll(&in, 1, timeout_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

// The request bytes of a complete "request N\n..." text; nullopt while incomplete or bad.
std::optional<std::string> RequestBody(const std::string& text, bool* bad) {
  *bad = false;
  if (text.rfind(kRequest, 0) != 0) {
    *bad = text.size() >= sizeof(kRequest) - 1;
    return std::nullopt;
  }
  const size_t newline = text.find('\n');
  if (newline == std::string::npos) {
    *bad = text.size() > 32;
    return std::nullopt;
  }
  char* end = nullptr;
  const std::string count = text.substr(sizeof(kRequest) - 1, newline - (sizeof(kRequest) - 1));
  const unsigned long n = std::strtoul(count.c_str(), &end, 10);
  if (count.empty() || *end != '\0' || n > SingleInstance::kMaxRequestBytes) {
    *bad = true;
    return std::nullopt;
  }
  if (text.size() - newline - 1 < n) return std::nullopt;
  return text.substr(newline + 1, n);
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// The caption as a file name: anything but letters, digits, '-', '_' and '.' becomes '_'.
std::string FileNameOf(const std::string& caption) {
  std::string name;
  for (unsigned char c : caption) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    name.push_back(plain ? static_cast<char>(c) : '_');
  }
  // Different captions that map to the same text still get their own names.
  return name + "-" + std::to_string(std::hash<std::string>{}(caption) % 100000000);
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof(*address));
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& caption, const std::string& runtime_dir) {
  std::string dir = runtime_dir;
  // /tmp is shared by every user: the names there carry ours.
  const std::string user = "-u" + std::to_string(getuid());
  std::string suffix;
  if (dir.empty()) {
    const char* env = std::getenv("XDG_RUNTIME_DIR");
    dir = env && *env ? env : "/tmp";
    if (!(env && *env)) suffix = user;
  }
  if (dir.back() != '/') dir.push_back('/');
  const std::string base = dir + FileNameOf(caption) + suffix;
  lock_path_ = base + ".lock";
  socket_path_ = base + ".sock";
  sockaddr_un probe;
  if (!FillAddress(socket_path_, &probe)) {
    // A deep runtime folder: socket paths are limited to 107 bytes.
    socket_path_ = "/tmp/" + FileNameOf(caption).substr(0, 60) + user + ".sock";
  }
}

SingleInstance::~SingleInstance() {
  if (listener_.joinable()) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(stop_fd_[1], &byte, 1);
    listener_.join();
  }
  if (listen_fd_ >= 0) {
    close(listen_fd_);
    unlink(socket_path_.c_str());
  }
  for (int fd : stop_fd_) {
    if (fd >= 0) close(fd);
  }
  if (lock_fd_ >= 0) close(lock_fd_);  // releases the lock
}

bool SingleInstance::Acquire(std::function<void()> on_raise, bool listen_too) {
  if (lock_fd_ >= 0) return true;
  const int fd = open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    // No lock possible: run rather than refuse to start.
    problem_ = lock_path_ + ": " + std::strerror(errno);
    return true;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) return false;
    problem_ = lock_path_ + ": " + std::strerror(error);
    return true;
  }
  lock_fd_ = fd;
  on_raise_ = std::move(on_raise);

  if (!listen_too) return true;
  // The socket left by a copy that crashed is stale: we hold the lock now.
  unlink(socket_path_.c_str());
  sockaddr_un address;
  if (!FillAddress(socket_path_, &address)) return true;
  listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) return true;
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listen_fd_, 4) != 0 || pipe2(stop_fd_, O_CLOEXEC) != 0) {
    close(listen_fd_);
    listen_fd_ = -1;
    return true;
  }
  listener_ = std::thread([this] { Listen(); });
  return true;
}

void SingleInstance::Listen() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {stop_fd_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    // A copy that connects but never writes must not hold up the listener.
    bool bad = false;
    const std::string text = ReadUntil(
        client, kMaxRequestBytes + 64,
        [&bad](const std::string& t) {
          if (t.rfind(kRaise, 0) == 0) return true;
          bool b = false;
          const bool complete = RequestBody(t, &b).has_value();
          bad = b;
          return complete || b;
        },
        kReadTimeoutMs);
    if (text.rfind(kRaise, 0) == 0) {
      if (on_raise_) on_raise_();
    } else if (!bad) {
      if (const std::optional<std::string> body = RequestBody(text, &bad)) {
        std::lock_guard<std::mutex> hold(handler_mu_);
        if (on_request_) WriteAll(client, on_request_(*body));
      }
    }
    close(client);
  }
}

void SingleInstance::SetRequestHandler(RequestHandler handler) {
  std::lock_guard<std::mutex> hold(handler_mu_);
  on_request_ = std::move(handler);
}

std::optional<std::string> SingleInstance::SendRequest(const std::string& request, int timeout_ms) {
  if (request.size() > kMaxRequestBytes) return std::string();
  sockaddr_un address;
  if (!FillAddress(socket_path_, &address)) return std::nullopt;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return std::nullopt;
  }
  WriteAll(fd, kRequest + std::to_string(request.size()) + "\n" + request);
  shutdown(fd, SHUT_WR);
  // The answer ends when the first copy closes the connection.
  std::string answer = ReadUntil(
      fd, std::string::npos, [](const std::string&) { return false; }, timeout_ms);
  close(fd);
  return answer;
}

bool SingleInstance::AskFirstToRaise() {
  sockaddr_un address;
  if (!FillAddress(socket_path_, &address)) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool delivered = false;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
    // A first copy that is just ending must not kill this one with SIGPIPE.
    delivered = send(fd, kRaise, sizeof(kRaise) - 1, MSG_NOSIGNAL) ==
                static_cast<ssize_t>(sizeof(kRaise) - 1);
  }
  close(fd);
  return delivered;
}

}  // namespace platform
