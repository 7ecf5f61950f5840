// A scripted HTTP server on 127.0.0.1 for the download tests: each request's path picks a
// reply (see TReply). It serves one connection at a time on a thread of its own, and stops
// when destroyed.
#pragma once
#include <atomic>
#include <map>
#include <string>
#include <thread>

struct TReply {
  int Status = 200;
  std::string Body;
  bool SendLength = true;        // a Content-Length header, else the body ends with the connection
  size_t DropAfter = std::string::npos;   // close the connection after this many body bytes
  size_t StallAfter = std::string::npos;  // wait for Release() after this many body bytes
};

class TLoopbackHttpServer {
 public:
  TLoopbackHttpServer();
  ~TLoopbackHttpServer();
  TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
  TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

  int Port() const { return FPort; }
  // The reply for a path ("/dir/name"); paths without one get 404. Set before requests.
  void Script(const std::string& path, TReply reply) { FReplies[path] = std::move(reply); }
  // Lets a stalled reply go on (it then closes the connection).
  void Release() { FReleased = true; }
  int Requests() const { return FRequests; }

 private:
  void Serve();
  void Answer(unsigned int client);

  unsigned int FListener = ~0u;
  int FPort = 0;
  std::map<std::string, TReply> FReplies;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FReleased{false};
  std::atomic<int> FRequests{0};
  std::thread FThread;
};

// A scripted FTP server on 127.0.0.1 (active and passive data connections, one control
// connection at a time): files by name in one directory, listed with their sizes.
class TLoopbackFtpServer {
 public:
  TLoopbackFtpServer();
  ~TLoopbackFtpServer();
  TLoopbackFtpServer(const TLoopbackFtpServer&) = delete;
  TLoopbackFtpServer& operator=(const TLoopbackFtpServer&) = delete;

  int Port() const { return FPort; }
  void Script(const std::string& name, const std::string& body) { FFiles[name] = body; }
  // The user and password the server takes; anonymous when the user is empty.
  void Login(const std::string& user, const std::string& password) {
    FUser = user;
    FPassword = password;
  }
  std::string LastDirectory() const;

 private:
  void Serve();
  void Session(unsigned int client);

  unsigned int FListener = ~0u;
  int FPort = 0;
  std::map<std::string, std::string> FFiles;
  std::string FUser, FPassword, FDirectory;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// Removes the proxy variables for the process so that WinInet connects directly.
void UnsetProxyVariables();
