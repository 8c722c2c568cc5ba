#include "platform/router_source_win32.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <utility>

#include <miniupnpc.h>
#include <upnpreplyparse.h>

#include "platform/router_http_win32.h"

extern "C" {
#include <minixml.h>
}

namespace pelliton {

namespace {

constexpr int kSearchMilliseconds = 2000;
constexpr DWORD kPollMilliseconds = 2000;
// A reading older than this (two polls missed) is no reading: the router does not answer.
constexpr DWORD kStaleMilliseconds = 5000;
// Polls in a row without an answer before the router is searched for again (a new address).
constexpr int kMissesBeforeSearch = 2;
// The most one device's description and first poll, one poll, and a whole search may take.
constexpr DWORD kDeviceMilliseconds = 3000;
constexpr DWORD kPollDeadlineMilliseconds = 3000;
constexpr DWORD kSearchDeadlineMilliseconds = 8000;
constexpr std::size_t kLongestAnswer = 256;
constexpr std::size_t kLongestSoapAnswer = 16384;
constexpr std::size_t kLongestDescription = 65536;
constexpr char kInterfaceService[] = "urn:schemas-upnp-org:service:WANCommonInterfaceConfig:";

// A router found, as the worker alone keeps it.
struct Endpoint {
  RouterSighting sighting;
  HttpUrl controlUrl;  // WANIPConnection or WANPPPConnection
  std::string connectionService;
  HttpUrl interfaceUrl;  // WANCommonInterfaceConfig
  std::string interfaceService;
};

// Whether `address` (host order) is on a subnet of this PC's own addresses, and no address
// of its own nor of the loopback range.
bool OnLocalNetwork(std::uint32_t address) {
  if (!RoutableLanAddress(address)) return false;
  ULONG size = 0;
  if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return false;
  std::vector<unsigned char> buffer(size);
  auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
  if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return false;
  const u_long wanted = htonl(address);
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPADDRROW& row = table->table[i];
    if (row.dwAddr != 0 && row.dwMask != 0 && row.dwAddr != wanted &&
        RoutableLanAddress(ntohl(row.dwAddr)) &&
        (row.dwAddr & row.dwMask) == (wanted & row.dwMask)) {
      return true;
    }
  }
  return false;
}

// The URL when the program may talk to it: numeric, on this PC's own subnets.
std::optional<HttpUrl> LocalUrl(const char* url) {
  auto parsed = url ? ParseHttpUrl(url) : std::nullopt;
  if (parsed && OnLocalNetwork(parsed->address)) return parsed;
  return std::nullopt;
}

std::optional<std::string> Bounded(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text, strnlen(text, kLongestAnswer));
}

// One action of a service by `deadline`, and the named values of its answer; absent where it
// failed.
std::vector<std::optional<std::string>> Call(const HttpUrl& url, const std::string& service,
                                             const char* action,
                                             std::initializer_list<const char*> names,
                                             DWORD deadline) {
  std::vector<std::optional<std::string>> values(names.size());
  const auto answer =
      HttpExchange(url, SoapRequest(url, service, action), deadline, kLongestSoapAnswer);
  if (!answer) return values;
  NameValueParserData parsed{};
  ParseNameValue(answer->data(), static_cast<int>(answer->size()), &parsed);
  std::size_t i = 0;
  for (const char* name : names)
    values[i++] = Bounded(GetValueFromNameValueList(&parsed, name));
  ClearNameValueList(&parsed);
  return values;
}

// The friendly name and UDN of the root device, by the library's XML parser.
DescriptionReader Describe(const std::string& description) {
  struct Reading {
    DescriptionReader reader;
    const char* end;
  } reading{{}, description.data() + description.size()};
  xmlparser parser{};
  parser.xmlstart = description.data();
  parser.xmlsize = static_cast<int>(description.size());
  parser.data = &reading;
  parser.starteltfunc = [](void* r, const char* name, int length) {
    auto& each = *static_cast<Reading*>(r);
    const char* rest = name + length;
    each.reader.Start({name, static_cast<std::size_t>(length)},
                      ClosesItself({rest, static_cast<std::size_t>(each.end - rest)}));
  };
  parser.endeltfunc = [](void* r, const char*, int) {
    static_cast<Reading*>(r)->reader.End();
  };
  parser.datafunc = [](void* r, const char* data, int length) {
    static_cast<Reading*>(r)->reader.Data({data, static_cast<std::size_t>(length)});
  };
  parsexml(&parser);
  return reading.reader;
}

// One poll by `deadline`: the counters first; without them the rest is not asked.
void Poll(Endpoint& endpoint, DWORD deadline) {
  RouterAnswers answers;
  const HttpUrl& cif = endpoint.interfaceUrl;
  const std::string& service = endpoint.interfaceService;
  endpoint.sighting.readAtMs = GetTickCount();
  answers.received =
      Call(cif, service, "GetTotalBytesReceived", {"NewTotalBytesReceived"}, deadline)[0];
  if (answers.received)
    answers.sent = Call(cif, service, "GetTotalBytesSent", {"NewTotalBytesSent"}, deadline)[0];
  std::optional<RouterSample> sample = ReadRouterSample(answers);
  if (sample) {
    const auto status = Call(endpoint.controlUrl, endpoint.connectionService, "GetStatusInfo",
                             {"NewConnectionStatus", "NewUptime"}, deadline);
    const auto link = Call(cif, service, "GetCommonLinkProperties",
                           {"NewPhysicalLinkStatus", "NewLayer1DownstreamMaxBitRate",
                            "NewLayer1UpstreamMaxBitRate"},
                           deadline);
    answers.status = status[0];
    answers.uptime = status[1];
    answers.physical = link[0];
    sample = ReadRouterSample(answers);
    const auto rate = [](const std::optional<std::string>& text) {
      return text ? ParseRouterNumber(*text).value_or(0) : 0;
    };
    endpoint.sighting.speedBitsPerSecond = rate(link[1]);
    endpoint.sighting.upSpeedBitsPerSecond = rate(link[2]);
    endpoint.sighting.linkUp = sample && sample->linkUp;
  }
  endpoint.sighting.sample = sample;
}

// The device as an Internet Gateway Device on the local network, or nothing. Every URL is
// checked before anything is sent to it; all of it ends by `deadline`.
std::optional<Endpoint> Examine(const UPNPDev& device, DWORD deadline) {
  const auto root = LocalUrl(device.descURL);
  const auto description =
      root ? HttpExchange(*root, HttpGet(*root), deadline, kLongestDescription) : std::nullopt;
  if (!description) return std::nullopt;
  IGDdatas data{};
  parserootdesc(description->data(), static_cast<int>(description->size()), &data);
  if (std::strncmp(data.CIF.servicetype, kInterfaceService, std::strlen(kInterfaceService)) !=
          0 ||
      data.first.servicetype[0] == '\0') {
    return std::nullopt;
  }
  UPNPUrls urls{};
  GetUPNPUrls(&urls, &data, device.descURL, device.scope_id);
  const auto control = LocalUrl(urls.controlURL);
  const auto common = LocalUrl(urls.controlURL_CIF);
  FreeUPNPUrls(&urls);
  const DescriptionReader reader = Describe(*description);
  const auto udn = reader.Udn();
  if (!control || !common || !udn) return std::nullopt;
  RouterSighting sighting;
  sighting.udn = *udn;
  sighting.name = reader.FriendlyName().value_or("Internet Gateway Device");
  sighting.address = AddressText(root->address);
  Endpoint endpoint{std::move(sighting), *control, data.first.servicetype, *common,
                    data.CIF.servicetype};
  Poll(endpoint, deadline);  // its link and rate for the dialog
  return endpoint;
}

std::vector<Endpoint> Search() {
  const DWORD deadline = GetTickCount() + kSearchDeadlineMilliseconds;
  int error = 0;
  UPNPDev* devices =
      upnpDiscover(kSearchMilliseconds, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error);
  std::vector<Endpoint> found;
  for (UPNPDev* device = devices; device != nullptr && MillisecondsLeft(deadline) > 0;
       device = device->pNext) {
    const DWORD own = GetTickCount() + kDeviceMilliseconds;
    auto endpoint = Examine(*device, MillisecondsLeft(own) < MillisecondsLeft(deadline) ? own
                                                                                      : deadline);
    const auto same = [&](const Endpoint& e) {
      return endpoint && e.sighting.udn == endpoint->sighting.udn;
    };
    if (endpoint && std::none_of(found.begin(), found.end(), same)) found.push_back(*endpoint);
  }
  freeUPNPDevlist(devices);
  return found;
}

}  // namespace

struct Win32RouterSource::Shared {
  std::mutex mutex;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);    // the poller: a change, the stop
  HANDLE search = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // the searcher: a search, the stop
  ~Shared() {
    CloseHandle(wake);
    CloseHandle(search);
  }
  bool started = false;
  bool stopping = false;
  bool searchWanted = false;
  bool searching = false;
  bool pollNow = false;
  std::string followed;
  unsigned following = 0;           // counts the changes of `followed`
  std::vector<Endpoint> endpoints;  // the last search's routers, with their latest polls
  std::optional<RouterSighting> latest;
  DWORD latestAt = 0;  // GetTickCount of the last poll that answered

  // The searcher and the poller: no search holds up a poll.
  void Start(const std::shared_ptr<Shared>& self);
  void WantSearch();
  void RunSearches();
  void RunPolls();
  // The followed router's endpoint when a poll of it is due; asks for a search while it is
  // not found or does not answer.
  std::optional<Endpoint> Due(DWORD& polled, int& misses, unsigned& generation);
  void Publish(const Endpoint& polled, unsigned generation);
};

void Win32RouterSource::Shared::Start(const std::shared_ptr<Shared>& self) {
  if (started) return;
  started = true;
  std::thread([self] { self->RunSearches(); }).detach();
  std::thread([self] { self->RunPolls(); }).detach();
}

void Win32RouterSource::Shared::WantSearch() {
  if (searching) return;
  searchWanted = true;
  SetEvent(search);
}

void Win32RouterSource::Shared::RunSearches() {
  WSADATA winsock;
  if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return;
  for (;;) {
    WaitForSingleObject(search, INFINITE);
    {
      std::lock_guard lock(mutex);
      if (stopping) break;
      if (!std::exchange(searchWanted, false)) continue;
      searching = true;
    }
    std::vector<Endpoint> found = Search();
    std::lock_guard lock(mutex);
    endpoints = std::move(found);
    searching = false;
    SetEvent(wake);  // the followed router may be found now
  }
  WSACleanup();
}

std::optional<Endpoint> Win32RouterSource::Shared::Due(DWORD& polled, int& misses,
                                                       unsigned& generation) {
  if (!std::exchange(pollNow, false) && GetTickCount() - polled < kPollMilliseconds)
    return std::nullopt;
  polled = GetTickCount();
  generation = following;
  if (followed.empty()) return std::nullopt;
  const auto known = std::find_if(endpoints.begin(), endpoints.end(),
                                  [&](const Endpoint& e) { return e.sighting.udn == followed; });
  if (known == endpoints.end() || misses >= kMissesBeforeSearch) {
    WantSearch();
    misses = 0;
  }
  if (known == endpoints.end()) return std::nullopt;
  return *known;
}

void Win32RouterSource::Shared::Publish(const Endpoint& polled, unsigned generation) {
  const RouterSighting& sighting = polled.sighting;
  for (Endpoint& endpoint : endpoints) {
    if (endpoint.sighting.udn != sighting.udn) continue;
    endpoint.sighting.linkUp = sighting.linkUp;
    endpoint.sighting.speedBitsPerSecond = sighting.speedBitsPerSecond;
    endpoint.sighting.upSpeedBitsPerSecond = sighting.upSpeedBitsPerSecond;
  }
  if (generation != following) return;  // a poll of a router no longer followed
  latest = sighting;
  if (sighting.sample) latestAt = GetTickCount();
}

void Win32RouterSource::Shared::RunPolls() {
  WSADATA winsock;
  if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return;
  int misses = 0;
  DWORD polled = GetTickCount() - kPollMilliseconds;
  for (;;) {
    const DWORD since = GetTickCount() - polled;
    if (since < kPollMilliseconds) WaitForSingleObject(wake, kPollMilliseconds - since);
    std::optional<Endpoint> endpoint;
    unsigned generation = 0;
    {
      std::lock_guard lock(mutex);
      if (stopping) break;
      endpoint = Due(polled, misses, generation);
    }
    if (!endpoint) continue;
    Poll(*endpoint, GetTickCount() + kPollDeadlineMilliseconds);
    misses = endpoint->sighting.sample ? 0 : misses + 1;
    std::lock_guard lock(mutex);
    Publish(*endpoint, generation);
  }
  WSACleanup();
}

Win32RouterSource::Win32RouterSource() : shared_(std::make_shared<Shared>()) {}

Win32RouterSource::~Win32RouterSource() {
  std::lock_guard lock(shared_->mutex);
  shared_->stopping = true;
  SetEvent(shared_->wake);
  SetEvent(shared_->search);
}

std::vector<RouterSighting> Win32RouterSource::Found() {
  std::lock_guard lock(shared_->mutex);
  shared_->Start(shared_);
  shared_->WantSearch();
  std::vector<RouterSighting> found;
  for (const Endpoint& endpoint : shared_->endpoints)
    found.push_back(endpoint.sighting);
  return found;
}

void Win32RouterSource::Follow(const std::string& udn) {
  std::lock_guard lock(shared_->mutex);
  if (shared_->followed == udn) return;
  shared_->followed = udn;
  ++shared_->following;
  shared_->latest.reset();
  shared_->pollNow = true;
  if (!udn.empty()) shared_->Start(shared_);
  SetEvent(shared_->wake);
}

std::optional<RouterSighting> Win32RouterSource::Latest() {
  std::lock_guard lock(shared_->mutex);
  std::optional<RouterSighting> latest = shared_->latest;
  if (latest && latest->udn != shared_->followed) return std::nullopt;
  if (latest && GetTickCount() - shared_->latestAt > kStaleMilliseconds) latest->sample.reset();
  return latest;
}

}  // namespace pelliton
