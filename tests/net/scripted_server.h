#pragma once
// A tiny HTTP server on 127.0.0.1 (ephemeral port) that answers every
// connection with fixed bytes, so tests can stage what a real server library
// would never send: no Content-Length, a lying length, a body that stalls.
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tv::test {

struct ScriptedReply {
  std::string bytes;   // sent as they are after the request has been read
  bool stall = false;  // then keep the connection open until the client leaves
};

class ScriptedServer {
 public:
  explicit ScriptedServer(ScriptedReply reply);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  // "127.0.0.1:PORT", the host text the transport takes.
  std::string Host() const;
  int Port() const { return port_; }
  // The head (request line and headers) of every request so far.
  std::vector<std::string> Requests();

 private:
  void Serve();
  void Answer(int client);

  ScriptedReply reply_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// HTTP/1.0-style answer: status line, the given headers, an empty line, body.
std::string HttpReply(const std::string& status, const std::string& headers,
                      const std::string& body);
// 200 with a correct Content-Length.
std::string OkReply(const std::string& body);

// A port on 127.0.0.1 that nothing listens on (bound, then released).
int UnusedPort();

}  // namespace tv::test
