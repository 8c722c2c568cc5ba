#include "platform/if_table.h"

#include <windows.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "metering/sources/counter_source.h"
#include "store/errors.h"

namespace pelliton {
namespace {

constexpr std::size_t kTraffic = 4 << 20;

class Winsock {
 public:
  Winsock() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  }
  ~Winsock() { WSACleanup(); }
  Winsock(const Winsock&) = delete;
  Winsock& operator=(const Winsock&) = delete;
};

class Socket {
 public:
  explicit Socket(SOCKET handle) : handle_(handle) {}
  ~Socket() {
    if (handle_ != INVALID_SOCKET) closesocket(handle_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET Get() const { return handle_; }

 private:
  SOCKET handle_;
};

// Moves `bytes` from one TCP socket to another over 127.0.0.1; returns what arrived.
std::size_t SendOverLoopback(std::size_t bytes) {
  Socket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if (bind(listener.Get(), raw, length) != 0 || listen(listener.Get(), 1) != 0 ||
      getsockname(listener.Get(), raw, &length) != 0) {
    return 0;
  }
  Socket client(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (connect(client.Get(), raw, length) != 0) return 0;
  Socket server(accept(listener.Get(), nullptr, nullptr));

  std::thread sender([&] {
    const std::vector<char> chunk(64 * 1024, 'p');
    for (std::size_t sent = 0; sent < bytes;) {
      const int n = send(client.Get(), chunk.data(),
                         static_cast<int>(std::min(chunk.size(), bytes - sent)), 0);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    shutdown(client.Get(), SD_SEND);
  });
  std::vector<char> buffer(64 * 1024);
  std::size_t received = 0;
  for (int n; (n = recv(server.Get(), buffer.data(), static_cast<int>(buffer.size()), 0)) > 0;) {
    received += static_cast<std::size_t>(n);
  }
  sender.join();
  return received;
}

std::optional<IfRow> FindRow(const Snapshot& snapshot, const std::string& description) {
  for (const auto& row : snapshot) {
    try {
      if (DescriptionText(row) == description) return row;
    } catch (const RangeError&) {
      // a row without description bytes is nobody's connection
    }
  }
  return std::nullopt;
}

TEST(IpHelperInterfaceTable, HonoursTheSizingContract) {
  IpHelperInterfaceTable table;
  std::uint32_t dummy = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(table.GetIfTable(&dummy, &size, false), kErrorInsufficientBuffer);
  ASSERT_GE(size, kIfTableHeaderSize + sizeof(IfRow));

  std::vector<std::uint8_t> buffer(size);
  ASSERT_EQ(table.GetIfTable(buffer.data(), &size, false), kNoError);
  std::uint32_t count = 0;
  std::memcpy(&count, buffer.data(), sizeof count);
  EXPECT_GE(count, 1u);
  EXPECT_LE(kIfTableHeaderSize + count * sizeof(IfRow), buffer.size());
}

TEST(IpHelperInterfaceTable, LoopbackCountersGrowWithLoopbackTraffic) {
  Winsock winsock;
  IpHelperInterfaceTable table;
  Snapshot before;
  Get_IfTableMIB(table, before);
  const auto first = FindRow(before, "lo");
  ASSERT_TRUE(first.has_value()) << "no row described \"lo\" among " << before.size();
  EXPECT_NE(first->dwOperStatus, 0u);
  const auto wideBefore = table.ReadCounters64(first->dwIndex);
  ASSERT_TRUE(wideBefore.has_value()) << "no 64-bit counters for interface " << first->dwIndex;
  EXPECT_FALSE(table.ReadCounters64(0xFFFFFF).has_value());  // no such interface

  ASSERT_EQ(SendOverLoopback(kTraffic), kTraffic);
  const auto wideAfter = table.ReadCounters64(first->dwIndex);
  ASSERT_TRUE(wideAfter.has_value());
  EXPECT_GE(wideAfter->inOctets - wideBefore->inOctets, kTraffic);
  EXPECT_GE(wideAfter->outOctets - wideBefore->outOctets, kTraffic);

  Snapshot after;
  Get_IfTableMIB(table, after);
  const auto second = FindRow(after, "lo");
  ASSERT_TRUE(second.has_value());
  // Counters wrap at 2^32; the unsigned difference is the growth. Every loopback packet is
  // both sent and received on lo.
  EXPECT_GE(second->dwInOctets - first->dwInOctets, kTraffic);
  EXPECT_GE(second->dwOutOctets - first->dwOutOctets, kTraffic);
}

// What finds a connection again: one identity per row, read the same each time, and the
// hardware address as pairs of digits.
TEST(IpHelperInterfaceTable, EachRowHasItsOwnIdentity) {
  IpHelperInterfaceTable table;
  const std::vector<SourceReading> rows = InterfaceRowSource(table).Read();
  ASSERT_FALSE(rows.empty());
  std::set<std::string> identities;
  for (const SourceReading& row : rows) {
    SCOPED_TRACE(row.id.description);
    EXPECT_EQ(row.id.identity.size(), 38u);
    EXPECT_EQ(row.id.identity.front(), '{');
    EXPECT_EQ(table.ReadIdentity(row.index), row.id.identity);
    EXPECT_TRUE(row.wide);
    identities.insert(row.id.identity);
    EXPECT_EQ(row.id.hardwareAddress.size() % 3, row.id.hardwareAddress.empty() ? 0u : 2u);
  }
  EXPECT_EQ(identities.size(), rows.size());
  EXPECT_TRUE(table.ReadIdentity(0xFFFFFF).empty());
}

// One reading of the whole table: GetIfTable's rows in its order, and more.
TEST(IpHelperInterfaceTable, TheWholeTableAtOnceIsGetIfTablesRowsAndMore) {
  IpHelperInterfaceTable table;
  Snapshot snapshot;
  Get_IfTableMIB(table, snapshot);
  const auto wide = table.ReadWideTable();
  ASSERT_TRUE(wide.has_value());
  ASSERT_EQ(wide->size(), snapshot.size());
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    const auto facts = [](const IfRow& r) {
      return std::tuple(DescriptionText(r), HardwareAddressText(r), r.dwIndex, r.dwType, r.dwMtu,
                        r.dwSpeed, IsConnected(r));  // Wine's rows say 0 for any state but up
    };
    const WideRow& row = (*wide)[i];
    EXPECT_EQ(facts(row.row), facts(snapshot[i]));
    EXPECT_EQ(row.identity, table.ReadIdentity(row.row.dwIndex));
    EXPECT_EQ(static_cast<std::uint32_t>(row.counters64.outOctets), row.row.dwOutOctets);
  }
}

}  // namespace
}  // namespace pelliton
