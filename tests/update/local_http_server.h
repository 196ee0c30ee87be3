// A tiny HTTP/1.0 server on 127.0.0.1 for the download tests: fixed answers per path, every
// request recorded, and answers that stop half-way until the test releases them.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace update_test {

class LocalHttpServer {
 public:
  struct Answer {
    int status = 200;
    std::string body;
    // When set, only this many body bytes are sent; the rest waits for Release().
    size_t hold_after = std::string::npos;
  };
  struct Request {
    std::string path;
    std::string head;  // request line and headers
  };

  LocalHttpServer() {
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listen(listen_fd_, 8);
    pipe(stop_pipe_);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LocalHttpServer() {
    {
      std::lock_guard lock(mu_);
      stopping_ = true;
      released_ = true;
    }
    cv_.notify_all();
    const char c = 'x';
    (void)!write(stop_pipe_[1], &c, 1);
    thread_.join();
    close(listen_fd_);
    close(stop_pipe_[0]);
    close(stop_pipe_[1]);
  }

  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  void Set(const std::string& path, Answer answer) {
    std::lock_guard lock(mu_);
    answers_[path] = std::move(answer);
  }
  void Release() {
    {
      std::lock_guard lock(mu_);
      released_ = true;
    }
    cv_.notify_all();
  }
  std::vector<Request> Requests() {
    std::lock_guard lock(mu_);
    return requests_;
  }

 private:
  void Serve() {
    for (;;) {
      pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents) return;
      const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      Handle(fd);
      close(fd);
    }
  }
  void Handle(int fd) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) return;
      head.append(buffer, static_cast<size_t>(n));
    }
    const size_t sp1 = head.find(' ');
    const size_t sp2 = head.find(' ', sp1 + 1);
    const std::string path = head.substr(sp1 + 1, sp2 - sp1 - 1);
    Answer answer{404, "not here"};
    {
      std::lock_guard lock(mu_);
      requests_.push_back({path, head.substr(0, head.find("\r\n\r\n"))});
      auto it = answers_.find(path);
      if (it != answers_.end()) answer = it->second;
    }
    const std::string reply = "HTTP/1.0 " + std::to_string(answer.status) +
                              " X\r\nContent-Length: " + std::to_string(answer.body.size()) +
                              "\r\nConnection: close\r\n\r\n";
    Send(fd, reply);
    if (answer.hold_after == std::string::npos) {
      Send(fd, answer.body);
      return;
    }
    Send(fd, answer.body.substr(0, answer.hold_after));
    std::unique_lock lock(mu_);
    cv_.wait(lock, [this] { return released_; });
  }
  static void Send(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  int listen_fd_ = -1;
  int stop_pipe_[2] = {-1, -1};
  int port_ = 0;
  std::mutex mu_;
  std::condition_variable cv_;
  bool stopping_ = false;
  bool released_ = false;
  std::map<std::string, Answer> answers_;
  std::vector<Request> requests_;
  std::thread thread_;
};

}  // namespace update_test
