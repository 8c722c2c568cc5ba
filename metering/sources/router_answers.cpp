#include "metering/sources/router_answers.h"

#include <algorithm>
#include <charconv>

#include "metering/sources/router_http.h"

namespace pelliton {

namespace {

constexpr std::string_view kIdPrefix = "uuid:";

bool Printable(char c) {
  return c >= 32 && c <= 126;
}

}  // namespace

std::optional<std::uint64_t> ParseRouterNumber(std::string_view text) {
  if (text.empty() || text.size() > kLongestRouterNumber) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  std::uint64_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || stop != text.data() + text.size()) return std::nullopt;
  return number;
}

std::optional<std::string> ParseRouterText(std::string_view text, std::size_t longest) {
  if (!std::all_of(text.begin(), text.end(), Printable)) return std::nullopt;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  if (text.size() > longest) return std::nullopt;
  return std::string(text);
}

std::optional<std::string> ParseRouterId(std::string_view text) {
  auto id = ParseRouterText(text, kLongestRouterId);
  if (!id || id->find(' ') != std::string::npos || id->size() <= kIdPrefix.size())
    return std::nullopt;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (std::size_t i = 0; i < kIdPrefix.size(); ++i)
    if (lower((*id)[i]) != kIdPrefix[i]) return std::nullopt;
  return id;
}

std::optional<RouterSample> ReadRouterSample(const RouterAnswers& answers) {
  if (!answers.received || !answers.sent) return std::nullopt;
  const auto down = ParseRouterNumber(*answers.received);
  const auto up = ParseRouterNumber(*answers.sent);
  if (!down || !up) return std::nullopt;
  RouterSample sample{*down, *up, std::nullopt, false};
  if (answers.uptime) sample.uptime = ParseRouterNumber(*answers.uptime);
  sample.linkUp = answers.status == "Connected" || answers.physical == "Up";
  return sample;
}

std::optional<std::uint32_t> UrlIPv4(std::string_view url) {
  const auto parsed = ParseHttpUrl(url);
  if (!parsed) return std::nullopt;
  return parsed->address;
}

bool ClosesItself(std::string_view rest) {
  char quote = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i > 0 && rest[i - 1] == '/';
    }
  }
  return false;
}

void DescriptionReader::Start(std::string_view element, bool closed) {
  ++depth_;
  element_.assign(element.substr(0, 32));
  // <root> is depth 1; its <device> depth 2, whose own elements are depth 3.
  if (depth_ == 2) inRootDevice_ = element == "device";
  if (closed) End();
}

void DescriptionReader::End() {
  if (depth_ > 0) --depth_;
  element_.clear();
}

void DescriptionReader::Data(std::string_view text) {
  if (!inRootDevice_ || depth_ != 3) return;
  if (element_ == "friendlyName" && !name_)
    name_ = std::string(text.substr(0, kLongestRouterId * 2));
  if (element_ == "UDN" && !udn_) udn_ = std::string(text.substr(0, kLongestRouterId * 2));
}

std::optional<std::string> DescriptionReader::FriendlyName() const {
  return name_ ? ParseRouterText(*name_, kLongestRouterName) : std::nullopt;
}

std::optional<std::string> DescriptionReader::Udn() const {
  return udn_ ? ParseRouterId(*udn_) : std::nullopt;
}

}  // namespace pelliton
