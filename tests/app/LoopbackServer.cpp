#include "LoopbackServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>

namespace {

bool SendAll(SOCKET s, const char* data, size_t size) {
  while (size > 0) {
    const int sent = send(s, data, static_cast<int>(size > 65536 ? 65536 : size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// A listening socket on a free port of 127.0.0.1.
SOCKET ListenOnLoopback(int& port) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener, 8);
  int length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return listener;
}

}  // namespace

TLoopbackHttpServer::TLoopbackHttpServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  FListener = static_cast<unsigned int>(ListenOnLoopback(FPort));
  FThread = std::thread([this] { Serve(); });
}

TLoopbackHttpServer::~TLoopbackHttpServer() {
  FStop = true;
  FReleased = true;
  closesocket(static_cast<SOCKET>(FListener));
  if (FThread.joinable()) FThread.join();
  WSACleanup();
}

void TLoopbackHttpServer::Serve() {
  // Bounded by the test's lifetime: closing the listener ends accept.
  while (!FStop) {
    SOCKET client = accept(static_cast<SOCKET>(FListener), nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    Answer(static_cast<unsigned int>(client));
    closesocket(client);
  }
}

void TLoopbackHttpServer::Answer(unsigned int clientSocket) {
  const SOCKET client = static_cast<SOCKET>(clientSocket);
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    request.append(buffer, static_cast<size_t>(got));
  }
  ++FRequests;
  const size_t first = request.find(' ');
  const size_t second = request.find(' ', first + 1);
  const std::string path = request.substr(first + 1, second - first - 1);
  const auto found = FReplies.find(path);
  TReply reply;
  if (found == FReplies.end()) {
    reply.Status = 404;
    reply.Body = "not found";
  } else {
    reply = found->second;
  }
  std::string head = "HTTP/1.1 " + std::to_string(reply.Status) + (reply.Status < 300 ? " OK" : " Not Found") +
                     "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
  if (reply.SendLength) head += "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n";
  head += "\r\n";
  if (!SendAll(client, head.data(), head.size())) return;
  size_t count = reply.Body.size();
  if (reply.DropAfter < count) count = reply.DropAfter;
  if (reply.StallAfter < count) {
    if (!SendAll(client, reply.Body.data(), reply.StallAfter)) return;
    // Waits at most 30 s for the test to let it go.
    for (int i = 0; i < 3000 && !FReleased; ++i) Sleep(10);
    return;
  }
  SendAll(client, reply.Body.data(), count);
  if (count < reply.Body.size()) {
    // Drops the connection hard, mid-body.
    linger hard{1, 0};
    setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  } else {
    shutdown(client, SD_SEND);
  }
}

// ---- FTP ----------------------------------------------------------------------------------

namespace {

bool Reply(SOCKET s, const std::string& line) {
  const std::string text = line + "\r\n";
  return SendAll(s, text.data(), text.size());
}

// Reads one command line (without its CRLF); false when the connection ends.
bool ReadLine(SOCKET s, std::string& pending, std::string& line) {
  for (int guard = 0; guard < 10000; ++guard) {
    const size_t end = pending.find("\r\n");
    if (end != std::string::npos) {
      line = pending.substr(0, end);
      pending.erase(0, end + 2);
      return true;
    }
    char buffer[512];
    const int got = recv(s, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    pending.append(buffer, static_cast<size_t>(got));
  }
  return false;
}

}  // namespace

TLoopbackFtpServer::TLoopbackFtpServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  FListener = static_cast<unsigned int>(ListenOnLoopback(FPort));
  FThread = std::thread([this] { Serve(); });
}

TLoopbackFtpServer::~TLoopbackFtpServer() {
  FStop = true;
  closesocket(static_cast<SOCKET>(FListener));
  if (FThread.joinable()) FThread.join();
  WSACleanup();
}

std::string TLoopbackFtpServer::LastDirectory() const { return FDirectory; }

void TLoopbackFtpServer::Serve() {
  while (!FStop) {
    SOCKET client = accept(static_cast<SOCKET>(FListener), nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    Session(static_cast<unsigned int>(client));
    closesocket(client);
  }
}

void TLoopbackFtpServer::Session(unsigned int clientSocket) {
  const SOCKET client = static_cast<SOCKET>(clientSocket);
  std::string pending, line, user;
  sockaddr_in active{};
  SOCKET passive = INVALID_SOCKET;
  bool loggedIn = false;
  auto openData = [&]() -> SOCKET {
    if (passive != INVALID_SOCKET) {
      SOCKET data = accept(passive, nullptr, nullptr);
      closesocket(passive);
      passive = INVALID_SOCKET;
      return data;
    }
    SOCKET data = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (connect(data, reinterpret_cast<sockaddr*>(&active), sizeof active) != 0) {
      closesocket(data);
      return INVALID_SOCKET;
    }
    return data;
  };
  auto sendData = [&](const std::string& body) {
    Reply(client, "150 Opening BINARY mode data connection");
    SOCKET data = openData();
    if (data == INVALID_SOCKET) {
      Reply(client, "425 Cannot open data connection");
      return;
    }
    SendAll(data, body.data(), body.size());
    shutdown(data, SD_SEND);
    closesocket(data);
    Reply(client, "226 Transfer complete");
  };
  Reply(client, "220 test server ready");
  // Bounded: each command is read from the connection, which the client closes.
  for (int commands = 0; commands < 200 && ReadLine(client, pending, line); ++commands) {
    const size_t space = line.find(' ');
    std::string verb = line.substr(0, space);
    for (char& c : verb) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (verb == "USER") {
      user = arg;
      Reply(client, "331 Password required");
    } else if (verb == "PASS") {
      loggedIn = FUser.empty() ? user == "anonymous" : (user == FUser && arg == FPassword);
      Reply(client, loggedIn ? "230 Logged in" : "530 Login incorrect");
    } else if (!loggedIn) {
      Reply(client, "530 Not logged in");
    } else if (verb == "CWD") {
      FDirectory = arg;
      Reply(client, "250 Directory changed");
    } else if (verb == "PWD") {
      Reply(client, "257 \"" + (FDirectory.empty() ? std::string("/") : FDirectory) + "\"");
    } else if (verb == "TYPE" || verb == "MODE" || verb == "STRU") {
      Reply(client, "200 OK");
    } else if (verb == "PORT") {
      unsigned h1, h2, h3, h4, p1, p2;
      if (sscanf(arg.c_str(), "%u,%u,%u,%u,%u,%u", &h1, &h2, &h3, &h4, &p1, &p2) == 6) {
        active.sin_family = AF_INET;
        active.sin_addr.s_addr = htonl((h1 << 24) | (h2 << 16) | (h3 << 8) | h4);
        active.sin_port = htons(static_cast<u_short>((p1 << 8) | p2));
        Reply(client, "200 PORT command successful");
      } else {
        Reply(client, "501 Bad PORT");
      }
    } else if (verb == "PASV") {
      int port = 0;
      passive = ListenOnLoopback(port);
      Reply(client, "227 Entering Passive Mode (127,0,0,1," + std::to_string(port >> 8) + "," +
                        std::to_string(port & 0xFF) + ")");
    } else if (verb == "LIST" || verb == "NLST") {
      std::string listing;
      for (const auto& [name, body] : FFiles) {
        if (!arg.empty() && arg[0] != '-' && arg != name) continue;
        listing += verb == "NLST" ? name + "\r\n"
                                  : "-rw-r--r--   1 ftp      ftp      " + std::to_string(body.size()) +
                                        " Jan 01 00:00 " + name + "\r\n";
      }
      sendData(listing);
    } else if (verb == "SIZE") {
      const auto found = FFiles.find(arg);
      Reply(client, found == FFiles.end() ? "550 No such file" : "213 " + std::to_string(found->second.size()));
    } else if (verb == "RETR") {
      const auto found = FFiles.find(arg);
      if (found == FFiles.end()) {
        Reply(client, "550 No such file");
      } else {
        sendData(found->second);
      }
    } else if (verb == "QUIT") {
      Reply(client, "221 Goodbye");
      break;
    } else if (verb == "SYST") {
      Reply(client, "215 UNIX Type: L8");
    } else {
      Reply(client, "502 Command not implemented");
    }
  }
  if (passive != INVALID_SOCKET) closesocket(passive);
}

void UnsetProxyVariables() {
  for (const wchar_t* name : {L"http_proxy", L"HTTP_PROXY", L"https_proxy", L"HTTPS_PROXY", L"ftp_proxy",
                              L"FTP_PROXY", L"all_proxy", L"ALL_PROXY", L"no_proxy", L"NO_PROXY"}) {
    SetEnvironmentVariableW(name, nullptr);
  }
}
