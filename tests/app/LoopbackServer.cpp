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

}  // namespace

TLoopbackHttpServer::TLoopbackHttpServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener, 8);
  int length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  FPort = ntohs(address.sin_port);
  FListener = static_cast<unsigned int>(listener);
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

void UnsetProxyVariables() {
  for (const wchar_t* name : {L"http_proxy", L"HTTP_PROXY", L"https_proxy", L"HTTPS_PROXY", L"ftp_proxy",
                              L"FTP_PROXY", L"all_proxy", L"ALL_PROXY", L"no_proxy", L"NO_PROXY"}) {
    SetEnvironmentVariableW(name, nullptr);
  }
}
