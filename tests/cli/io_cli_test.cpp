// corvane-cli io map: the wiring as scripts read it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "run_cli.h"

using nlohmann::json;

TEST(IoCli, MapListsEveryPointWithItsLibraryBit) {
    const CliResult r = runCli({"io", "map", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json all = json::parse(r.out);
    ASSERT_EQ(all.size(), 20u + 24u + 12u + 12u);
    auto find = [&](const std::string& table, int index) {
        for (const auto& e : all) {
            if (e["table"] == table && e["index"] == index) return e;
        }
        return json();
    };
    const json cta = find("outputs", 0);
    EXPECT_EQ(cta["name_en"], "CTA");
    EXPECT_EQ(cta["name_zh"], "CTA推料气缸");
    EXPECT_EQ(cta["card"], 1);
    EXPECT_EQ(cta["bit"], 12);
    EXPECT_EQ(cta["library_bit"], 44);
    EXPECT_EQ(cta["active_level"], 0);
    EXPECT_EQ(find("inputs", 12)["active_level"], 1);
    EXPECT_EQ(find("inputs", 12)["name_en"], "Feeder Return Detection ");
    EXPECT_EQ(find("station_outputs", 10)["library_bit"], 26);
    EXPECT_EQ(find("station_outputs", 9)["library_bit"], 42);
    EXPECT_EQ(find("station_inputs", 11)["library_bit"], 28);
    EXPECT_EQ(runCli({"io"}).exitCode, 2);
}
