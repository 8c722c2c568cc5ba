#include "platform/router_source_win32.h"

#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <utility>

#include <miniupnpc.h>
#include <miniwget.h>
#include <upnpreplyparse.h>

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
constexpr std::size_t kLongestAnswer = 256;

// A router found, as the worker alone keeps it.
struct Endpoint {
  RouterSighting sighting;
  std::string controlUrl;  // WANIPConnection or WANPPPConnection
  std::string connectionService;
  std::string interfaceUrl;  // WANCommonInterfaceConfig
  std::string interfaceService;
};

// Whether `address` (host order) is on a subnet of this PC's own addresses.
bool OnLocalNetwork(std::uint32_t address) {
  ULONG size = 0;
  if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return false;
  std::vector<unsigned char> buffer(size);
  auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
  if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return false;
  const u_long wanted = htonl(address);
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPADDRROW& row = table->table[i];
    if (row.dwAddr != 0 && row.dwMask != 0 && row.dwAddr != wanted &&
        (row.dwAddr & row.dwMask) == (wanted & row.dwMask)) {
      return true;
    }
  }
  return false;
}

bool LocalUrl(const char* url) {
  const auto address = url ? UrlIPv4(url) : std::nullopt;
  return address && OnLocalNetwork(*address);
}

std::string AddressText(std::uint32_t address) {
  return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 255) + '.' +
         std::to_string(address >> 8 & 255) + '.' + std::to_string(address & 255);
}

std::optional<std::string> Bounded(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text, strnlen(text, kLongestAnswer));
}

// One action of a service, and the named values of its answer; absent where it failed.
std::vector<std::optional<std::string>> Call(const std::string& url, const std::string& service,
                                             const char* action,
                                             std::initializer_list<const char*> names) {
  std::vector<std::optional<std::string>> values(names.size());
  int size = 0;
  char* answer = simpleUPnPcommand(url.c_str(), service.c_str(), action, nullptr, &size);
  if (answer == nullptr) return values;
  NameValueParserData parsed{};
  ParseNameValue(answer, size, &parsed);
  std::free(answer);
  std::size_t i = 0;
  for (const char* name : names)
    values[i++] = Bounded(GetValueFromNameValueList(&parsed, name));
  ClearNameValueList(&parsed);
  return values;
}

// The friendly name and UDN of the root device, by the library's XML parser.
DescriptionReader Describe(const char* url, unsigned int scopeId) {
  DescriptionReader reader;
  int size = 0;
  int status = 0;
  char* text = static_cast<char*>(miniwget(url, &size, scopeId, &status));
  if (text == nullptr) return reader;
  xmlparser parser{};
  parser.xmlstart = text;
  parser.xmlsize = size;
  parser.data = &reader;
  parser.starteltfunc = [](void* r, const char* name, int length) {
    static_cast<DescriptionReader*>(r)->Start({name, static_cast<std::size_t>(length)});
  };
  parser.endeltfunc = [](void* r, const char*, int) { static_cast<DescriptionReader*>(r)->End(); };
  parser.datafunc = [](void* r, const char* data, int length) {
    static_cast<DescriptionReader*>(r)->Data({data, static_cast<std::size_t>(length)});
  };
  parsexml(&parser);
  std::free(text);
  return reader;
}

// The device as an Internet Gateway Device on the local network, or nothing.
std::optional<Endpoint> Examine(UPNPDev& device) {
  if (!LocalUrl(device.descURL)) return std::nullopt;
  UPNPDev* next = device.pNext;
  device.pNext = nullptr;  // this device alone
  UPNPUrls urls{};
  IGDdatas data{};
  char lan[64] = {};
  char wan[64] = {};
  const int valid = UPNP_GetValidIGD(&device, &urls, &data, lan, sizeof lan, wan, sizeof wan);
  device.pNext = next;
  std::optional<Endpoint> endpoint;
  // 1: connected, 2: connected with a private internet address, 3: not connected.
  if (valid >= 1 && valid <= 3 && LocalUrl(urls.rootdescURL) && LocalUrl(urls.controlURL) &&
      LocalUrl(urls.controlURL_CIF)) {
    const DescriptionReader description = Describe(urls.rootdescURL, device.scope_id);
    if (const auto udn = description.Udn()) {
      RouterSighting sighting;
      sighting.udn = *udn;
      sighting.name = description.FriendlyName().value_or("Internet Gateway Device");
      sighting.address = AddressText(*UrlIPv4(urls.rootdescURL));
      endpoint = Endpoint{std::move(sighting), urls.controlURL, data.first.servicetype,
                          urls.controlURL_CIF, data.CIF.servicetype};
    }
  }
  FreeUPNPUrls(&urls);
  return endpoint;
}

std::vector<Endpoint> Search() {
  int error = 0;
  UPNPDev* devices =
      upnpDiscover(kSearchMilliseconds, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error);
  std::vector<Endpoint> found;
  for (UPNPDev* device = devices; device != nullptr; device = device->pNext) {
    auto endpoint = Examine(*device);
    const auto same = [&](const Endpoint& e) {
      return endpoint && e.sighting.udn == endpoint->sighting.udn;
    };
    if (endpoint && std::none_of(found.begin(), found.end(), same)) found.push_back(*endpoint);
  }
  freeUPNPDevlist(devices);
  return found;
}

// One poll: the counters first; without them the rest is not asked.
void Poll(Endpoint& endpoint) {
  RouterAnswers answers;
  const std::string& cif = endpoint.interfaceUrl;
  const std::string& service = endpoint.interfaceService;
  answers.received = Call(cif, service, "GetTotalBytesReceived", {"NewTotalBytesReceived"})[0];
  if (answers.received)
    answers.sent = Call(cif, service, "GetTotalBytesSent", {"NewTotalBytesSent"})[0];
  std::optional<RouterSample> sample = ReadRouterSample(answers);
  if (sample) {
    const auto status = Call(endpoint.controlUrl, endpoint.connectionService, "GetStatusInfo",
                             {"NewConnectionStatus", "NewUptime"});
    const auto link = Call(cif, service, "GetCommonLinkProperties",
                           {"NewPhysicalLinkStatus", "NewLayer1DownstreamMaxBitRate"});
    answers.status = status[0];
    answers.uptime = status[1];
    answers.physical = link[0];
    sample = ReadRouterSample(answers);
    const auto speed = link[1] ? ParseRouterNumber(*link[1]) : std::nullopt;
    endpoint.sighting.speedBitsPerSecond = speed.value_or(0);
    endpoint.sighting.linkUp = sample && sample->linkUp;
  }
  endpoint.sighting.sample = sample;
}

}  // namespace

struct Win32RouterSource::Shared {
  std::mutex mutex;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // a request or the stop
  ~Shared() { CloseHandle(wake); }
  bool started = false;
  bool stopping = false;
  bool searchWanted = false;
  std::string followed;
  std::vector<RouterSighting> found;
  std::optional<RouterSighting> latest;
  DWORD latestAt = 0;  // GetTickCount of the last poll that answered

  void Start(const std::shared_ptr<Shared>& self);
  void Run();
  // Publishes a search's routers; the followed one's address may have changed.
  void Publish(const std::vector<Endpoint>& endpoints);
};

void Win32RouterSource::Shared::Start(const std::shared_ptr<Shared>& self) {
  if (started) return;
  started = true;
  std::thread([self] { self->Run(); }).detach();
}

void Win32RouterSource::Shared::Publish(const std::vector<Endpoint>& endpoints) {
  std::lock_guard lock(mutex);
  found.clear();
  for (const Endpoint& endpoint : endpoints)
    found.push_back(endpoint.sighting);
}

void Win32RouterSource::Shared::Run() {
  WSADATA winsock;
  if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return;
  std::vector<Endpoint> endpoints;
  int misses = 0;
  DWORD polled = GetTickCount() - kPollMilliseconds;
  for (;;) {
    const DWORD since = GetTickCount() - polled;
    if (since < kPollMilliseconds) WaitForSingleObject(wake, kPollMilliseconds - since);
    std::string udn;
    bool search = false;
    {
      std::lock_guard lock(mutex);
      if (stopping) break;
      search = std::exchange(searchWanted, false);
      udn = followed;
    }
    if (!search && GetTickCount() - polled < kPollMilliseconds) continue;
    polled = GetTickCount();
    auto known = [&] {
      return std::find_if(endpoints.begin(), endpoints.end(),
                          [&](const Endpoint& e) { return e.sighting.udn == udn; });
    };
    if (search || (!udn.empty() && (known() == endpoints.end() || misses >= kMissesBeforeSearch))) {
      endpoints = Search();
      misses = 0;
      Publish(endpoints);
    }
    const auto endpoint = known();
    if (udn.empty() || endpoint == endpoints.end()) continue;
    Poll(*endpoint);
    misses = endpoint->sighting.sample ? 0 : misses + 1;
    std::lock_guard lock(mutex);
    latest = endpoint->sighting;
    if (endpoint->sighting.sample) latestAt = GetTickCount();
  }
  WSACleanup();
}

Win32RouterSource::Win32RouterSource() : shared_(std::make_shared<Shared>()) {}

Win32RouterSource::~Win32RouterSource() {
  std::lock_guard lock(shared_->mutex);
  shared_->stopping = true;
  SetEvent(shared_->wake);
}

std::vector<RouterSighting> Win32RouterSource::Found() {
  std::lock_guard lock(shared_->mutex);
  shared_->Start(shared_);
  shared_->searchWanted = true;
  SetEvent(shared_->wake);
  return shared_->found;
}

void Win32RouterSource::Follow(const std::string& udn) {
  std::lock_guard lock(shared_->mutex);
  if (shared_->followed == udn) return;
  shared_->followed = udn;
  shared_->latest.reset();
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
