#include "platform/router_http_win32.h"

namespace pelliton {

namespace {

// A socket closed when it goes.
class Socket {
 public:
  Socket() : socket_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
  ~Socket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET Get() const { return socket_; }

 private:
  SOCKET socket_;
};

// Waits until the socket can be written (or its connect ended) or read, by the deadline.
bool Ready(SOCKET socket, bool write, DWORD deadline) {
  const DWORD left = MillisecondsLeft(deadline);
  if (left == 0) return false;
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket, &ready);
  FD_SET(socket, &failed);
  timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
  const int count = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
  // select leaves in each set the sockets it reports: here the one socket or none.
  return count > 0 && ready.fd_count == 1 && failed.fd_count == 0;
}

bool Connect(SOCKET socket, const HttpUrl& url, DWORD deadline) {
  u_long nonBlocking = 1;
  if (ioctlsocket(socket, static_cast<long>(FIONBIO), &nonBlocking) != 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(url.port);
  address.sin_addr.s_addr = htonl(url.address);
  if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
    return true;
  if (WSAGetLastError() != WSAEWOULDBLOCK || !Ready(socket, true, deadline)) return false;
  int error = 0;
  int size = sizeof error;
  return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
         error == 0;
}

bool SendAll(SOCKET socket, std::string_view data, DWORD deadline) {
  while (!data.empty()) {
    if (!Ready(socket, true, deadline)) return false;
    const int sent = send(socket, data.data(), static_cast<int>(data.size()), 0);
    if (sent == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return false;
    if (sent > 0) data.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace

DWORD MillisecondsLeft(DWORD deadline) {
  const DWORD now = GetTickCount();
  return static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
}

std::optional<std::string> HttpExchange(const HttpUrl& url, std::string_view request,
                                        DWORD deadline, std::size_t longest) {
  const Socket socket;
  if (socket.Get() == INVALID_SOCKET || !Connect(socket.Get(), url, deadline) ||
      !SendAll(socket.Get(), request, deadline)) {
    return std::nullopt;
  }
  std::string raw;
  char buffer[2048];
  for (bool closed = false; !HttpAnswerComplete(raw, closed);) {
    if (raw.size() > longest || !Ready(socket.Get(), false, deadline)) return std::nullopt;
    const int got = recv(socket.Get(), buffer, sizeof buffer, 0);
    if (got == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return std::nullopt;
    if (got > 0) raw.append(buffer, static_cast<std::size_t>(got));
    closed = got == 0;
  }
  return HttpAnswerBody(raw);
}

}  // namespace pelliton
