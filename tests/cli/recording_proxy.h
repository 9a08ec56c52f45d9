#pragma once
// A loopback HTTP proxy in front of a real service that records the target
// of every request passing it ("/qavel/client/...?..." as sent), so that a
// test can see exactly what a client put on the wire.
#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tv::test {

class RecordingProxy {
 public:
  RecordingProxy() {
    auto forward = [this](const httplib::Request& req, httplib::Response& res) {
      std::string upstream;
      {
        std::lock_guard lock(mutex_);
        targets_.push_back(req.method + " " + req.target);
        upstream = upstream_;
      }
      httplib::Client client(upstream);
      client.set_url_encode(false);
      auto answer = req.method == "POST" ? client.Post(req.target, req.body, "text/plain")
                                         : client.Get(req.target);
      if (!answer) {
        res.status = 502;
        return;
      }
      res.status = answer->status;
      res.set_content(answer->body, answer->get_header_value("Content-Type"));
    };
    server_.Get(".*", forward);
    server_.Post(".*", forward);
    port_ = server_.bind_to_any_port("127.0.0.1");
    // Bound means listening: connections wait for the accept loop.
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~RecordingProxy() {
    server_.stop();
    thread_.join();
  }

  // "127.0.0.1:PORT".
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  // The proxy already listens: its workers read this under the lock too.
  void SetUpstream(std::string host) {
    std::lock_guard lock(mutex_);
    upstream_ = std::move(host);
  }

  // "GET /path?query" of every request so far.
  std::vector<std::string> Targets() const {
    std::lock_guard lock(mutex_);
    return targets_;
  }
  std::size_t Count() const {
    std::lock_guard lock(mutex_);
    return targets_.size();
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::string upstream_;
  std::vector<std::string> targets_;
};

}  // namespace tv::test
