#include "metering/sources/interface_table.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "store/errors.h"

namespace pelliton {

void Get_IfTableMIB(InterfaceTable& table, Snapshot& snapshot) {
  snapshot.clear();
  std::uint32_t dummy = 0;  // the size query does not write through it, but wants it non-null
  std::uint32_t size = 0;
  if (table.GetIfTable(&dummy, &size, false) != kErrorInsufficientBuffer) return;
  if (size < kIfTableHeaderSize) return;

  const std::uint32_t bufferSize = size;
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bufferSize);
  if (table.GetIfTable(buffer.get(), &size, false) != kNoError) return;

  std::uint32_t numEntries = 0;
  std::memcpy(&numEntries, buffer.get(), sizeof numEntries);
  // A count that claims more rows than the buffer holds gets only the rows that fit.
  const std::size_t rowsInBuffer = (bufferSize - kIfTableHeaderSize) / sizeof(IfRow);
  const std::size_t count = std::min<std::size_t>(numEntries, rowsInBuffer);
  snapshot.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&snapshot[i], buffer.get() + kIfTableHeaderSize + i * sizeof(IfRow), sizeof(IfRow));
  }
}

std::string DescriptionText(const IfRow& row) {
  const std::size_t length = std::min<std::size_t>(row.dwDescrLen, sizeof row.bDescr);
  if (length == 0 || (length == 1 && row.bDescr[0] == 0)) throw RangeError();

  const auto* first = reinterpret_cast<const char*>(row.bDescr);
  const auto* last = std::find(first, first + length, '\0');
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (first != last && isBlank(*first))
    ++first;
  while (last != first && isBlank(*(last - 1)))
    --last;
  return std::string(first, last);
}

}  // namespace pelliton
