#include "metering/sources/router_http.h"

#include <algorithm>
#include <charconv>

#include "metering/sources/router_answers.h"

namespace pelliton {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

bool UrlCharacter(char c) {
  return c > 32 && c < 127;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// The value of header `name` in `headers` (the lines after the status line); empty if none.
std::string_view Header(std::string_view headers, std::string_view name) {
  while (!headers.empty()) {
    const std::size_t end = std::min(headers.find("\r\n"), headers.size());
    const std::string_view line = headers.substr(0, end);
    headers.remove_prefix(std::min(end + 2, headers.size()));
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameText(Trimmed(line.substr(0, colon)), name))
      return Trimmed(line.substr(colon + 1));
  }
  return {};
}

struct Parts {
  std::string_view status;
  std::string_view headers;
  std::string_view body;
};

std::optional<Parts> Split(std::string_view raw) {
  const std::size_t end = raw.find(kHeaderEnd);
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view head = raw.substr(0, end);
  const std::size_t line = std::min(head.find("\r\n"), head.size());
  return Parts{head.substr(0, line), head.substr(std::min(line + 2, head.size())),
               raw.substr(end + kHeaderEnd.size())};
}

// The chunks of a chunked body joined; nothing until its last chunk has come.
std::optional<std::string> Dechunk(std::string_view body) {
  std::string joined;
  for (;;) {
    const std::size_t end = body.find("\r\n");
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view size = Trimmed(body.substr(0, std::min(body.find(';'), end)));
    std::size_t length = 0;
    const auto [stop, error] = std::from_chars(size.data(), size.data() + size.size(), length, 16);
    if (size.empty() || size.size() > 8 || error != std::errc() || stop != size.data() + size.size())
      return std::nullopt;
    body.remove_prefix(end + 2);
    if (length == 0) return joined;
    if (body.size() < length + 2) return std::nullopt;
    joined.append(body.substr(0, length));
    body.remove_prefix(length + 2);
  }
}

std::optional<std::size_t> ContentLength(std::string_view headers) {
  const auto length = ParseRouterNumber(Header(headers, "Content-Length"));
  if (!length || *length > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::size_t>(*length);
}

bool Chunked(std::string_view headers) {
  return SameText(Header(headers, "Transfer-Encoding"), "chunked");
}

std::string HostHeader(const HttpUrl& url) {
  return AddressText(url.address) + ':' + std::to_string(url.port);
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  if (!url.starts_with(kScheme) || !std::all_of(url.begin(), url.end(), UrlCharacter))
    return std::nullopt;
  url.remove_prefix(kScheme.size());
  const std::size_t slash = std::min(url.find('/'), url.size());
  const std::string_view authority = url.substr(0, slash);
  HttpUrl parsed;
  const std::size_t colon = std::min(authority.find(':'), authority.size());
  if (colon < authority.size()) {
    const auto port = ParseRouterNumber(authority.substr(colon + 1));
    if (!port || *port == 0 || *port > 65535) return std::nullopt;
    parsed.port = static_cast<std::uint16_t>(*port);
  }
  std::string_view host = authority.substr(0, colon);
  for (int part = 0; part < 4; ++part) {
    const std::size_t end = part < 3 ? host.find('.') : host.size();
    const auto octet = end == std::string_view::npos || end == 0 || end > 3
                           ? std::nullopt
                           : ParseRouterNumber(host.substr(0, end));
    if (!octet || *octet > 255) return std::nullopt;
    parsed.address = parsed.address << 8 | static_cast<std::uint32_t>(*octet);
    host.remove_prefix(part < 3 ? end + 1 : end);
  }
  if (slash < url.size()) parsed.path = std::string(url.substr(slash));
  return parsed;
}

std::string AddressText(std::uint32_t address) {
  return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 255) + '.' +
         std::to_string(address >> 8 & 255) + '.' + std::to_string(address & 255);
}

bool RoutableLanAddress(std::uint32_t address) {
  const std::uint32_t first = address >> 24;
  return first != 0 && first != 127 && first < 224;
}

std::string HttpGet(const HttpUrl& url) {
  return "GET " + url.path + " HTTP/1.1\r\nHost: " + HostHeader(url) +
         "\r\nConnection: close\r\n\r\n";
}

std::string SoapRequest(const HttpUrl& url, std::string_view service, std::string_view action) {
  std::string body =
      "<?xml version=\"1.0\"?>\r\n<s:Envelope "
      "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
      "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:";
  body.append(action).append(" xmlns:u=\"").append(service).append("\"></u:");
  body.append(action).append("></s:Body></s:Envelope>\r\n");
  std::string request = "POST " + url.path + " HTTP/1.1\r\nHost: " + HostHeader(url) +
                        "\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nSOAPAction: \"";
  request.append(service).append("#").append(action);
  return request.append("\"\r\nConnection: close\r\n\r\n").append(body);
}

bool HttpAnswerComplete(std::string_view raw, bool closed) {
  const auto parts = Split(raw);
  if (closed || !parts) return closed;
  if (Chunked(parts->headers)) return Dechunk(parts->body).has_value();
  const auto length = ContentLength(parts->headers);
  return length && parts->body.size() >= *length;
}

std::optional<std::string> HttpAnswerBody(std::string_view raw) {
  const auto parts = Split(raw);
  if (!parts || !parts->status.starts_with("HTTP/1.") || parts->status.size() < 12 ||
      parts->status.substr(8, 4) != " 200")
    return std::nullopt;
  if (Chunked(parts->headers)) return Dechunk(parts->body);
  if (Header(parts->headers, "Content-Length").empty()) return std::string(parts->body);
  const auto length = ContentLength(parts->headers);
  if (!length || parts->body.size() < *length) return std::nullopt;
  return std::string(parts->body.substr(0, *length));
}

}  // namespace pelliton
