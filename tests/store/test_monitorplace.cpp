// The monitor side file: what it reads back, and what it refuses as a whole.
#include "store/monitorplace.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orvenna::store {
namespace {

const TMonitorPlace Away{"DP-1", {1920, -200}, {2300, -40}, TPoint{1624, 836}};

TEST(MonitorPlaceFile, RoundTrips)
{
    for (const TMonitorPlace& place : {Away, TMonitorPlace{"eDP-1", {0, 0}, {5, 6}, std::nullopt}}) {
        TMonitorPlace read;
        EXPECT_EQ(MonitorPlaceFromText(MonitorPlaceToText(place), read), "");
        EXPECT_EQ(read, place);
    }
}

struct TDamage {
    const char* Name;
    std::string Text;
    std::string Reason;
};

class MonitorPlaceDamage : public testing::TestWithParam<TDamage> {};

// A damaged file leaves what was read before untouched.
TEST_P(MonitorPlaceDamage, IsRefusedAsAWhole)
{
    TMonitorPlace place = Away;
    EXPECT_EQ(MonitorPlaceFromText(GetParam().Text, place), GetParam().Reason);
    EXPECT_EQ(place, Away);
}

const std::string Head = "Orvenna monitor 1\n";
INSTANTIATE_TEST_SUITE_P(
    Texts, MonitorPlaceDamage,
    testing::Values(
        TDamage{"Empty", "", "not a monitor file"},
        TDamage{"OtherFile", "Orvenna alerts 1\nEnd\n", "not a monitor file"},
        TDamage{"LaterVersion", "Orvenna monitor 2\nEnd\n", "unknown version 2"},
        TDamage{"NoEnd", Head + "Output=DP-1\nScreen=0,0\nPlace=1,2\n", "no End line"},
        TDamage{"CutInAPoint", Head + "Output=DP-1\nScreen=0,0\nPlace=1,\nEnd\n", "line 4: not a point: 1,"},
        TDamage{"WordForNumber", Head + "Output=DP-1\nScreen=x,0\nPlace=1,2\nEnd\n", "line 3: not a point: x,0"},
        TDamage{"NoOutput", Head + "Screen=0,0\nPlace=1,2\nEnd\n", "Output, Screen or Place missing"},
        TDamage{"NoPlace", Head + "Output=DP-1\nScreen=0,0\nEnd\n", "Output, Screen or Place missing"},
        TDamage{"LineWithoutKey", Head + "Output=DP-1\ngarbage\nEnd\n", "line 3: no key"}),
    [](const testing::TestParamInfo<TDamage>& info) { return std::string(info.param.Name); });

TEST(MonitorPlaceFile, UnknownKeysOfALaterVersionAreSkipped)
{
    TMonitorPlace read;
    EXPECT_EQ(MonitorPlaceFromText(Head + "Output=DP-1\nScale=2\nScreen=0,0\nPlace=7,8\nEnd\n", read), "");
    EXPECT_EQ(read, (TMonitorPlace{"DP-1", {0, 0}, {7, 8}, std::nullopt}));
}

TEST(MonitorPlaceFile, SavedFileLoadsBackAndAMissingOrDamagedOneGivesNothing)
{
    test::TTempFolder folder;
    const std::string file = folder.File(MonitorPlaceFileName);
    EXPECT_EQ(LoadMonitorPlace(file), std::nullopt);
    SaveMonitorPlace(file, Away);
    EXPECT_EQ(LoadMonitorPlace(file), Away);
    std::ofstream(file, std::ios::trunc) << Head << "Output=DP-1\n";
    EXPECT_EQ(LoadMonitorPlace(file), std::nullopt);
}

}  // namespace
}  // namespace orvenna::store
