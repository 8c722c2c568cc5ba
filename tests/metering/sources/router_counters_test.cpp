#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_router.h"
#include "metering/accounting.h"
#include "metering/meter_fixture.h"
#include "metering/sources/router_counters.h"
#include "metering/sources/router_http.h"
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
  for (const char* id : {"uuid:a b", "0", "none", "-1", "uuid:", "uid:1"})
    EXPECT_EQ(ParseRouterId(id), std::nullopt) << id;
  EXPECT_EQ(ParseRouterId("UUID:1"), "UUID:1");
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

TEST(RouterAnswers, UrlsAndAnswersOfTheLittleHttp) {
  EXPECT_EQ(ParseHttpUrl("http://192.168.77.1:5000/ctl/IPConn"),
            (HttpUrl{0xC0A84D01u, 5000, "/ctl/IPConn"}));
  EXPECT_EQ(ParseHttpUrl("http://10.0.0.1"), (HttpUrl{0x0A000001u, 80, "/"}));
  EXPECT_EQ(ParseHttpUrl("http://10.0.0.1/a b"), std::nullopt);
  EXPECT_EQ(ParseHttpUrl("http://10.0.0.1/a\r\nHost: x"), std::nullopt);
  for (const std::uint32_t address : {0x7F000002u, 0x00000001u, 0xE0000001u, 0xFFFFFFFFu})
    EXPECT_FALSE(RoutableLanAddress(address)) << address;
  EXPECT_TRUE(RoutableLanAddress(0xC0A84D01u));
  const std::vector<std::pair<std::string, std::optional<std::string>>> answers{
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabcd", "abc"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", std::nullopt},
      {"HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n2\r\nab\r\n1;x\r\nc\r\n0\r\n\r\n",
       "abc"},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", std::nullopt},
      {"HTTP/1.1 500 Internal Server Error\r\n\r\n<fault/>", std::nullopt},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", std::nullopt}};
  for (const auto& [raw, body] : answers) {
    EXPECT_EQ(HttpAnswerBody(raw), body) << raw;
    EXPECT_EQ(HttpAnswerComplete(raw, false), body.has_value()) << raw;
  }
  EXPECT_FALSE(HttpAnswerComplete("HTTP/1.0 200 OK\r\n\r\nall", false));  // until closed
  EXPECT_EQ(HttpAnswerBody("HTTP/1.0 200 OK\r\n\r\nall"), "all");
}

TEST(RouterAnswers, AnElementThatClosesItselfKeepsTheDepth) {
  EXPECT_TRUE(ClosesItself(" a=\"x>y\"/>"));
  EXPECT_FALSE(ClosesItself(">text</a>"));
  DescriptionReader reader;
  reader.Start("root");
  reader.Start("device");
  reader.Start("modelURL", ClosesItself("/>"));
  reader.Start("UDN");
  reader.Data("uuid:7");
  reader.End();
  EXPECT_EQ(reader.Udn(), "uuid:7");
}

RouterSample At(std::uint64_t down, std::uint64_t up, std::optional<std::uint64_t> uptime = {}) {
  return {down, up, uptime, false};
}

struct Step {
  RouterSample sample;
  RouterGrowth growth;
  std::uint64_t line = 0;  // the router's reported rate, bit/s
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
      {"within a run an uptime that went down while both grew is no restart",
       {{At(1000, 2000, 500), {}}, {At(1500, 2500, 10), {500, 500}}}},
      {"an uptime that went down makes a fall a restart, not a wrap",
       {{At(kTop - 99, 10, 500), {}}, {At(400, 20, 5), {400, 10}}}},
      {"a 64-bit router counts exactly and either going down restarts it alone",
       {{At(4444459426, 10), {}}, {At(4444469426, 20), {10000, 10}}, {At(300, 30), {300, 10}}}},
      {"a counter stuck at the top counts nothing, then its new value",
       {{At(kTop, 10), {}},
        {At(kTop, 5000), {0, 4990}},
        {At(kTop, 9000), {0, 4000}},
        {At(70, 9100), {70, 100}}}},
      {"a step beyond any line is refused and the base stays",
       {{At(10, 10), {}}, {At(std::uint64_t{1} << 50, 20), {}}, {At(15, 25), {5, 15}}}},
      {"3 TB in one poll is refused", {{At(10, 10), {}}, {At(3000000000000, 20), {}}}},
      {"a 32-bit counter 1,000 bytes lower once",
       {{At(3000000000, 10), {}}, {At(2999999000, 20), {}}, {At(3000002048, 30), {2048, 20}}}},
      {"a 64-bit counter one byte lower once",
       {{At(330000000000, 7), {}}, {At(329999999999, 9), {}}, {At(330000000500, 9), {500, 2}}}},
      {"the WAN made anew between the two counters' requests",
       {{At(1000000, 2000000), {}}, {At(1080000, 50), {80000, 50}}, {At(60, 100), {60, 50}}}},
      {"a refused figure above 2^32 teaches no width: the wrap after it counts",
       {{At(100, 4000000000), {}}, {At(5000000000, 4000000100), {}},
        {At(200, 100), {100, 294967396}}}},
      {"readings refused twice in a row that agree: only the step between them",
       {{At(10, 10), {}}, {At(1ull << 40, 20), {}}, {At((1ull << 40) + 5, 25), {5, 5}}}},
      {"the reported rate bounds a step",
       {{At(0, 0), {}, 50000000}, {At(80000000, 0), {}, 50000000}, {At(80000000, 5), {80000000, 5}}}},
  };
  for (const CountingCase& c : cases) {
    RouterCounting counting;
    std::uint32_t at = 0;
    for (const Step& step : c.steps)
      EXPECT_EQ(counting.Step(step.sample, {at += 2000, step.line}), step.growth) << c.name;
  }
}

TEST(RouterCounting, AStuckCounterIsToldOnceAndInTheTip) {
  RouterCounting counting;
  counting.Step(At(kTop, 10), {0, 0});
  counting.Step(At(kTop, 20), {2000, 0});
  EXPECT_NE(counting.TakeNotice().find("4,294,967,295"), std::string::npos);
  counting.Step(At(kTop, 30), {4000, 0});
  EXPECT_EQ(counting.TakeNotice(), "");
  EXPECT_EQ(counting.StuckLine(), "Router's download counter stopped");
  counting.Step(At(5, 40), {6000, 0});
  EXPECT_EQ(counting.StuckLine(), "");
  counting.Step(At(1ull << 45, 40), {8000, 0});  // refused: said once, in the tip
  EXPECT_EQ(counting.StuckLine(), "A reading of the router was refused");
  EXPECT_EQ(counting.TakeNotice(), "");
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
  router.latest->readAtMs += 3600000;  // a step of 4 TB within an hour on no known line
  router.latest->sample->down += 1ull << 42;
  EXPECT_EQ(Tick(), 0);
  EXPECT_EQ(state.TotalDataKB, 140u);
  EXPECT_EQ(state.RouterNote, "A reading of the router was refused");
  state.FreezeOn = true;  // what passes while frozen is never counted
  Tick();
  EXPECT_EQ(ReadValueText(store, stored::LastRouter), "");
  EXPECT_FALSE(state.Router.Base());
}

TEST_F(RouterMeterTest, OnlyAUdnIsTheRouterAStartMetersAndChoosingItAgainReadsAfresh) {
  for (const char* text : {"0", "none", "-1", "", "uuid:"}) {
    store.values[{std::string(kSettingsKey), "NetworkRouter"}] = text;
    EXPECT_EQ(LoadNetworkRouter(store), "") << text;
  }
  ChooseRouter(state, store, &router, "");
  EXPECT_EQ(router.followed, "");  // a router no longer metered is not polled
}

}  // namespace
}  // namespace pelliton::testing
