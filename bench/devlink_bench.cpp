// One Write1k round trip through the virtual board's agent: the command
// buffer filled, the report written element by element, the echo read back
// and checked. Target: under 20 us.

#include <benchmark/benchmark.h>

#include "devlink/DeviceLinks.h"
#include "devlink/TLS.h"
#include "virtualboard/VirtualBoardBus.h"

namespace {

void BM_Write1kRoundTrip(benchmark::State& state) {
  auto board = virtualboard::MakeVirtualBoard(virtualboard::ParseBoardSpec("sound"));
  devlink::DeviceLinks links;
  auto& agent = *board.agent;
  agent.InterfaceOpened = [&](int, int, int, const std::string&) { links.InterfaceOpened(agent); };
  agent.Start();
  agent.FindDevices();
  devlink::TLS& link = *links.First();
  std::vector<uint8_t> block(1024);
  for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i);
  uint32_t address = 0;
  for (auto _ : state) {
    if (!link.Write1k(address, block)) state.SkipWithError("Write1k failed");
    address = (address + 1024) % (4u << 20);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024);
}
BENCHMARK(BM_Write1kRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace
