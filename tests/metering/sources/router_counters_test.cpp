#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_router.h"
#include "metering/accounting.h"
#include "metering/meter_fixture.h"
#include "metering/sources/router_counters.h"
#include "metering/sources/router_meter.h"
#include "store/catalogue.h"

namespace pelliton::testing {
namespace {

using Number = std::optional<std::uint64_t>;

TEST(RouterAnswers, FiguresAreDigitsWithin64Bits) {
  const std::vector<std::pair<std::string, Number>> cases{
      {"0", 0},
      {"4444459426", 4444459426},
      {"18446744073709551615", 18446744073709551615u},
      {"18446744073709551616", {}},
      {"000000000000000000001", {}},
      {"", {}},
      {"+1", {}},
      {" 1", {}},
      {"1 ", {}},
      {"-1", {}},
      {"0x10", {}},
      {"12a", {}},
      {std::string("1\0", 2), {}}};
  for (const auto& [text, number] : cases)
    EXPECT_EQ(ParseRouterNumber(text), number) << text;
}

TEST(RouterAnswers, NamesAreBoundedPrintableTexts) {
  EXPECT_EQ(ParseRouterText("  Home Router ", 64), "Home Router");
  EXPECT_EQ(ParseRouterText(std::string(65, 'a'), 64), std::nullopt);
  EXPECT_EQ(ParseRouterText("   ", 64), std::nullopt);
  EXPECT_EQ(ParseRouterText("tab\there", 64), std::nullopt);
  EXPECT_EQ(ParseRouterText("K\xC3\xBC"
                            "che",
                            64),
            std::nullopt);
  EXPECT_EQ(ParseRouterId("uuid:00000000-0000-0000-0000-000000000001"),
            "uuid:00000000-0000-0000-0000-000000000001");
  EXPECT_EQ(ParseRouterId("uuid:a b"), std::nullopt);
}

TEST(RouterAnswers, AnErrorOfTheLibraryIsNoReading) {
  RouterAnswers answers{"4294967293", "12", "Connected", "60", std::nullopt};
  EXPECT_EQ(ReadRouterSample(answers), (RouterSample{4294967293, 12, 60, true}));
  answers.sent.reset();  // a failed request or a fault without the element
  EXPECT_EQ(ReadRouterSample(answers), std::nullopt);
  answers.sent = "<faultcode>";
  EXPECT_EQ(ReadRouterSample(answers), std::nullopt);
  EXPECT_FALSE(ReadRouterSample({"1", "2", "Disconnected", "x", "Down"})->linkUp);
  EXPECT_TRUE(ReadRouterSample({"1", "2", std::nullopt, std::nullopt, "Up"})->linkUp);
}

TEST(RouterAnswers, OnlyHttpUrlsWithAnIPv4Host) {
  EXPECT_EQ(UrlIPv4("http://192.168.77.1:5000/rootDesc.xml"), 0xC0A84D01u);
  EXPECT_EQ(UrlIPv4("http://10.0.0.1/ctl"), 0x0A000001u);
  for (const char* url : {"https://10.0.0.1/", "http://router.lan:80/", "http://[fe80::1]/",
                          "http://10.0.0.256/", "http://10.0.0/", "http://10.0.0.1.2/",
                          "http://10.0.0.1:0/", "http://10.0.0.1:99999/", "http://10..0.1/"})
    EXPECT_EQ(UrlIPv4(url), std::nullopt) << url;
}

RouterSample At(std::uint64_t down, std::uint64_t up, std::optional<std::uint64_t> uptime = {}) {
  return {down, up, uptime, false};
}

struct Step {
  RouterSample sample;
  RouterGrowth growth;
};

struct CountingCase {
  const char* name;
  std::vector<Step> steps;
};

constexpr std::uint64_t kTop = kCounter32Top;

TEST(RouterCounting, WrapResetStuckAndWidth) {
  const std::vector<CountingCase> cases{
      {"a 32-bit wrap counts across it", {{At(kTop - 99, 10), {}}, {At(400, 20), {500, 10}}}},
      {"both going down is a restart: the new values",
       {{At(3000000000, 2000000000), {}}, {At(100, 50), {100, 50}}}},
      {"an uptime that went down is a restart",
       {{At(1000, 2000, 500), {}}, {At(1500, 2500, 10), {1500, 2500}}}},
      {"a 64-bit router counts exactly and either going down is a restart",
       {{At(4444459426, 10), {}}, {At(4444469426, 20), {10000, 10}}, {At(300, 30), {300, 30}}}},
      {"a counter stuck at the top counts nothing, then its new value",
       {{At(kTop, 10), {}},
        {At(kTop, 5000), {0, 4990}},
        {At(kTop, 9000), {0, 4000}},
        {At(70, 9100), {70, 100}}}},
      {"an absurd step counts nothing and becomes the base",
       {{At(10, 10), {}},
        {At(std::uint64_t{1} << 50, 20), {}},
        {At((std::uint64_t{1} << 50) + 5, 25), {5, 5}}}},
  };
  for (const CountingCase& c : cases) {
    RouterCounting counting;
    for (const Step& step : c.steps)
      EXPECT_EQ(counting.Step(step.sample), step.growth) << c.name;
  }
}

TEST(RouterCounting, AStuckCounterIsToldOnceAndInTheTip) {
  RouterCounting counting;
  counting.Step(At(kTop, 10));
  counting.Step(At(kTop, 20));
  EXPECT_NE(counting.TakeNotice().find("4,294,967,295"), std::string::npos);
  counting.Step(At(kTop, 30));
  EXPECT_EQ(counting.TakeNotice(), "");
  EXPECT_EQ(counting.StuckLine(), "Router's download counter stopped");
  counting.Step(At(5, 40));
  EXPECT_EQ(counting.StuckLine(), "");
}

TEST(KeptRouter, RoundTripsAndRefusesDamage) {
  const KeptRouter kept{"uuid:1", true, {4444459426, 7, 60, false}};
  EXPECT_EQ(FormatKeptRouter(kept), "uuid:1 64 4444459426 7 60");
  EXPECT_EQ(ParseKeptRouter(FormatKeptRouter(kept)), kept);
  EXPECT_EQ(ParseKeptRouter("uuid:1 32 1 2 -")->sample.uptime, std::nullopt);
  for (const char* text : {"", "uuid:1 64 1 2", "uuid:1 16 1 2 3", "uuid:1 32 4294967296 2 3",
                           "uuid:1 64 1 2 3 4", "uuid:1 64 1 -2 3", "uuid:1  64 1 2 3"})
    EXPECT_EQ(ParseKeptRouter(text), std::nullopt) << text;
}

class RouterMeterTest : public MeterTest {
 protected:
  RouterMeterTest() {
    meter.router = &router;
    state.NetworkRouter = "uuid:1";
  }
  std::uint8_t Tick() { return GetConnectedState(meter); }
  FakeRouter router;
};

TEST_F(RouterMeterTest, CountsWhileOffUnlessRestartedAndTicksDcWithoutAnAnswer) {
  struct Case {
    const char* kept;
    std::uint64_t downKB, upKB, uptime;
    std::uint32_t total;
  };
  const std::vector<Case> cases{
      {"uuid:1 64 1024000 2048000 50", 3000, 5000, 900, 5000},  // growth since the kept ones
      {"uuid:1 64 1024000 2048000 50", 3000, 5000, 40, 8000},   // restarted: what it counted since
      {"uuid:2 64 1024000 2048000 50", 3000, 5000, 900, 0},     // another router's
      {"damaged", 3000, 5000, 900, 0},
  };
  for (const Case& c : cases) {
    state.Router = RouterCounting{};
    state.TotalDataKB = 0;
    store.values[{std::string(kSettingsKey), "LastRouter"}] = c.kept;
    router.Answer(c.downKB, c.upKB, c.uptime);
    EXPECT_EQ(Tick(), 1) << c.kept;
    EXPECT_EQ(state.TotalDataKB, c.total) << c.kept;
    EXPECT_EQ(view.label2, "0/s");
  }
  EXPECT_EQ(router.followed, "uuid:1");
  EXPECT_EQ(ReadValueText(store, stored::LastRouter), "uuid:1 32 3072000 5120000 900");
  router.Answer(3010, 5030, 902);
  EXPECT_EQ(Tick(), 1);
  EXPECT_EQ(state.TotalDataKB, 40u);
  EXPECT_EQ(view.label2, "20/s");
  router.latest->sample.reset();  // no answer
  EXPECT_EQ(Tick(), 0);
  EXPECT_EQ(view.label1, "DC");
  router.Answer(3110, 5030, 904, false);  // link down: counted, no connected time
  EXPECT_EQ(Tick(), 0);
  EXPECT_EQ(state.TotalDataKB, 140u);
  state.FreezeOn = true;  // what passes while frozen is never counted
  Tick();
  EXPECT_EQ(ReadValueText(store, stored::LastRouter), "");
  EXPECT_FALSE(state.Router.Base());
}

}  // namespace
}  // namespace pelliton::testing
