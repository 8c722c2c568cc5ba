// What the program takes from a router's answers, fed with arbitrary bytes: a SOAP answer
// through the UPnP library's name-value parser, a device description through its XML parser,
// URLs, the kept readings, and counter readings through the counting.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "metering/sources/router_counters.h"
#include "metering/sources/router_http.h"

extern "C" {
#include "minixml.h"
#include "upnpreplyparse.h"
}

namespace {

using namespace pelliton;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Printable(std::string_view text) {
  for (char c : text)
    if (c < 32 || c > 126) return false;
  return !text.empty();
}

// A plain reading of the figure rule: 1 to 20 digits, no overflow.
bool IsFigure(std::string_view text) {
  std::uint64_t value = 0;
  if (text.empty() || text.size() > kLongestRouterNumber) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return true;
}

std::optional<std::string> Value(NameValueParserData& parsed, const char* name) {
  const char* value = GetValueFromNameValueList(&parsed, name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SoapAnswer(std::string_view bytes) {
  NameValueParserData parsed{};
  ParseNameValue(bytes.data(), static_cast<int>(bytes.size()), &parsed);
  const RouterAnswers answers{Value(parsed, "NewTotalBytesReceived"),
                              Value(parsed, "NewTotalBytesSent"),
                              Value(parsed, "NewConnectionStatus"), Value(parsed, "NewUptime"),
                              Value(parsed, "NewPhysicalLinkStatus")};
  ClearNameValueList(&parsed);
  const bool figures =
      answers.received && answers.sent && IsFigure(*answers.received) && IsFigure(*answers.sent);
  const auto sample = ReadRouterSample(answers);
  Check(sample.has_value() == figures);
  if (sample) Check(sample->down == std::stoull(*answers.received));
}

struct Reading {
  DescriptionReader reader;
  const char* end;
};

void Description(std::string_view bytes) {
  Reading reading{{}, bytes.data() + bytes.size()};
  DescriptionReader& reader = reading.reader;
  xmlparser parser{};
  parser.xmlstart = bytes.data();
  parser.xmlsize = static_cast<int>(bytes.size());
  parser.data = &reading;
  parser.starteltfunc = [](void* r, const char* n, int l) {
    auto& each = *static_cast<Reading*>(r);
    each.reader.Start({n, static_cast<std::size_t>(l)},
                      ClosesItself({n + l, static_cast<std::size_t>(each.end - n - l)}));
  };
  parser.endeltfunc = [](void* r, const char*, int) { static_cast<Reading*>(r)->reader.End(); };
  parser.datafunc = [](void* r, const char* d, int l) {
    static_cast<Reading*>(r)->reader.Data({d, static_cast<std::size_t>(l)});
  };
  parsexml(&parser);
  if (const auto name = reader.FriendlyName())
    Check(Printable(*name) && name->size() <= kLongestRouterName);
  if (const auto udn = reader.Udn())
    Check(Printable(*udn) && udn->size() <= kLongestRouterId &&
          udn->find(' ') == std::string::npos);
}

void Counting(const std::uint8_t* data, std::size_t size) {
  RouterCounting counting;
  std::uint32_t at = 0;
  for (; size >= 16; data += 16, size -= 16) {
    RouterSample sample;
    std::memcpy(&sample.down, data, 8);
    std::memcpy(&sample.up, data + 8, 8);
    if (data[0] & 1) sample.down &= kCounter32Top;  // mostly 32-bit routers
    if (data[0] & 2) sample.uptime = data[1];
    const RouterPace pace{at += data[2] * 100u, (data[3] & 1) ? 0 : data[8] * 1000000ull};
    const std::optional<RouterSample> base = counting.Base();
    const RouterGrowth growth = counting.Step(sample, pace);
    Check(growth.down <= kLargestRouterStep && growth.up <= kLargestRouterStep);
    // A refused reading counts nothing and leaves the base as it was.
    if (base && counting.Base() == base && sample != *base) Check(growth == RouterGrowth{});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      return SoapAnswer(bytes), 0;
    case 1:
      return Description(bytes), 0;
    case 2:
      if (const auto kept = ParseKeptRouter(bytes))
        Check(ParseKeptRouter(FormatKeptRouter(*kept)) == kept);
      if (UrlIPv4(bytes)) Check(bytes.starts_with("http://"));
      if (const auto url = ParseHttpUrl(bytes)) Check(url->path.find(' ') == std::string::npos);
      if (const auto body = HttpAnswerBody(bytes)) Check(body->size() < bytes.size());
      return 0;
    default:
      return Counting(data + 1, size - 1), 0;
  }
}
